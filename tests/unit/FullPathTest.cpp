// The long-name form of the program folder, component by component.
#include <gtest/gtest.h>

#include <map>

#include "app/MFullPath.h"

TEST(FullPathGet, ReplacesEachComponentByItsNameOnDisk) {
  // What the file system would report for each prefix; absent = hidden or missing.
  const std::map<std::wstring, std::wstring> disk = {
      {L"C:\\PROGRA~1", L"Program Files"},
      {L"C:\\PROGRA~1\\TOOLS~1", L"Tool Box"},
      {L"C:\\Data", L"Data"},
      {L"C:\\data", L"Data"},
      {L"C:\\Hidden\\Sub", L"Sub"},
  };
  auto lookup = [&](const std::wstring& path) {
    auto found = disk.find(path);
    return found == disk.end() ? std::wstring() : found->second;
  };
  struct Row {
    const wchar_t *path, *expected;
  } rows[] = {
      {L"C:\\PROGRA~1\\TOOLS~1", L"C:\\Program Files\\Tool Box"},
      {L"C:\\", L"C:\\"},
      {L"C:\\A", L"C:\\A"},  // fewer than two characters after "C:\"
      {L"C:\\Data\\", L"C:\\Data"},
      {L"C:\\data", L"C:\\Data"},
      {L"C:\\Hidden\\Sub", L"C:\\Hidden\\Sub"},  // a component the lookup skips keeps its text
      {L"C:\\Missing\\Gone", L"C:\\Missing\\Gone"},
      {L"\\\\server\\share\\dir", L"\\\\server\\share\\dir"},
      {L"", L""},
      {L"Velmora", L"Velmora"},
  };
  for (const Row& row : rows) EXPECT_EQ(velmora::FullPathGet(row.path, lookup), row.expected) << row.path;
}
