// The settings file on a real disk: read, replaced whole, and kept when a write fails.
#include <windows.h>
#include <gtest/gtest.h>

#include "TempDir.h"
#include "store/MSettings.h"

using velmora::testing::TempDir;

TEST(SettingsFile, RoundTripsThroughARealFolder) {
  TempDir dir;
  const std::wstring ini = dir.File(L"Velmora.ini");
  EXPECT_FALSE(velmora::ReadSettingsFile(ini)) << "absent file";
  ASSERT_TRUE(velmora::WriteSettingsFile(ini, velmora::SettingsText(1, 0)));
  EXPECT_EQ(dir.Read(L"Velmora.ini"), "[Log   ]1\r\n[LogTXT]0\r\n");
  auto bytes = velmora::ReadSettingsFile(ini);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, "[Log   ]1\r\n[LogTXT]0\r\n");
  // A longer old file is replaced, not overwritten in part.
  dir.Write(L"Velmora.ini", std::string(5000, 'x'));
  ASSERT_TRUE(velmora::WriteSettingsFile(ini, velmora::SettingsText(0, 2)));
  EXPECT_EQ(dir.Read(L"Velmora.ini"), "[Log   ]0\r\n[LogTXT]2\r\n");
  // Nothing is left behind beside it: the new content's own file
  // ("Velmora.ini.<process>-<n>.new") has become the settings file.
  EXPECT_EQ(velmora::testing::FolderEntries(dir.Path()), std::vector<std::wstring>{L"Velmora.ini"});
}

TEST(SettingsFile, AFailedWriteKeepsTheOldContent) {
  TempDir dir;
  const std::wstring ini = dir.File(L"Velmora.ini");
  const std::string old = "[Log   ]1\r\n[LogTXT]0\r\n";

  dir.Write(L"Velmora.ini", old);
  {
    // Another process holds the file without sharing.
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_FALSE(velmora::WriteSettingsFile(ini, velmora::SettingsText(0, 1)));
    CloseHandle(held);
  }
  EXPECT_EQ(dir.Read(L"Velmora.ini"), old);

  // A read-only file.
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(velmora::WriteSettingsFile(ini, velmora::SettingsText(0, 1)));
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(dir.Read(L"Velmora.ini"), old);

  // A folder that does not exist.
  EXPECT_FALSE(velmora::WriteSettingsFile(dir.File(L"missing\\Velmora.ini"), old));
  // No failed write leaves its new content's file behind.
  EXPECT_EQ(velmora::testing::FolderEntries(dir.Path()), std::vector<std::wstring>{L"Velmora.ini"});
}
