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

TEST(ShellResultToLaunch, OnlyNotFoundAndNoAssociationFail) {
  for (intptr_t shell : {0, 1, 3, 5, 8, 26, 27, 28, 29, 30, 32, 33, 42})
    EXPECT_EQ(velmora::ShellResultToLaunch(shell), LaunchResult::kOpened) << shell;
  EXPECT_EQ(velmora::ShellResultToLaunch(2), LaunchResult::kNotOpened);
  EXPECT_EQ(velmora::ShellResultToLaunch(31), LaunchResult::kNotOpened);
}
