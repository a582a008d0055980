// The program folder as the setup program and the uninstaller meet it on Windows: its
// files for the swap, what a chosen folder holds, and which files a running program has.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "SetupFolder.h"

namespace velmora::setup {

// The swap's file operations on the real folder. A rename or delete that another
// program refuses for a moment (a virus scanner reading the file) is tried again for
// half a second; a read-only file is deleted all the same.
class WindowsFolderFiles : public FolderFiles {
 public:
  explicit WindowsFolderFiles(std::wstring folder) : folder_(std::move(folder)) {}
  bool Exists(const std::wstring& name) override;
  bool Rename(const std::wstring& from, const std::wstring& to) override;
  bool Delete(const std::wstring& name) override;
  std::optional<Fingerprint> FingerprintOf(const std::wstring& name) override;
  std::optional<int> MakeFolder(const std::wstring& name) override;
  bool RemoveFolder(const std::wstring& name, int levels) override;
  std::optional<std::optional<std::wstring>> ReadJournal() override;
  bool WriteJournal(const std::wstring& text) override;
  bool DeleteJournal() override;

 private:
  std::wstring Path(const std::wstring& name) const;
  std::wstring folder_;
};

// What a folder chosen for installing is.
enum class Place {
  kEmpty,     // missing (inside an existing folder) or empty
  kVelmora,   // Velmora's (see ClassifyFolder)
  kOther,     // holds files that are not Velmora's
  kUnusable,  // no full plain folder path, a file, a path through a file, no such drive,
              // or a folder that cannot be listed
};
Place InspectPlace(const std::wstring& folder, const std::vector<std::wstring>& names);

// The longest of `names` (in characters), for the path length InstallPath allows.
size_t LongestName(const std::vector<std::wstring>& names);

// The first of `names` in `folder` that a running program holds (it cannot be opened
// for writing because another process has it without sharing), or nothing.
std::optional<std::wstring> FileInUse(const std::wstring& folder, const std::vector<std::wstring>& names);

// Whether a file is a check log: named *.csv or *.txt, its first line one of the two
// log headers.
bool IsCheckLog(const std::wstring& path);

// "a|b|c" as names.
std::vector<std::wstring> SplitNames(const std::wstring& joined);

}  // namespace velmora::setup
