// Reading a link destination the way the shell-link table writes it: a path relative to
// the Start menu's Programs folder that names a well-known shell folder of a profile.
// Used by the link-placing library, where the old relative folders no longer exist.
#pragma once
#include <optional>
#include <string_view>

#include "shortcut/ShellFolder.h"

namespace velmora {

enum class Profile { kCurrentUser, kAllUsers };

struct WellKnownDestination {
  ShellFolder folder;
  Profile profile;
  bool operator==(const WellKnownDestination&) const = default;
};

// "..\..\..\" + profile + "\" + folder, or "..\..\" + folder for the current user.
// The folder names are recognised in half-width or full-width katakana (letters in any
// case); the profile is the current user's name or "All Users" (in any case). Any other
// destination, or another user's profile, is not recognised.
std::optional<WellKnownDestination> RecognizeDestination(std::wstring_view destination, std::wstring_view currentUser);

// A link's name can be a file name of its own: not empty, "." or "..", and with ".lnk"
// a plain file name (IsPlainFileName: no \ / : * ? " < > | or control characters, no
// device name such as CON).
bool IsLinkFileName(std::wstring_view name);

}  // namespace velmora
