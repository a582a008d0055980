// The check log of the automatic run.
#include "base/ProgramFolder.h"
#include "store/MCheckLog.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

bool frmVelmora1::LogWrite(CheckKind kind, bool found, const std::wstring& target, float size, float limit,
                           CheckResult result) {
  std::optional<std::wstring> extension = LogExtension(LogOption(0), LogOption(1));
  if (!extension) return true;
  CheckRecord record{kind, found, target, size, limit, result};
  return WriteCheckLog(ProgramFolder(), *extension, record, LocalLogTime());
}

}  // namespace velmora::ui
