// Shell link placement: chooses the destination folder of a link, relative to the Start
// menu's Programs folder, and hands the link to the setup toolkit's fCreateShellLink
// (vb5stkit.dll, else vb6stkit.dll).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shortcut/ShellFolder.h"

namespace velmora {

// Destination kinds: the numbers of the shell folders.
inline constexpr int16_t kDesktopKind = static_cast<int16_t>(ShellFolder::kDesktop);
inline constexpr int16_t kProgramsKind = static_cast<int16_t>(ShellFolder::kPrograms);
inline constexpr int16_t kStartupKind = static_cast<int16_t>(ShellFolder::kStartup);
inline constexpr int16_t kSendToKind = static_cast<int16_t>(ShellFolder::kSendTo);
inline constexpr int16_t kQuickLaunchKind = static_cast<int16_t>(ShellFolder::kQuickLaunch);

// Platform codes of WinVerGet.
inline constexpr int16_t kPlatform9x = 1;
inline constexpr int16_t kPlatformNT = 2;
inline constexpr int16_t kPlatformUnknown = -1;

// Entries 1 to 10 (entry 0 is unused): entry k holds the first form of kind k, entry
// k + 5 the second form. On the NT family the first forms are written in half-width
// katakana and the second in full-width, with `user` inserted unchanged; on any other
// platform code the user is not used and entries 6 to 10 repeat 1 to 5.
using DestinationTable = std::array<std::wstring, 11>;
DestinationTable DestinationTableFor(int16_t platform, const std::wstring& user);

// What ShortCutCreate asks of the system.
class LinkToolkit {
 public:
  virtual ~LinkToolkit() = default;
  // WinVerGet's platform code.
  virtual int16_t Platform() = 0;
  // DllChk: the library file is found where toolkit libraries are taken from.
  virtual bool HasLibrary(const std::wstring& library) = 0;
  // fCreateShellLink of vb5stkit.dll: destination folder, link name, target, arguments.
  virtual int32_t CallVb5(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                          const std::wstring& arguments) = 0;
  // fCreateShellLink of vb6stkit.dll: the same, then the private flag and the parent
  // folder the destination is relative to.
  virtual int32_t CallVb6(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                          const std::wstring& arguments, int32_t privateFlag, const std::wstring& parent) = 0;
};

// Places a link of the kind (1 to 5): two attempts with the first and second form of
// the destination, through vb5stkit.dll when it is found, else through vb6stkit.dll.
// True exactly when an attempt returned 1. A kind outside 1 to 5 calls nothing.
bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user, LinkToolkit& toolkit);

// The same, through the running system's toolkit libraries, taken from the program
// folder or the system folder only (Windows only).
bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user);

// The same, with the toolkit libraries taken from `libraryFolders`, searched in order
// (Windows only).
bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user, const std::vector<std::wstring>& libraryFolders);

}  // namespace velmora
