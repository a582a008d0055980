// The shell launcher against real files and programs.
#include <windows.h>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "store/MTSK_KIDOU.h"

using velmora::TSK_KIDOU;
using velmora::testing::TempDir;

TEST(TSK_KIDOU, FailsOnlyForMissingFilesAndNoAssociation) {
  TempDir dir(L"velmora-launch");
  dir.Write(L"data.zzzvelmora", "x");  // no program is associated with this extension
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"absent.txt")), 2);
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"data.zzzvelmora")), 2);
  // A program that does not exist as a plain file is not started.
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.File(L"absent.exe /x")), 2);
  EXPECT_EQ(TSK_KIDOU(nullptr, dir.Path() + L" .EXE /x"), 2);
}

TEST(TSK_KIDOU, StartsAProgramWithItsArguments) {
  TempDir dir(L"velmora-launch");
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring marker = dir.File(L"started.txt");
  // cmd.exe writes the marker: proof that the whole text was its command line.
  std::wstring cmd = std::wstring(system) + L"\\cmd.EXE /c echo ok> \"" + marker + L"\"";
  ASSERT_EQ(TSK_KIDOU(nullptr, cmd), 0);
  for (int i = 0; i < 250 && GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
  Sleep(100);
  EXPECT_EQ(dir.Read(L"started.txt").substr(0, 2), "ok");
}
