#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <vector>

#include "base/Handle.h"
#include "base/PathForm.h"
#include "base/ProgramFolder.h"
#include "base/SystemLibrary.h"
#include "store/MTSK_KIDOU.h"

namespace velmora {

namespace {

// Starts the checked program itself with the whole text as its command line, in a
// normal window that takes the focus.
LaunchResult StartProgram(const std::wstring& program, const std::wstring& commandLine) {
  if (!IsExistingFile(program)) return LaunchResult::kNotOpened;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return LaunchResult::kNotOpened;
  KernelHandle process(info.hProcess), thread(info.hThread);
  return LaunchResult::kOpened;
}

}  // namespace

LaunchResult TSK_KIDOU(void* owner, const std::wstring& cmd, LaunchAs as) {
  LaunchPlan plan = PlanLaunch(cmd, ProgramFolder(), as);
  if (plan.form == LaunchPlan::Form::ProgramWithArguments) return StartProgram(plan.file, cmd);
  // The shell is loaded on first use; without it nothing opens.
  static const auto shellExecute = SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (!shellExecute) return LaunchResult::kNotOpened;
  HINSTANCE result = shellExecute(static_cast<HWND>(owner), nullptr, plan.file.c_str(), nullptr,
                                  plan.workFolder.empty() ? nullptr : plan.workFolder.c_str(), SW_SHOWNORMAL);
  return ShellResultToLaunch(reinterpret_cast<uintptr_t>(result));
}

}  // namespace velmora
