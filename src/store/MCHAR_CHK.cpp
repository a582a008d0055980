#include "store/MCHAR_CHK.h"

namespace velmora {

void CHAR_CHK(std::wstring_view text, std::wstring_view pattern, int32_t& position, int32_t& count) {
  position = 0;
  count = 0;
  if (pattern.empty()) return;
  for (size_t p = text.find(pattern); p != std::wstring_view::npos; p = text.find(pattern, p + 1)) {
    position = static_cast<int32_t>(p + 1);
    ++count;
  }
}

}  // namespace velmora
