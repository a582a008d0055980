// The shell launcher's choice of form and folders, and the substring count it uses.
#include <gtest/gtest.h>

#include "store/MCHAR_CHK.h"
#include "store/MTSK_KIDOU.h"

using velmora::LaunchPlan;
using velmora::LaunchResult;
using Form = LaunchPlan::Form;

TEST(CHAR_CHK, CountsOverlappingOccurrences) {
  struct Row {
    const wchar_t *text, *pattern;
    int position, count;
  } rows[] = {
      {L"aaaa", L"aa", 3, 3}, {L"C:\\A\\B", L"\\", 5, 2}, {L"..\\..\\x", L"..\\", 4, 2}, {L"abc", L"x", 0, 0},
      {L"abc", L"", 0, 0},    {L"", L"a", 0, 0},          {L"A.EXE /r", L".EXE ", 2, 1}, {L"a.exe /r", L".EXE ", 0, 0},
  };
  for (const Row& row : rows) {
    int32_t position = -1, count = -1;
    velmora::CHAR_CHK(row.text, row.pattern, position, count);
    EXPECT_EQ(position, row.position) << row.text << " / " << row.pattern;
    EXPECT_EQ(count, row.count) << row.text << " / " << row.pattern;
  }
}

TEST(PlanLaunch, ChoosesTheFormAndTheWorkingFolder) {
  using velmora::LaunchAs;
  struct Row {
    const wchar_t *cmd, *programFolder;
    Form form;
    const wchar_t *file, *work;
    LaunchAs as = LaunchAs::kCommand;
  } rows[] = {
      {L"C:\\Tools\\view.exe /r data.txt", L"C:\\P", Form::ProgramWithArguments, L"C:\\Tools\\view.exe", L""},
      {L"C:\\Tools\\VIEW.Exe x", L"C:\\P", Form::ProgramWithArguments, L"C:\\Tools\\VIEW.Exe", L""},
      {L"C:\\Tools\\view.exe", L"C:\\P", Form::FolderPath, L"C:\\Tools\\view.exe", L"C:\\Tools"},
      {L"readme.txt", L"C:\\P", Form::BareName, L"readme.txt", L"C:\\P"},
      {L"..\\..\\Docs\\x.txt", L"C:\\A\\B\\C", Form::AncestorRelative, L"C:\\A\\Docs\\x.txt", L"C:\\A\\Docs"},
      {L"..\\x.txt", L"C:\\A\\B", Form::AncestorRelative, L"C:\\A\\x.txt", L"C:\\A"},
      {L"..\\..\\..\\..\\x.txt", L"C:\\A", Form::AncestorRelative, L"C:\\x.txt", L"C:"},  // stops at the drive
      {L"C:\\Velmora\\Velmora.hlp", L"C:\\Velmora", Form::FolderPath, L"C:\\Velmora\\Velmora.hlp", L"C:\\Velmora"},
      {L"C:\\Velmora", L"C:\\Velmora", Form::FolderPath, L"C:\\Velmora", L"C:"},
      {L"C:\\", L"C:\\", Form::FolderPath, L"C:\\", L"C:"},
      {L"\\\\server\\share\\logs", L"C:\\P", Form::FolderPath, L"\\\\server\\share\\logs", L"\\\\server\\share"},
      // Documents and folders are opened by the shell whatever their path holds.
      {L"C:\\app.exe backup\\Velmora", L"C:\\app.exe backup\\Velmora", Form::FolderPath, L"C:\\app.exe backup\\Velmora",
       L"C:\\app.exe backup", LaunchAs::kDocument},
      {L"C:\\Tools\\view.exe /r\\Velmora.hlp", L"C:\\Tools\\view.exe /r", Form::FolderPath,
       L"C:\\Tools\\view.exe /r\\Velmora.hlp", L"C:\\Tools\\view.exe /r", LaunchAs::kDocument},
      {L"C:\\Velmora\\Velmora.hlp", L"C:\\Velmora", Form::FolderPath, L"C:\\Velmora\\Velmora.hlp", L"C:\\Velmora",
       LaunchAs::kDocument},
  };
  for (const Row& row : rows) {
    LaunchPlan plan = velmora::PlanLaunch(row.cmd, row.programFolder, row.as);
    EXPECT_EQ(plan.form, row.form) << row.cmd;
    EXPECT_EQ(plan.file, row.file) << row.cmd;
    EXPECT_EQ(plan.workFolder, row.work) << row.cmd;
  }
}

TEST(ShellResultToLaunch, EveryAnswerOf32OrBelowFails) {
  using enum LaunchResult;
  struct Row {
    uintptr_t shell;
    LaunchResult result;
  } rows[] = {
      {0, kNotOpened},   // out of memory
      {2, kNotOpened},   // file not found
      {3, kNotOpened},   // path not found
      {5, kNotOpened},   // access denied
      {8, kNotOpened},   // out of memory
      {11, kNotOpened},  // not a valid program
      {26, kNotOpened},  // sharing violation
      {27, kNotOpened},  // incomplete association
      {30, kNotOpened},  // DDE busy
      {31, kNotOpened},  // no association
      {32, kNotOpened},  // DLL not found
      // Above 32 the shell opened it; as an instance handle the answer may pass 2 GiB.
      {33, kOpened},
      {42, kOpened},
      {0x80000000u, kOpened},
  };
  for (const Row& row : rows) EXPECT_EQ(velmora::ShellResultToLaunch(row.shell), row.result) << row.shell;
}
