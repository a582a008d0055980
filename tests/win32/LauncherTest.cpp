// The shell launcher against real files and programs.
#include <windows.h>
#include <gtest/gtest.h>

#include "ShellRecorder.h"
#include "TempDir.h"
#include "store/MTSK_KIDOU.h"

using velmora::LaunchAs;
using enum velmora::LaunchResult;
using velmora::TSK_KIDOU;
using velmora::testing::MakeRecorder;
using velmora::testing::TempDir;
using velmora::testing::WaitRecorded;

TEST(TSK_KIDOU, FailsForMissingFilesAndProgramsAndFilesNothingOpens) {
  TempDir dir(L"velmora-launch");
  dir.Write(L"data.zzzvelmora", "x");  // no program is associated with this extension
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"absent.txt"), LaunchAs::kDocument), kNotOpened);
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"data.zzzvelmora"), LaunchAs::kDocument), kNotOpened);
  // A program that does not exist as a plain file is not started.
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"absent.exe /x"), LaunchAs::kCommand), kNotOpened);
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.Path() + L" .EXE /x", LaunchAs::kCommand), kNotOpened);
}

TEST(TSK_KIDOU, StartsAProgramWithItsArguments) {
  TempDir dir(L"velmora-launch");
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring marker = dir.File(L"started.txt");
  // cmd.exe writes the marker: proof that the whole text was its command line.
  std::wstring cmd = std::wstring(system) + L"\\cmd.EXE /c echo ok> \"" + marker + L"\"";
  ASSERT_EQ(TSK_KIDOU(nullptr, cmd, LaunchAs::kCommand), kOpened);
  for (int i = 0; i < 250 && GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
  Sleep(100);
  EXPECT_EQ(dir.Read(L"started.txt").substr(0, 2), "ok");
}

// A document or folder is never taken for a program, whatever its path holds: under
// "app.exe backup" the "app.exe" beside that folder is not started. The same text as
// a command does start it, which is what the document form must never do.
TEST(TSK_KIDOU, OpensDocumentsWhosePathHoldsExeWithoutStartingAProgram) {
  TempDir dir(L"velmora-launch");
  const std::wstring folder = dir.File(L"app.exe backup");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  struct Row {
    std::wstring cmd;
    LaunchAs as;
    velmora::LaunchResult result;
    size_t starts;
  } rows[] = {
      {folder + L"\\Velmora.hlp", LaunchAs::kDocument, kNotOpened, 0},
      {folder + L"\\Velmora", LaunchAs::kDocument, kNotOpened, 0},
      {folder + L"\\Velmora.hlp", LaunchAs::kCommand, kOpened, 1},
  };
  for (const Row& row : rows) {
    std::wstring planted = MakeRecorder(dir.Path(), L"app.exe");
    EXPECT_EQ(TSK_KIDOU(nullptr, row.cmd, row.as), row.result) << ::testing::PrintToString(row.cmd);
    EXPECT_EQ(WaitRecorded(planted, row.starts, 5000).size(), row.starts) << ::testing::PrintToString(row.cmd);
  }
}
