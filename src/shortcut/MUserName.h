// The name of the user who runs the program.
#pragma once
#include <string>

namespace velmora {

// The logged-on user's name, or an empty string when it cannot be read. Windows only.
std::wstring UserNameGet();

}  // namespace velmora
