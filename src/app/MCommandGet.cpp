#include "app/MCommandGet.h"

namespace velmora {

std::wstring CommandGet(std::wstring_view cmdLine, std::wstring_view key) {
  size_t p = cmdLine.find(key);
  if (p == std::wstring_view::npos) return {};
  std::wstring_view rest = cmdLine.substr(p + key.size());
  return std::wstring(rest.substr(0, rest.find(L'/')));
}

std::wstring ArgumentText(std::wstring_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
  return std::wstring(commandLine.substr(i));
}

}  // namespace velmora
