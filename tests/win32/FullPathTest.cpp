// The program folder's long-name form, from its short (8.3) form on a real disk.
#include <windows.h>
#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/MFullPath.h"
#include "measure/MDir.h"

using velmora::testing::TempDir;

TEST(FullPathGetOnDisk, ExpandsShortNamesToTheLongOnes) {
  TempDir dir(L"velmora-fullpath");
  std::wstring longPath = dir.File(L"Program Files Long");
  ASSERT_TRUE(CreateDirectoryW(longPath.c_str(), nullptr)) << GetLastError();
  longPath += L"\\Tool Box 監視";
  ASSERT_TRUE(CreateDirectoryW(longPath.c_str(), nullptr)) << GetLastError();

  wchar_t shortPath[MAX_PATH] = L"";
  DWORD n = GetShortPathNameW(longPath.c_str(), shortPath, MAX_PATH);
  ASSERT_GT(n, 0u) << GetLastError();
  ASSERT_NE(std::wstring(shortPath), longPath) << "the system gave no short form";
  // The temporary folder itself may be given in short form: compare with its long form.
  wchar_t expected[MAX_PATH] = L"";
  ASSERT_GT(GetLongPathNameW(shortPath, expected, MAX_PATH), 0u) << GetLastError();
  EXPECT_EQ(velmora::FullPathGet(shortPath), expected);
  EXPECT_EQ(velmora::FullPathGet(std::wstring(shortPath) + L"\\"), expected);
  EXPECT_EQ(velmora::FullPathGet(L"C:\\"), L"C:\\");
  // The long-path form, whose "?" is no wild card, the same way.
  EXPECT_EQ(velmora::FullPathGet(L"\\\\?\\" + std::wstring(shortPath)), L"\\\\?\\" + std::wstring(expected));
  EXPECT_EQ(velmora::DirFind(L"\\\\?\\" + longPath, velmora::kAttrDirectory), L"Tool Box 監視");
  EXPECT_EQ(velmora::DirFind(L"\\\\?\\" + std::wstring(shortPath), velmora::kAttrDirectory), L"Tool Box 監視");
  EXPECT_EQ(velmora::DirFind(L"\\\\?\\" + dir.File(L"Program Files Lon?"), velmora::kAttrDirectory), L"");
}

TEST(FullPathGetOnDisk, KeepsComponentsTheLookupCannotSee) {
  TempDir dir(L"velmora-fullpath");
  std::wstring hidden = dir.File(L"Hidden");
  ASSERT_TRUE(CreateDirectoryW(hidden.c_str(), nullptr));
  SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(CreateDirectoryW((hidden + L"\\Inner").c_str(), nullptr));
  std::wstring result = velmora::FullPathGet(hidden + L"\\Inner");
  EXPECT_EQ(result.find(L"\\\\"), std::wstring::npos) << "no empty component";
  EXPECT_TRUE(result.ends_with(L"\\Hidden\\Inner"));
  EXPECT_EQ(velmora::FullPathGet(L"C:\\no such folder\\x"), L"C:\\no such folder\\x");
}
