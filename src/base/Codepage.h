// Text files are written and read in code page 932 (Shift_JIS with Microsoft's
// extensions); inside the program every string is UTF-16 (wide).
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// Wide text to code page 932 bytes. A character the code page cannot hold becomes "?".
std::string ToCp932(std::wstring_view text);

// Code page 932 bytes to wide text. An invalid sequence becomes U+30FB ("・") on
// Windows' own converter or U+FFFD elsewhere; the conversion never fails.
std::wstring FromCp932(std::string_view bytes);

}  // namespace velmora
