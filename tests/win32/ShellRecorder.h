// Stand-ins for the programs the shell starts. A copy of a test program under another
// file name is a recorder: started by the shell, it appends its command line to
// "<its own path>.log" and ends before any test runs. The tests point the shell's
// open actions at recorders for a while (ScopedClasses).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Watchdog.h"
#include "base/Handle.h"

namespace velmora::testing {

inline std::wstring OwnProgramPath() {
  std::wstring path(MAX_PATH * 2, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

inline bool RecordIfRecorder() {
  std::wstring self = OwnProgramPath();
  std::wstring name = self.substr(self.find_last_of(L'\\') + 1);
  if (_wcsnicmp(name.c_str(), L"velmora_", 8) == 0) return false;  // the test program itself
  std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
  if (KernelHandle log{CreateFileW((self + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)}) {
    DWORD written = 0;
    WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
  }
  ExitProcess(0);
  return true;
}

inline const bool kRecorderChecked = RecordIfRecorder();

// A recorder named `name` in `folder`; its log starts empty.
inline std::wstring MakeRecorder(const std::wstring& folder, const std::wstring& name) {
  std::wstring path = folder + L"\\" + name;
  CopyFileW(OwnProgramPath().c_str(), path.c_str(), FALSE);
  DeleteFileW((path + L".log").c_str());
  return path;
}

// The command lines a recorder was started with, in order.
inline std::vector<std::wstring> Recorded(const std::wstring& recorder) {
  std::vector<std::wstring> lines;
  KernelHandle log(CreateFileW((recorder + L".log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  if (!log) return lines;
  std::wstring text;
  wchar_t buf[4096];
  DWORD got = 0;
  while (ReadFile(log.get(), buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got / sizeof(wchar_t));
  for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Waits until the recorder holds at least `count` lines, then a little longer, so that
// a start that should not have happened has had its chance to show.
inline std::vector<std::wstring> WaitRecorded(const std::wstring& recorder, size_t count, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (Recorded(recorder).size() < count && GetTickCount() - start < timeoutMs) Sleep(20);
  Sleep(300);
  return Recorded(recorder);
}

// Default values under HKEY_CLASSES_ROOT, changed for a test: keys it creates are
// deleted again and values it overwrites restored when the object goes, or when the
// watchdog ends the test. (A program ended from outside leaves them changed until
// scripts/make-prefix --restore, which CTest runs before the Windows tests.)
class ScopedClasses {
 public:
  ScopedClasses() = default;
  ScopedClasses(const ScopedClasses&) = delete;
  ScopedClasses& operator=(const ScopedClasses&) = delete;
  ~ScopedClasses() { Restore(); }

  // Puts everything back that Set changed.
  void Restore() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
      if (it->createdKey)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, it->subkey.c_str()), RegDeleteKeyW(HKEY_CLASSES_ROOT, it->subkey.c_str());
      else if (it->hadValue)
        WriteDefault(it->subkey, it->oldValue);
      else
        RegDeleteKeyValueW(HKEY_CLASSES_ROOT, it->subkey.c_str(), nullptr);
    }
    undo_.clear();
  }

  // Sets the default value of `subkey` (for example L"https\\shell\\open\\command"),
  // creating the keys on the way.
  bool Set(const std::wstring& subkey, const std::wstring& value) {
    for (size_t end = subkey.find(L'\\'); end != std::wstring::npos; end = subkey.find(L'\\', end + 1))
      if (!Create(subkey.substr(0, end))) return false;
    if (!Create(subkey)) return false;
    Undo undo{subkey, false, false, {}};
    undo.hadValue = ReadDefault(subkey, undo.oldValue);
    undo_.push_back(undo);
    return WriteDefault(subkey, value);
  }

  // Points the open action of a class (a scheme such as "https", or a file type's
  // class) at a recorder.
  bool OpenWith(const std::wstring& cls, const std::wstring& recorder) {
    return Set(cls + L"\\shell\\open\\command", L"\"" + recorder + L"\" \"%1\"");
  }

 private:
  struct Undo {
    std::wstring subkey;
    bool createdKey;  // delete the key; otherwise restore (or remove) its default value
    bool hadValue;
    std::wstring oldValue;
  };
  bool Create(const std::wstring& subkey) {
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    if (disposition == REG_CREATED_NEW_KEY) undo_.push_back(Undo{subkey, true, false, {}});
    return true;
  }
  static bool ReadDefault(const std::wstring& subkey, std::wstring& value) {
    wchar_t buf[1024];
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
      return false;
    value = buf;
    return true;
  }
  static bool WriteDefault(const std::wstring& subkey, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  std::vector<Undo> undo_;
  WatchdogHook onTimeout_{[this] { Restore(); }};
};

}  // namespace velmora::testing
