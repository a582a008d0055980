// Opening the author's homepage from the About window, through a small automation
// layer: the prompt settings around the calls, the browser object's calls in their
// order, and the bounded wait while the browser is busy. Every step ignores its own
// failure, and nothing is reported to the user.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The identifier the browser object is created by.
inline constexpr wchar_t kBrowserProgId[] = L"InternetExplorer.application";
// The prompt timeout while the homepage opens, and the wait for a busy browser.
inline constexpr int32_t kHomePagePromptTimeoutMs = 600000;
inline constexpr int32_t kBusyPollMs = 100;
inline constexpr int kBusyPollLimit = 20;

// A browser object of the automation layer. Each call returns false when it failed.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;  // releases the object; its window stays open
  virtual bool Navigate(const std::wstring& address) = 0;
  virtual bool GetBusy(bool& busy) = 0;
  virtual bool SetVisible(bool visible) = 0;
};

// The automation layer: its process-wide prompt settings for calls to a component that
// does not answer, and object creation by identifier (nothing when it cannot).
class AutomationLayer {
 public:
  virtual ~AutomationLayer() = default;
  virtual bool GetPromptTimeout(int32_t& milliseconds) = 0;
  virtual bool SetPromptTimeout(int32_t milliseconds) = 0;
  virtual bool SetPromptText(const std::wstring& text) = 0;
  virtual std::unique_ptr<AutomationObject> CreateObject(const std::wstring& progId) = 0;
};

// Opens `address` in a new, visible browser window:
//  1. remembers the prompt timeout and sets it to 10 minutes, 2. sets the prompt text,
//  3. creates the browser object, 4. navigates, 5. waits while it is busy, at most
//  twenty 100 ms sleeps (a Busy that cannot be read counts as busy), 6. makes it
//  visible, 7. processes pending window messages once, 8. releases the object,
//  9. restores the prompt timeout (only when step 1 could read it).
void RunHomePageSequence(const std::wstring& address, AutomationLayer& layer, const std::function<void(int32_t)>& sleep,
                         const std::function<void()>& doEvents);

// --- The shell's browser launch -----------------------------------------------------

// True for an http:// or https:// address (letter case ignored) without blanks, control
// characters or quotation marks: the only kind the browser object opens, so that no
// file or program is ever started from it and the address stays one parameter.
bool IsWebAddress(std::wstring_view address);

// The part before "://": "https" for "https://velmora.example/".
std::wstring SchemeOf(std::wstring_view address);

// The command-line switch that makes a known browser open the address in a new window
// of its own ("--new-window" for the Chromium family, "-new-window" for the Firefox
// family, nothing for Internet Explorer, which opens one per start); nothing for a
// browser it does not know, which is then asked through the shell's open action.
// `browserPath` is the browser's program file, with or without a folder.
std::optional<std::wstring> NewWindowSwitch(std::wstring_view browserPath);

// The parameters that start a known browser on `address` in a new window: the switch
// (when it has one) and the address in quotation marks.
std::wstring NewWindowParameters(const std::wstring& windowSwitch, const std::wstring& address);

}  // namespace velmora
