// The check log of the automatic run.
#include "base/ProgramFolder.h"
#include "store/MCheckLog.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

bool frmVelmora1::LogWrite(int16_t kind, bool found, const std::wstring& target, float size, float limit,
                           int16_t result) {
  std::optional<std::wstring> extension = LogExtension(LogOption(0), LogOption(1));
  if (!extension) return true;
  CheckRecord record{kind, found, target, size, limit, result};
  return WriteCheckLog(ProgramFolder(), *extension, record, LocalLogTime());
}

}  // namespace velmora::ui
