// A fresh folder under the temporary folder for one test, deleted with its content
// when the test ends.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

class TempDir {
 public:
  // In `parent` when one is given (with its trailing backslash), else in the
  // temporary folder.
  explicit TempDir(const std::wstring& name = L"velmora-test", const std::wstring& parent = L"");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Writes or reads a file's bytes; Read gives "<absent>" for a file that cannot be read.
  void Write(const std::wstring& name, const std::string& bytes) const;
  std::string Read(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// Writes a file's bytes, replacing it; false when it cannot be written.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// A file's bytes, or nothing when it cannot be opened for reading.
std::optional<std::string> ReadBytes(const std::wstring& path);

// The names in a folder ("." and ".." left out), sorted; empty when it cannot be listed.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Deletes a folder with everything below it (links are removed, not followed), also
// below 260 characters.
void DeleteTree(const std::wstring& dir);

// The Linux path of a path under Wine; empty on Windows itself.
std::string UnixPath(const std::wstring& path);

}  // namespace velmora::testing
