// The automatic check run, started by the timer in an automatic run.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::Timer1_Timer() {
  Timer1.SetEnabled(false);
  Form_Unload();
}

}  // namespace velmora::ui
