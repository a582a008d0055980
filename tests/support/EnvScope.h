// Environment variables of the test process (and so of the processes it starts).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace velmora::testing {

// The variable's value, or nothing when it is not set.
inline std::optional<std::wstring> EnvValue(const wchar_t* name) {
  std::wstring value(32767, L'\0');
  DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  if (n == 0 || n >= value.size()) return std::nullopt;
  value.resize(n);
  return value;
}

// Sets a variable for the life of the object, then restores it.
class EnvScope {
 public:
  EnvScope(const wchar_t* name, const std::wstring& value) : name_(name), old_(EnvValue(name)) {
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~EnvScope() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
  EnvScope(const EnvScope&) = delete;
  EnvScope& operator=(const EnvScope&) = delete;

 private:
  const wchar_t* name_;
  std::optional<std::wstring> old_;
};

}  // namespace velmora::testing
