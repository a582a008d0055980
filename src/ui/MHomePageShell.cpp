#include "ui/MHomePageShell.h"

// The shell headers need windows.h before them.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
// clang-format on

#include "base/Handle.h"
#include "base/SystemLibrary.h"

namespace velmora::ui {
namespace {

// The layer's prompt settings, kept for the whole process (the user-interface thread
// is the only one that touches them).
int32_t gPromptTimeout = 5000;
std::wstring gPromptText;

// The program file the system opens addresses of this scheme with ("https"), or empty.
std::wstring DefaultBrowserOf(const std::wstring& scheme) {
  // Windows 8 and later answer for a protocol with the user's own choice of browser
  // when asked so (ASSOCF_IS_PROTOCOL); earlier systems refuse that flag.
  constexpr ASSOCF kIsProtocol = static_cast<ASSOCF>(0x00001000);
  static const auto assocQuery = SystemFunction<decltype(&AssocQueryStringW)>(L"shlwapi.dll", "AssocQueryStringW");
  if (!assocQuery) return {};
  for (ASSOCF flags : {kIsProtocol | ASSOCF_NOTRUNCATE, static_cast<ASSOCF>(ASSOCF_NOTRUNCATE)}) {
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD size = MAX_PATH * 2;
    if (SUCCEEDED(assocQuery(flags, ASSOCSTR_EXECUTABLE, scheme.c_str(), L"open", path, &size))) return path;
  }
  return {};
}

// A browser object: Navigate opens the address in a new window of the default browser
// (a known browser is started with its new-window switch; any other is asked through
// the shell's open action); Busy reads whether the started browser is still starting.
class ShellBrowser : public AutomationObject {
 public:
  bool Navigate(const std::wstring& address) override {
    if (!IsWebAddress(address)) return false;
    std::wstring browser = DefaultBrowserOf(SchemeOf(address));
    std::optional<std::wstring> windowSwitch = NewWindowSwitch(browser);
    std::wstring parameters;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.nShow = SW_SHOWNORMAL;
    if (windowSwitch) {
      parameters = NewWindowParameters(*windowSwitch, address);
      info.lpFile = browser.c_str();
      info.lpParameters = parameters.c_str();
    } else {
      info.lpVerb = L"open";
      info.lpFile = address.c_str();
    }
    static const auto shellExecute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (!shellExecute || !shellExecute(&info)) return false;
    process_.reset(info.hProcess);  // null when the shell handed the address to a running browser
    navigated_ = true;
    return true;
  }

  bool GetBusy(bool& busy) override {
    if (!navigated_) return false;
    // Busy until the started browser waits for input; a browser already running, or
    // one without a window of its own, is not waited for.
    busy = process_ && WaitForInputIdle(process_.get(), 0) == WAIT_TIMEOUT;
    return true;
  }

  bool SetVisible(bool visible) override {
    if (!navigated_) return false;
    // The browser shows its window itself; let it come to the front over ours.
    if (visible) AllowSetForegroundWindow(process_ ? GetProcessId(process_.get()) : ASFW_ANY);
    return true;
  }

 private:
  KernelHandle process_;
  bool navigated_ = false;
};

}  // namespace

bool ShellAutomationLayer::GetPromptTimeout(int32_t& milliseconds) {
  milliseconds = gPromptTimeout;
  return true;
}

bool ShellAutomationLayer::SetPromptTimeout(int32_t milliseconds) {
  gPromptTimeout = milliseconds;
  return true;
}

bool ShellAutomationLayer::SetPromptText(const std::wstring& text) {
  gPromptText = text;
  return true;
}

std::unique_ptr<AutomationObject> ShellAutomationLayer::CreateObject(const std::wstring& progId) {
  if (CompareStringOrdinal(progId.c_str(), -1, kBrowserProgId, -1, TRUE) != CSTR_EQUAL) return nullptr;
  return std::make_unique<ShellBrowser>();
}

int32_t ShellAutomationLayer::PromptTimeout() {
  return gPromptTimeout;
}

std::wstring ShellAutomationLayer::PromptText() {
  return gPromptText;
}

}  // namespace velmora::ui
