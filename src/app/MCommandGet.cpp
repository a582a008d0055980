#include "app/MCommandGet.h"

#include "base/Text.h"

namespace velmora {

std::wstring CommandGet(std::wstring_view cmdLine, std::wstring_view key) {
  size_t p = cmdLine.find(key);
  if (p == std::wstring_view::npos) return {};
  std::wstring_view rest = cmdLine.substr(p + key.size());
  return std::wstring(rest.substr(0, rest.find(L'/')));
}

namespace {

// A space or a tab: what separates the words of a command line.
bool IsWordSeparator(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// The length of `path` at the start of `text` (letter case aside), quoted or not, when
// a word separator or the end follows it; else 0.
size_t PathAtStart(std::wstring_view text, std::wstring_view path) {
  if (path.empty()) return 0;
  bool quoted = !text.empty() && text[0] == L'"';
  size_t start = quoted ? 1 : 0;
  if (text.size() < start + path.size()) return 0;
  for (size_t i = 0; i < path.size(); ++i)
    if (ToUpperAscii(text[start + i]) != ToUpperAscii(path[i])) return 0;
  size_t end = start + path.size();
  if (quoted) {
    if (end >= text.size() || text[end] != L'"') return 0;
    return end + 1;
  }
  return end == text.size() || IsWordSeparator(text[end]) ? end : 0;
}

}  // namespace

std::wstring ArgumentText(std::wstring_view commandLine, std::wstring_view modulePath) {
  // The program's own path as the system may have been given it: as it is, without the
  // long-path prefix, and without the ".exe" the system adds when it is left out.
  std::wstring plain(modulePath.rfind(L"\\\\?\\", 0) == 0 ? modulePath.substr(4) : modulePath);
  std::wstring bare = plain;
  if (bare.size() > 4 && ToUpperAscii(std::wstring_view(bare).substr(bare.size() - 4)) == L".EXE")
    bare.resize(bare.size() - 4);
  size_t i = 0;
  for (std::wstring_view path : {std::wstring_view(modulePath), std::wstring_view(plain), std::wstring_view(bare)})
    if ((i = PathAtStart(commandLine, path)) != 0) break;
  if (i == 0) {
    // Started some other way (by a relative name, say): the first word, or the quoted text.
    if (!commandLine.empty() && commandLine[0] == L'"') {
      size_t close = commandLine.find(L'"', 1);
      i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
      while (i < commandLine.size() && !IsWordSeparator(commandLine[i])) ++i;
    }
  }
  while (i < commandLine.size() && IsWordSeparator(commandLine[i])) ++i;
  return std::wstring(commandLine.substr(i));
}

}  // namespace velmora
