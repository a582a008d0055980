// The long-name form of the program folder, component by component.
#include <gtest/gtest.h>

#include <map>

#include "app/MFullPath.h"
#include "measure/MDir.h"

TEST(FullPathGet, ReplacesEachComponentByItsNameOnDisk) {
  // What the file system would report for each prefix; absent = hidden or missing.
  const std::map<std::wstring, std::wstring> disk = {
      {L"C:\\PROGRA~1", L"Program Files"},
      {L"C:\\PROGRA~1\\TOOLS~1", L"Tool Box"},
      {L"C:\\Data", L"Data"},
      {L"C:\\data", L"Data"},
      {L"C:\\Hidden\\Sub", L"Sub"},
      {L"\\\\?\\C:\\PROGRA~1", L"Program Files"},
      {L"\\\\?\\C:\\PROGRA~1\\TOOLS~1", L"Tool Box"},
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
      // The long-path form keeps its prefix; the components after the drive are expanded.
      {L"\\\\?\\C:\\PROGRA~1\\TOOLS~1", L"\\\\?\\C:\\Program Files\\Tool Box"},
      {L"\\\\?\\C:\\PROGRA~1\\", L"\\\\?\\C:\\Program Files"},
      {L"\\\\?\\C:\\Missing\\Gone", L"\\\\?\\C:\\Missing\\Gone"},
      {L"\\\\?\\C:\\", L"\\\\?\\C:\\"},
      {L"\\\\?\\C:\\A", L"\\\\?\\C:\\A"},
      {L"\\\\?\\UNC\\server\\share\\dir", L"\\\\?\\UNC\\server\\share\\dir"},
  };
  for (const Row& row : rows) EXPECT_EQ(velmora::FullPathGet(row.path, lookup), row.expected) << row.path;
}

// The program folder as the system may report it, and its plain form where that names
// the same folder.
TEST(PlainPathForm, DropsTheLongPathPrefixWhereThePlainFormSaysTheSame) {
  struct Row {
    const wchar_t *path, *plain;
  } rows[] = {
      {L"\\\\?\\C:\\Tools\\Velmora.exe", L"C:\\Tools\\Velmora.exe"},
      {L"\\\\?\\c:\\Velmora.exe", L"c:\\Velmora.exe"},
      {L"\\\\?\\UNC\\srv\\share\\Velmora.exe", L"\\\\srv\\share\\Velmora.exe"},
      {L"C:\\Tools\\Velmora.exe", L"C:\\Tools\\Velmora.exe"},
      // Names the plain form would change keep the prefix.
      {L"\\\\?\\C:\\Tools.\\Velmora.exe", L"\\\\?\\C:\\Tools.\\Velmora.exe"},
      {L"\\\\?\\C:\\Tools \\Velmora.exe", L"\\\\?\\C:\\Tools \\Velmora.exe"},
      {L"\\\\?\\C:\\a\\..\\Velmora.exe", L"\\\\?\\C:\\a\\..\\Velmora.exe"},
      {L"\\\\?\\Volume{1234}\\Velmora.exe", L"\\\\?\\Volume{1234}\\Velmora.exe"},
      {L"\\\\?\\", L"\\\\?\\"},
  };
  for (const Row& row : rows) EXPECT_EQ(velmora::PlainPathForm(row.path), row.plain) << row.path;
}
