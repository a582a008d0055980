#include "store/MTSK_KIDOU.h"

#include "base/Text.h"
#include "store/MCHAR_CHK.h"

namespace velmora {

namespace {

// The folder `n` levels above `folder`; stops at the drive ("C:") when it runs out.
std::wstring Ancestor(std::wstring folder, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos) break;
    folder.erase(slash);
  }
  return folder;
}

}  // namespace

LaunchPlan PlanLaunch(const std::wstring& cmd, const std::wstring& programFolder, LaunchAs as) {
  int32_t b = 0, e = 0, count = 0;
  CHAR_CHK(cmd, L"\\", b, count);
  if (as == LaunchAs::kCommand) CHAR_CHK(ToUpperAscii(cmd), L".EXE ", e, count);

  if (e != 0) return {LaunchPlan::Form::ProgramWithArguments, cmd.substr(0, static_cast<size_t>(e) + 3), L""};
  if (b == 0) return {LaunchPlan::Form::BareName, cmd, programFolder};
  if (cmd.starts_with(L"..\\")) {
    int32_t at = 0, n = 0;
    CHAR_CHK(cmd, L"..\\", at, n);
    std::wstring base = Ancestor(programFolder, n);
    size_t from = static_cast<size_t>(3 * n);
    std::wstring file = base + L"\\" + cmd.substr(from);
    size_t upTo = static_cast<size_t>(b - 1);  // the last "\" (0-based)
    std::wstring work = upTo > from ? base + L"\\" + cmd.substr(from, upTo - from) : base;
    return {LaunchPlan::Form::AncestorRelative, file, work};
  }
  return {LaunchPlan::Form::FolderPath, cmd, cmd.substr(0, static_cast<size_t>(b - 1))};
}

LaunchResult ShellResultToLaunch(uintptr_t shellResult) {
  return shellResult <= 32 ? LaunchResult::kNotOpened : LaunchResult::kOpened;
}

}  // namespace velmora
