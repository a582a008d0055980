// Uninstall.exe: removes the Velmora installation of its own folder, which the setup
// program put there. It runs in place and ends only when its work is done; its exit
// code says what happened:
//   0  everything Velmora put there is gone (the settings and logs too when asked for)
//   1  the user cancelled; nothing changed
//   2  it gave up: Velmora still running after the wait, a link or a program file that
//      could not be deleted (nothing removed then, the program put back), or settings,
//      logs or the installed-programs entry left behind (named in the report)
//   Uninstall.exe [/S]   /S: no questions; the settings and the logs stay.
//
// The order keeps every stop consistent: the program files are first set aside (the
// folder swap, undone when a link cannot go), then the links go, then the files set
// aside, then the data asked for, then the installed-programs entry. Last, the program
// moves its own file out of the folder into a folder of its own under the temporary
// folder (a running program can be renamed, not deleted), removes the emptied folder,
// and starts the system's command processor, by its full path, to delete that file
// once this process has ended. Where the temporary folder lies on another drive, its
// own file stays in place until then.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "FolderFiles_win32.h"
#include "SetupCleanup.h"
#include "SetupFolder.h"
#include "UninstallDialog.h"
#include "UninstallTexts.h"
#include "app/About.h"
#include "base/Handle.h"
#include "base/PathForm.h"
#include "base/ProgramFolder.h"
#include "base/SystemLibrary.h"
#include "shortcut/MDllChk.h"

namespace velmora::uninstall {
namespace {

// The user's temporary folder, ending in a backslash; empty if the system cannot say.
std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, path);
  return n > 0 && n <= MAX_PATH ? std::wstring(path, n) : std::wstring();
}

using setup::Outcome;
using setup::Removal;

// The program files the setup program installs, Uninstall.exe aside.
const std::vector<std::wstring> kProgramFiles = {
#include "ProgramFiles.inc"
};
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr wchar_t kRunMutex[] = L"Local\\VelmoraSetup";
constexpr int kWaitTries = 20;  // for a running Velmora: 20 looks, half a second apart
constexpr DWORD kWaitPauseMs = 500;

std::wstring Caption() {
  return L"Velmora " + VersionText(VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR) + texts::kCaptionSuffix;
}

std::wstring WithFolder(std::wstring text, const std::wstring& folder) {
  const std::wstring mark = L"%FOLDER%";
  size_t at = text.find(mark);
  return at == std::wstring::npos ? text : text.replace(at, mark.size(), folder);
}

// Whether two paths name the same folder, however spelled (another drive letter for it,
// short names): the same file of the same volume.
bool SameFolder(const std::wstring& a, const std::wstring& b) {
  if (CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
  auto identity = [](const std::wstring& path) -> std::optional<BY_HANDLE_FILE_INFORMATION> {
    KernelHandle folder(CreateFileW(SystemPathForm(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !GetFileInformationByHandle(folder.get(), &info)) return std::nullopt;
    return info;
  };
  std::optional<BY_HANDLE_FILE_INFORMATION> x = identity(a), y = identity(b);
  return x && y && x->dwVolumeSerialNumber == y->dwVolumeSerialNumber && x->nFileIndexHigh == y->nFileIndexHigh &&
         x->nFileIndexLow == y->nFileIndexLow;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &raw))) path = raw;
  CoTaskMemFree(raw);
  return path;
}

std::optional<std::wstring> RegisteredFolder() {
  wchar_t value[2048];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}

// What a run could not do: a headline and the things it names.
struct Report {
  std::wstring headline;
  std::vector<std::wstring> items;
};

class Uninstaller {
 public:
  Uninstaller(bool silent) : silent_(silent), self_(ProgramPath()), folder_(ProgramFolder()) {}

  int Run() {
    // One setup program or uninstaller at a time (the setup program takes the same mutex).
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, kRunMutex));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return Fail({texts::kAlreadyRunning, {}});
    std::vector<std::wstring> everything = kProgramFiles;
    everything.push_back(L"Uninstall.exe");
    std::optional<std::wstring> registered = RegisteredFolder();
    const bool ours = registered && SameFolder(*registered, folder_);
    if (!ours && setup::InspectPlace(folder_, everything) != setup::Place::kVelmora)
      return Fail({WithFolder(texts::kNotInstalled, folder_), {}});
    bool deleteData = false;
    if (!silent_) {
      std::optional<bool> answer = Confirm(Caption(), folder_);
      if (!answer) return 1;
      deleteData = *answer;
    }

    setup::WindowsFolderFiles files(folder_);
    if (setup::Recover(files) != Outcome::kDone) return Fail({texts::kUnfinishedRun, {folder_}});
    if (std::optional<std::wstring> held = WaitUntilFree()) return Fail({texts::kStillRunning, {*held}});
    Outcome aside = setup::SetAside(files, kProgramFiles);
    if (aside != Outcome::kDone)
      return Fail({aside == Outcome::kUndone ? texts::kNothingChanged : texts::kNotRestored, {}});
    // Every link goes, or none: one that another program holds stops the uninstall
    // before any is deleted.
    std::vector<std::wstring> links = Links(), left = setup::HeldFiles(links);
    if (left.empty()) left = setup::DeleteFiles(links).left;
    if (!left.empty()) {
      bool restored = setup::Undo(files) == Outcome::kUndone;
      return Fail({restored ? texts::kLinksLeft : texts::kLinksLeftNotRestored, left});
    }
    if (setup::Commit(files) != Outcome::kDone) return Fail({texts::kProgramLeft, {folder_}});

    std::vector<Report> unfinished;
    if (deleteData) {
      Removal data = setup::DeleteCheckLogs(folder_);
      const std::wstring ini = InFolder(folder_, setup::kSettingsName);
      if (!DeleteFileW(ini.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) data.left.push_back(ini);
      if (!data.left.empty()) unfinished.push_back({texts::kDataLeft, data.left});
    }
    if (ours) {
      LSTATUS status = RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) unfinished.push_back({texts::kEntryLeft, {}});
    }
    LeaveFolder();
    if (!unfinished.empty()) {
      Report report = unfinished.front();
      for (size_t i = 1; i < unfinished.size(); ++i) {
        report.items.push_back(L"");
        report.items.push_back(unfinished[i].headline);
        report.items.insert(report.items.end(), unfinished[i].items.begin(), unfinished[i].items.end());
      }
      return Fail(report);
    }
    if (!silent_) {
      std::wstring done = texts::kDone;
      if (!deleteData) done += L"\r\n\r\n" + WithFolder(texts::kDataKept, folder_);
      MessageBoxW(nullptr, done.c_str(), Caption().c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    }
    return 0;
  }

  // After Run: the command processor deletes this program's own file once it has ended.
  void DeleteOwnFileAfterEnd() const {
    if (!ownFile_.empty()) DeleteAfterEnd(ownFile_, ownFolder_);
  }

 private:
  // Waits for a running Velmora of this folder to end; asks when the wait was not
  // enough (silent: gives up). The file still in use, or nothing.
  std::optional<std::wstring> WaitUntilFree() const {
    for (;;) {
      std::optional<std::wstring> held;
      for (int i = 0; i < kWaitTries; ++i) {
        held = setup::FileInUse(folder_, kProgramFiles);
        if (!held) return std::nullopt;
        Sleep(kWaitPauseMs);
      }
      std::wstring question = WithFolder(texts::kInUse, folder_);
      question.replace(question.find(L"%FILE%"), 6, *held);
      if (silent_ || MessageBoxW(nullptr, question.c_str(), Caption().c_str(),
                                 MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_SETFOREGROUND) != IDRETRY)
        return held;
    }
  }

  // The links that start this folder's Velmora.exe: in the user's and the shared
  // Startup folder, and the Start-menu entry.
  std::vector<std::wstring> Links() const {
    const std::wstring exe = InFolder(folder_, setup::kProgramName);
    std::vector<std::wstring> links;
    struct Place {
      REFKNOWNFOLDERID folder;
      const wchar_t* pattern;
    } const places[] = {
        {FOLDERID_Startup, L"*.lnk"}, {FOLDERID_CommonStartup, L"*.lnk"}, {FOLDERID_Programs, L"Velmora.lnk"}};
    for (const Place& place : places) {
      std::vector<std::wstring> some = setup::LinksTo(KnownFolder(place.folder), place.pattern, exe);
      links.insert(links.end(), some.begin(), some.end());
    }
    return links;
  }

  // Takes this program's own file out of the folder and removes what is left of the
  // folder when it is empty.
  void LeaveFolder() {
    RemoveDirectoryW(SystemPathForm(InFolder(folder_, L"images")).c_str());
    std::wstring file = self_, holder;
    const std::wstring temp = TempFolder();
    for (int attempt = 0; attempt < 10 && holder.empty() && !temp.empty(); ++attempt) {
      std::wstring dir = temp + L"Velmora-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                         std::to_wstring(GetTickCount() + attempt);
      if (CreateDirectoryW(dir.c_str(), nullptr)) holder = dir;
    }
    if (!holder.empty() && MoveFileExW(self_.c_str(), (holder + L"\\Uninstall.exe").c_str(), 0)) {
      file = holder + L"\\Uninstall.exe";
    } else {
      if (!holder.empty()) RemoveDirectoryW(holder.c_str());
      holder = folder_;
    }
    RemoveDirectoryW(SystemPathForm(folder_).c_str());
    ownFile_ = file;
    ownFolder_ = holder;
  }

  // The command processor of the system folder tries to delete the file until this
  // process has ended and the file goes (at most 120 tries, the system's ping pausing
  // between them), then removes the folder it lies in when empty. The paths reach it
  // through its environment, never through the command text, so no character of theirs
  // is read as a command.
  static void DeleteAfterEnd(const std::wstring& file, const std::wstring& folder) {
    const std::wstring system = SystemFolder();
    if (system.empty()) return;
    const std::wstring cmd = system + L"\\cmd.exe", ping = system + L"\\PING.EXE";
    SetEnvironmentVariableW(L"VELMORA_FILE", file.c_str());
    SetEnvironmentVariableW(L"VELMORA_FOLDER", folder.c_str());
    SetEnvironmentVariableW(L"VELMORA_PING", ping.c_str());
    std::wstring line =
        L"cmd.exe /d /q /c for /l %i in (1,1,120) do @(\"%VELMORA_PING%\" -n 2 127.0.0.1 >nul & "
        L"del /f /q \"%VELMORA_FILE%\" 2>nul & if not exist \"%VELMORA_FILE%\" (rmdir \"%VELMORA_FOLDER%\" 2>nul & "
        L"exit))";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, system.c_str(),
                       &si, &pi)) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }

  // Says what went wrong (a silent run writes it to the report file) and gives 2.
  int Fail(const Report& report) const {
    std::wstring text = report.headline;
    if (!report.items.empty()) text += L"\r\n";
    for (const std::wstring& item : report.items) text += L"\r\n" + item;
    if (!silent_) {
      MessageBoxW(nullptr, text.c_str(), Caption().c_str(), MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
      return 2;
    }
    const std::wstring temp = TempFolder();
    if (temp.empty()) return 2;
    KernelHandle file(CreateFileW((temp + texts::kReportName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8 = "\xEF\xBB\xBF" + std::string(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data() + 3, bytes, nullptr,
                          nullptr);
    DWORD written = 0;
    if (file) WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return 2;
  }

  bool silent_;
  std::wstring self_, folder_;
  std::wstring ownFile_, ownFolder_;  // where this program's file went, and its folder
};

bool SilentRequested() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  bool silent = false;
  for (int i = 1; args && i < count; ++i)
    silent = silent || CompareStringOrdinal(args[i], -1, L"/S", -1, TRUE) == CSTR_EQUAL;
  LocalFree(args);
  return silent;
}

}  // namespace
}  // namespace velmora::uninstall

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  velmora::LibrarySearchRestrict();
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  velmora::ComScope com;
  try {
    velmora::uninstall::Uninstaller uninstaller(velmora::uninstall::SilentRequested());
    int result = uninstaller.Run();
    uninstaller.DeleteOwnFileAfterEnd();
    return result;
  } catch (...) {
    return 2;
  }
}
