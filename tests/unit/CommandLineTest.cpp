// The command line of an automatic check: the argument text and the three keys.
#include <gtest/gtest.h>

#include "app/MCommandGet.h"
#include "base/Number.h"
#include "base/Text.h"

using velmora::ArgumentText;
using velmora::CommandGet;

TEST(CommandGet, PicksTheFirstValueOfEachKey) {
  struct Row {
    const wchar_t* args;
    const wchar_t *disk, *dir, *size;
  } rows[] = {
      {L"/DISK=C /SIZE=100", L"C ", L"", L"100"},
      {L"/SIZE=100 /DISK=C", L"C", L"", L"100 "},
      {L"/DIR=C:\\My Data /SIZE=250", L"", L"C:\\My Data ", L"250"},
      {L"/disk=C /SIZE=1", L"", L"", L"1"},                       // keys are case-sensitive
      {L"/DISK=/SIZE=5", L"", L"", L"5"},                         // empty value
      {L"/DISK=C /DISK=D", L"C ", L"", L""},                      // the first occurrence wins
      {L"/DIR=C:/Data /SIZE=5", L"", L"C:", L"5"},                // a slash ends the value
      {L"/DIR=\"C:\\A B\" /SIZE=5", L"", L"\"C:\\A B\" ", L"5"},  // quotes stay
      {L"/SIZE=1 00", L"", L"", L"1 00"},
      {L"/X", L"", L"", L""},
      {L"x/DISK=Cy", L"Cy", L"", L""},  // a key inside a word counts
      {L"/SIZE=", L"", L"", L""},
      {L"", L"", L"", L""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CommandGet(row.args, L"/DISK="), row.disk) << row.args;
    EXPECT_EQ(CommandGet(row.args, L"/DIR="), row.dir) << row.args;
    EXPECT_EQ(CommandGet(row.args, L"/SIZE="), row.size) << row.args;
  }
}

TEST(CommandGet, ThresholdsReadAsTheStartUpStoresThem) {
  struct Row {
    const wchar_t* args;
    float size;
  } rows[] = {
      {L"/DISK=C /SIZE=100", 100},
      {L"/SIZE=1 00", 100},
      {L"/SIZE=abc", 0},
      {L"/DISK=C", 0},
      {L"/SIZE=12.5 ", 12.5f},
      {L"/SIZE=&H10", 16},
      {L"/SIZE=1E3", 1000},
      {L"/SIZE=-5", -5},
      {L"/SIZE=0.1", 0.1f},
      {L"/SIZE=1 /DISK=C", 1},
      {L"/DISK=C /SIZE=0.0001", 0.0001f},
      {L"/DISK=C /SIZE=abc", 0},
      // No finite single-precision value: as unusable as a text that is no number.
      {L"/SIZE=9E99", 0},
      {L"/SIZE=1E39", 0},
      {L"/SIZE=-1E39", 0},
      {L"/SIZE=1E400", 0},
      {L"/SIZE=3E38", 3e38f},
  };
  for (const Row& row : rows) EXPECT_EQ(velmora::ThresholdValue(CommandGet(row.args, L"/SIZE=")), row.size) << row.args;
  EXPECT_EQ(velmora::TrimSpaces(CommandGet(L"/DIR=C:\\Data /SIZE=250", L"/DIR=")), L"C:\\Data");
}

TEST(ArgumentText, DropsTheProgramPathOnly) {
  const wchar_t* kTools = L"C:\\Tools\\Velmora.exe";
  const wchar_t* kSpaced = L"C:\\Program Files\\Velmora\\Velmora.exe";
  struct Row {
    const wchar_t *commandLine, *modulePath, *args;
  } rows[] = {
      {L"Velmora.exe", kTools, L""},
      {L"\"C:\\Program Files\\Velmora\\Velmora.exe\"", kSpaced, L""},
      {L"\"C:\\Program Files\\Velmora\\Velmora.exe\" /DISK=C /SIZE=100", kSpaced, L"/DISK=C /SIZE=100"},
      {L"C:\\Tools\\Velmora.exe   /DIR=C:\\My Data /SIZE=5", kTools, L"/DIR=C:\\My Data /SIZE=5"},
      {L"\"C:\\Tools\\Velmora.exe\"/X", kTools, L"/X"},
      {L"Velmora.exe /SIZE=1 ", kTools, L"/SIZE=1 "},
      // Started through its path with spaces, unquoted, as a Run value or a task does:
      // the program's own path is dropped whole, in any letter case.
      {L"C:\\Program Files\\Velmora\\Velmora.exe /DISK=C /SIZE=100", kSpaced, L"/DISK=C /SIZE=100"},
      {L"C:\\Program Files\\Velmora\\Velmora.exe", kSpaced, L""},
      {L"c:\\PROGRAM FILES\\velmora\\VELMORA.EXE\t/X", kSpaced, L"/X"},
      {L"\"c:\\program files\\velmora\\velmora.exe\" /X", kSpaced, L"/X"},
      {L"C:\\Program Files\\Velmora\\Velmora /X", kSpaced, L"/X"},  // the system adds ".exe"
      {L"C:\\Program Files\\Velmora\\Velmora.exe /X", L"\\\\?\\C:\\Program Files\\Velmora\\Velmora.exe", L"/X"},
      {L"C:\\Program Files\\Velmora\\Velmora.exex /X", kSpaced, L"Files\\Velmora\\Velmora.exex /X"},
      {L"Velmora /DISK=C", kSpaced, L"/DISK=C"},
      {L"\"C:\\Program Files\\Velmora\\Velmora.exe /X", kSpaced, L""},  // an unclosed quote takes it all
  };
  for (const Row& row : rows) EXPECT_EQ(ArgumentText(row.commandLine, row.modulePath), row.args) << row.commandLine;
}
