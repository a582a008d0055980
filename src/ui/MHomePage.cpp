#include "ui/MHomePage.h"

#include "app/HomePage.h"
#include "ui/MHomePageShell.h"
#include "ui/MSLEEP.h"
#include "ui/MessagePump.h"

namespace velmora::ui {

void HomePageOpen(const std::wstring& address) {
  ShellAutomationLayer layer;
  RunHomePageSequence(
      address, layer, [](int32_t ms) { SleepMilliseconds(ms); }, [] { DoEvents(); });
}

}  // namespace velmora::ui
