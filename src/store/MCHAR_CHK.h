// Substring search that counts every occurrence, overlapping ones included.
#pragma once
#include <cstdint>
#include <string_view>

namespace velmora {

// Searches `pattern` in `text` (exact comparison), continuing one character after each
// find: `position` is the 1-based position of the last occurrence (0 when none) and
// `count` the number of occurrences. An empty pattern occurs nowhere.
void CHAR_CHK(std::wstring_view text, std::wstring_view pattern, int32_t& position, int32_t& count);

}  // namespace velmora
