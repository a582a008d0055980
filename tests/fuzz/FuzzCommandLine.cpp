// The argument text of an automatic run, from any command line: the three keys and the
// threshold conversion never crash, and each value is a slash-free piece of the text.
// Input: UTF-16 units; those before the first NUL are the program's own path, the rest
// the command line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/MCommandGet.h"
#include "base/Number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring commandLine;
  for (size_t i = 0; i + 1 < size; i += 2) commandLine += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  size_t nul = commandLine.find(L'\0');
  std::wstring modulePath = nul == std::wstring::npos ? L"" : commandLine.substr(0, nul);
  if (nul != std::wstring::npos) commandLine.erase(0, nul + 1);
  std::wstring args = velmora::ArgumentText(commandLine, modulePath);
  if (commandLine.find(args) == std::wstring::npos) std::abort();
  for (const wchar_t* key : {L"/DISK=", L"/DIR=", L"/SIZE="}) {
    std::wstring value = velmora::CommandGet(args, key);
    if (value.find(L'/') != std::wstring::npos) std::abort();
    if (!value.empty() && args.find(key + value) == std::wstring::npos) std::abort();
  }
  float threshold = static_cast<float>(velmora::LeadingNumber(velmora::CommandGet(args, L"/SIZE=")));
  velmora::FormatGeneral(threshold);
  velmora::FormatSize(threshold);
  velmora::FormatLogNumber(threshold);
  return 0;
}
