// The shortcut request of the main window: checks a page's threshold, composes the
// start-up link of an automatic check, and places it for the user or, failing that,
// for all users.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

enum class SizeTextCheck { kAccepted, kEmpty, kNotPositive };

// A threshold text is accepted when its leading number, kept in single precision, is
// greater than 0 ("9E99" has no finite single value and is refused like 0); it is not
// bounded otherwise.
SizeTextCheck CheckSizeText(std::wstring_view sizeText);

// A link as the request composes it.
struct LinkSpec {
  std::wstring name;
  std::wstring target;
  std::wstring arguments;
};

// The program's executable in its folder.
std::wstring ProgramExePath(std::wstring_view programFolder);

// Drive check: "Velmora C", "/DISK=C /SIZE=100". The letter is taken in upper case,
// the threshold text as typed.
LinkSpec DriveLinkSpec(std::wstring_view driveLetter, std::wstring_view sizeText, std::wstring_view programFolder);

// Directory check: "Velmora " + the directory's own name (as the existence lookup found
// it), "/DIR=" + the path as typed + " /SIZE=" + the threshold as typed. A "/" in the
// path is written as "\": a slash would end the /DIR= value on the command line.
LinkSpec DirLinkSpec(std::wstring_view dirName, std::wstring_view dirText, std::wstring_view sizeText,
                     std::wstring_view programFolder);

// The directory the automatic run of a link will look up for `dirText`: the link starts
// the program in the program folder, and the run trims the /DIR= value, so a relative
// path ("Data", "..\\Data", "\\Data", "D:Data") is resolved against `programFolder` as
// the system will resolve it there. An absolute path (C:\\..., \\\\server\\...) and a
// blank text come back as they are. The window's measure button measures this path too.
std::wstring RunDirectoryPath(std::wstring_view dirText, std::wstring_view programFolder);

// ShortCutCreate(kind, name, target, arguments, user).
using ShortCutCreateFn =
    std::function<bool(int16_t, const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&)>;

// Places the link in the start-up folder of `userName`, else in that of "All Users".
// True when one of the two placed it.
bool StartupShortCutCreate(const LinkSpec& link, const std::wstring& userName, const ShortCutCreateFn& create);

}  // namespace velmora
