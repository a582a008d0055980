// The process's default library search after LibrarySearchRestrict, in a process of its
// own: a copy of this test program started as "velmora_library_probe.exe" loads a system
// library by name and notes which file it got. Copies of a planted library of that name
// lie beside the probe, in its current folder and in a folder on PATH, and Wine is told
// to prefer a library file from disk, as Windows does for a library it does not pin.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "EnvScope.h"
#include "TempDir.h"
#include "shortcut/MDllChk.h"

namespace velmora {
namespace {

constexpr wchar_t kProbeName[] = L"velmora_library_probe.exe";
constexpr wchar_t kLibrary[] = L"msimg32.dll";

std::wstring OwnPath() {
  std::wstring path(MAX_PATH * 2, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// In the probe: restricts the search when asked, loads the library, writes the path
// of the file loaded (or "none") to "<probe>.log", and ends.
bool ProbeIfProbe() {
  std::wstring self = OwnPath();
  if (_wcsicmp(self.substr(self.find_last_of(L'\\') + 1).c_str(), kProbeName) != 0) return false;
  if (wcsstr(GetCommandLineW(), L" restrict")) LibrarySearchRestrict();
  HMODULE module = LoadLibraryW(kLibrary);
  std::wstring loaded(MAX_PATH, L'\0');
  loaded.resize(module ? GetModuleFileNameW(module, loaded.data(), MAX_PATH) : 0);
  if (loaded.empty()) loaded = L"none";
  {
    KernelHandle log(CreateFileW((self + L".log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(log.get(), loaded.data(), static_cast<DWORD>(loaded.size() * sizeof(wchar_t)), &written, nullptr);
  }
  ExitProcess(0);
}

const bool kProbeChecked = ProbeIfProbe();

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH] = L"";
  GetSystemDirectoryW(path, MAX_PATH);
  return path;
}

TEST(LibrarySearchRestrict, SystemLibrariesComeFromTheSystemFolderOnly) {
  testing::TempDir program(L"velmora probe program"), current(L"velmora probe cwd"), onPath(L"velmora probe path");
  const std::wstring own = OwnPath();
  const std::wstring planted = own.substr(0, own.find_last_of(L'\\')) + L"\\planted\\" + kLibrary;
  for (const testing::TempDir* dir : {&program, &current, &onPath})
    ASSERT_TRUE(CopyFileW(planted.c_str(), dir->File(kLibrary).c_str(), FALSE)) << GetLastError();
  const std::wstring probe = program.File(kProbeName);
  ASSERT_TRUE(CopyFileW(own.c_str(), probe.c_str(), FALSE)) << GetLastError();
  testing::EnvScope path(L"PATH", onPath.Path() + L";" + testing::EnvValue(L"PATH").value_or(L""));
  testing::EnvScope overrides(L"WINEDLLOVERRIDES",
                              testing::EnvValue(L"WINEDLLOVERRIDES").value_or(L"") + L";msimg32=n,b");
  struct Row {
    const wchar_t* arguments;
    std::wstring loaded;
  } rows[] = {
      // Without the restriction the copy beside the program wins: the probe is sound.
      {L"", program.File(kLibrary)},
      {L" restrict", SystemFolder() + L"\\" + kLibrary},
  };
  for (const Row& row : rows) {
    std::wstring line = L"\"" + probe + L"\"" + row.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(probe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, current.Path().c_str(),
                               &startup, &info))
        << GetLastError();
    KernelHandle process(info.hProcess), thread(info.hThread);
    EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    std::string bytes = program.Read(std::wstring(kProbeName) + L".log");
    std::wstring loaded(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(_wcsicmp(loaded.c_str(), row.loaded.c_str()), 0)
        << ::testing::PrintToString(loaded) << " instead of " << ::testing::PrintToString(row.loaded);
  }
}

}  // namespace
}  // namespace velmora
