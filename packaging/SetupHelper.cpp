// SetupHelper.dll: what the setup program (Velmora.nsi) asks of C++, through NSIS's System
// plug-in. It travels inside the setup program only and is never installed. Folders are
// full paths, file lists are the names relative to the folder joined with "|".
//
//   VelmoraInstallDir(out, chars)    the folder the process's command line asks for:
//       0 none asked for; 1 `out` = the folder; 2 refused (`out` = the text as written);
//       3 refused, and a /S written after /D= asked for a silent run
//   VelmoraPlace(folder, names)       0 missing or empty, 1 Velmora's, 2 holds other
//                                     files, 3 no folder Velmora can go into
//   VelmoraRecover(folder)            0 one version, the journal gone; 2 not
//   VelmoraBegin(folder, names)       0 staging may start (journal written); 2 not
//   VelmoraInUse(folder, out, chars)  1 `out` = a file of the folder a program holds; 0 none
//   VelmoraSwap(folder)               0 the new files are in place; 1 the same, an old
//                                     file left for the next run to delete; 2 the old
//                                     files are back; 3 not all of them (the next run
//                                     puts them back)
// Every call catches its own failures: an exception becomes the "not done" result.
#include <windows.h>

#include <string>

#include "FolderFiles_win32.h"
#include "InstallDir.h"
#include "SetupFolder.h"

namespace {

using namespace velmora::setup;

std::wstring Text(LPCWSTR text) {
  return text ? text : L"";
}

void CopyOut(const std::wstring& text, LPWSTR out, LONG chars) {
  if (!out || chars <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(chars - 1));
  text.copy(out, n);
  out[n] = L'\0';
}

// The names staged in the folder's journal, or none.
std::vector<std::wstring> StagedNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WindowsFolderFiles files(folder);
  std::optional<std::optional<std::wstring>> text = files.ReadJournal();
  if (!text || !*text) return names;
  if (std::optional<Journal> journal = ParseJournal(**text))
    for (const Journal::Added& added : journal->added) names.push_back(added.name);
  return names;
}

template <typename Body>
LONG Guarded(LONG failed, Body body) {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

}  // namespace

extern "C" LONG WINAPI VelmoraInstallDir(LPWSTR out, LONG chars) {
  return Guarded(2, [&]() -> LONG {
    DirectoryArgument argument = DirectoryArgumentOf(GetCommandLineW());
    if (argument.kind == DirectoryArgument::kNone) return 0;
    std::optional<std::wstring> path;
    if (argument.kind == DirectoryArgument::kGiven) path = InstallPath(argument.text, 0);
    CopyOut(path ? *path : argument.text, out, chars);
    return path ? 1 : argument.silentAfter ? 3 : 2;
  });
}

extern "C" LONG WINAPI VelmoraPlace(LPCWSTR folder, LPCWSTR names) {
  return Guarded(3, [&]() -> LONG { return static_cast<LONG>(InspectPlace(Text(folder), SplitNames(Text(names)))); });
}

extern "C" LONG WINAPI VelmoraRecover(LPCWSTR folder) {
  return Guarded(2, [&]() -> LONG {
    WindowsFolderFiles files(Text(folder));
    return Recover(files) == Outcome::kDone ? 0 : 2;
  });
}

extern "C" LONG WINAPI VelmoraBegin(LPCWSTR folder, LPCWSTR names) {
  return Guarded(2, [&]() -> LONG {
    WindowsFolderFiles files(Text(folder));
    return BeginStaging(files, SplitNames(Text(names))) == Outcome::kDone ? 0 : 2;
  });
}

extern "C" LONG WINAPI VelmoraInUse(LPCWSTR folder, LPWSTR out, LONG chars) {
  return Guarded(0, [&]() -> LONG {
    std::optional<std::wstring> held = FileInUse(Text(folder), StagedNames(Text(folder)));
    CopyOut(held.value_or(L""), out, chars);
    return held ? 1 : 0;
  });
}

extern "C" LONG WINAPI VelmoraSwap(LPCWSTR folder) {
  return Guarded(3, [&]() -> LONG {
    WindowsFolderFiles files(Text(folder));
    SwapResult result = Swap(files);
    switch (result.outcome) {
      case Outcome::kDone:
        return result.leftovers ? 1 : 0;
      case Outcome::kUndone:
        return 2;
      case Outcome::kStuck:
        return 3;
    }
    return 3;
  });
}
