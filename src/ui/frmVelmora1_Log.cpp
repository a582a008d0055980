// The check log of the automatic run.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

bool frmVelmora1::LogWrite(int16_t kind, bool found, const std::wstring& target, float size, float limit,
                           int16_t result) {
  return true;
}

}  // namespace velmora::ui
