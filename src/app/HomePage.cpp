#include "app/HomePage.h"

#include "base/Text.h"
#include "base/Texts.h"

namespace velmora {

void RunHomePageSequence(const std::wstring& address, AutomationLayer& layer, const std::function<void(int32_t)>& sleep,
                         const std::function<void()>& doEvents) {
  int32_t oldTimeout = 0;
  bool haveOldTimeout = layer.GetPromptTimeout(oldTimeout);
  layer.SetPromptTimeout(kHomePagePromptTimeoutMs);
  layer.SetPromptText(texts::kPleaseWait);

  std::unique_ptr<AutomationObject> browser = layer.CreateObject(kBrowserProgId);
  if (browser) browser->Navigate(address);
  for (int polls = 0;;) {
    bool busy = true;
    if (browser && browser->GetBusy(busy) && !busy) break;
    sleep(kBusyPollMs);
    if (++polls == kBusyPollLimit) break;
  }
  if (browser) browser->SetVisible(true);
  doEvents();
  browser.reset();

  if (haveOldTimeout) layer.SetPromptTimeout(oldTimeout);
}

bool IsWebAddress(std::wstring_view address) {
  std::wstring scheme = ToUpperAscii(SchemeOf(address));
  if (scheme != L"HTTP" && scheme != L"HTTPS") return false;
  if (address.size() <= scheme.size() + 3) return false;
  // Blanks, control characters and quotation marks would end the quoted parameter.
  for (wchar_t c : address)
    if (c <= L' ' || c == L'"' || c == 0x7F) return false;
  return true;
}

std::wstring SchemeOf(std::wstring_view address) {
  size_t end = address.find(L"://");
  return end == std::wstring_view::npos ? std::wstring() : std::wstring(address.substr(0, end));
}

std::optional<std::wstring> NewWindowSwitch(std::wstring_view browserPath) {
  size_t slash = browserPath.find_last_of(L"\\/");
  std::wstring name = ToUpperAscii(slash == std::wstring_view::npos ? browserPath : browserPath.substr(slash + 1));
  static const struct {
    const wchar_t* program;
    const wchar_t* windowSwitch;
  } kKnown[] = {
      {L"CHROME.EXE", L"--new-window"},   {L"MSEDGE.EXE", L"--new-window"},
      {L"BRAVE.EXE", L"--new-window"},    {L"VIVALDI.EXE", L"--new-window"},
      {L"OPERA.EXE", L"--new-window"},    {L"CHROMIUM.EXE", L"--new-window"},
      {L"FIREFOX.EXE", L"-new-window"},   {L"WATERFOX.EXE", L"-new-window"},
      {L"LIBREWOLF.EXE", L"-new-window"}, {L"IEXPLORE.EXE", L""},
  };
  for (const auto& known : kKnown)
    if (name == known.program) return std::wstring(known.windowSwitch);
  return std::nullopt;
}

std::wstring NewWindowParameters(const std::wstring& windowSwitch, const std::wstring& address) {
  std::wstring quoted = L"\"" + address + L"\"";
  return windowSwitch.empty() ? quoted : windowSwitch + L" " + quoted;
}

}  // namespace velmora
