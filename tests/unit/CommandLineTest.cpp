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
  };
  for (const Row& row : rows)
    EXPECT_EQ(static_cast<float>(velmora::LeadingNumber(CommandGet(row.args, L"/SIZE="))), row.size) << row.args;
  EXPECT_EQ(velmora::TrimSpaces(CommandGet(L"/DIR=C:\\Data /SIZE=250", L"/DIR=")), L"C:\\Data");
}

TEST(ArgumentText, DropsTheProgramPathOnly) {
  struct Row {
    const wchar_t *commandLine, *args;
  } rows[] = {
      {L"Velmora.exe", L""},
      {L"\"C:\\Program Files\\Velmora\\Velmora.exe\"", L""},
      {L"\"C:\\Program Files\\Velmora\\Velmora.exe\" /DISK=C /SIZE=100", L"/DISK=C /SIZE=100"},
      {L"C:\\Tools\\Velmora.exe   /DIR=C:\\My Data /SIZE=5", L"/DIR=C:\\My Data /SIZE=5"},
      {L"\"C:\\Tools\\Velmora.exe\"/X", L"/X"},
      {L"Velmora.exe /SIZE=1 ", L"/SIZE=1 "},
  };
  for (const Row& row : rows) EXPECT_EQ(ArgumentText(row.commandLine), row.args) << row.commandLine;
}
