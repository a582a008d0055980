// What Velmora's uninstaller removes beside the program files: the links that start the
// program and, when the user asks, the check logs. Links are recognised by what they
// start and logs by their first line, never by their names alone.
#pragma once
#include <string>
#include <vector>

namespace velmora::setup {

struct Removal {
  int removed = 0;
  std::vector<std::wstring> left;  // full paths of those that could not be deleted
};

// The link files in `folder` named like `pattern` ("*.lnk") that start `target` (full
// path, compared case-insensitively with environment strings and short names resolved).
std::vector<std::wstring> LinksTo(const std::wstring& folder, const std::wstring& pattern, const std::wstring& target);

// Those of `paths` that another program holds so that they cannot be deleted now.
std::vector<std::wstring> HeldFiles(const std::vector<std::wstring>& paths);
// Deletes files (a read-only one too).
Removal DeleteFiles(const std::vector<std::wstring>& paths);

// Deletes the check logs in `folder`.
Removal DeleteCheckLogs(const std::wstring& folder);

}  // namespace velmora::setup
