#include "InstallDir.h"

#include <cwctype>

#include "base/FileName.h"

namespace velmora::setup {

namespace {

constexpr size_t kClassicPathLimit = 259;

// Where the arguments start: after the program name, quoted or not.
size_t ArgumentsStart(std::wstring_view line) {
  if (!line.empty() && line[0] == L'"') {
    size_t close = line.find(L'"', 1);
    return close == std::wstring_view::npos ? line.size() : close + 1;
  }
  size_t space = line.find(L' ');
  return space == std::wstring_view::npos ? line.size() : space;
}

bool StartsWithDirectoryKey(std::wstring_view text) {
  return text.size() >= 3 && text[0] == L'/' && std::towupper(text[1]) == L'D' && text[2] == L'=';
}

}  // namespace

DirectoryArgument DirectoryArgumentOf(std::wstring_view commandLine) {
  std::wstring_view rest = commandLine.substr(ArgumentsStart(commandLine));
  while (!rest.empty()) {
    while (!rest.empty() && (rest[0] == L' ' || rest[0] == L'\t')) rest.remove_prefix(1);
    if (rest.empty()) break;
    const bool quoted = rest[0] == L'"';
    std::wstring_view word = quoted ? rest.substr(1) : rest;
    if (StartsWithDirectoryKey(word)) {
      // The setup program takes the rest of the line, but only from an unquoted,
      // upper-case key that a blank precedes.
      const bool silentAfter = (L" " + std::wstring(word) + L" ").find(L" /S ") != std::wstring::npos;
      if (quoted || word[1] != L'D') return {DirectoryArgument::kMalformed, std::wstring(rest), silentAfter};
      return {DirectoryArgument::kGiven, std::wstring(word.substr(3)), silentAfter};
    }
    size_t end = quoted ? rest.find(L'"', 1) : rest.find(L' ');
    if (end == std::wstring_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return {};
}

std::optional<std::wstring> InstallPath(std::wstring_view text, size_t longestName) {
  std::wstring path(text);
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  size_t partsFrom;
  if (path.size() >= 3 && std::iswalpha(path[0]) && path[0] < 128 && path[1] == L':' && path[2] == L'\\') {
    partsFrom = 3;
  } else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
    // \\server\share\...: the server and the share are plain names, then the parts.
    size_t server = path.find(L'\\', 2);
    size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    if (share == std::wstring::npos || !IsPlainFileName(std::wstring_view(path).substr(2, server - 2)) ||
        !IsPlainFileName(std::wstring_view(path).substr(server + 1, share - server - 1)))
      return std::nullopt;
    partsFrom = share + 1;
  } else {
    return std::nullopt;
  }
  if (partsFrom >= path.size()) return std::nullopt;  // a drive or share root
  for (size_t start = partsFrom; start <= path.size();) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (!IsPlainFileName(std::wstring_view(path).substr(start, end - start))) return std::nullopt;
    start = end + 1;
  }
  if (path.size() + 1 + longestName + 4 > kClassicPathLimit) return std::nullopt;
  return path;
}

}  // namespace velmora::setup
