// The program's own small automation layer over the shell: the browser object opens a
// web address in a new window of the system's default browser. The prompt settings of
// the layer are process-wide values that callers read and set around their calls.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/HomePage.h"

namespace velmora::ui {

class ShellAutomationLayer : public AutomationLayer {
 public:
  // 5000 ms and an empty text until someone sets them.
  bool GetPromptTimeout(int32_t& milliseconds) override;
  bool SetPromptTimeout(int32_t milliseconds) override;
  bool SetPromptText(const std::wstring& text) override;
  // A browser object for kBrowserProgId; nothing for any other identifier.
  std::unique_ptr<AutomationObject> CreateObject(const std::wstring& progId) override;

  // The process-wide values, as the last caller left them.
  static int32_t PromptTimeout();
  static std::wstring PromptText();
};

}  // namespace velmora::ui
