// The setup program as an administrator and a user meet it: silent install into the
// default folder and into a chosen one, the files, the Start-menu entry and the
// installed-programs entry read back; the installed program's automatic check and its
// start-up shortcut made through the window; an upgrade that keeps the settings and the
// logs byte for byte and waits for a running check; the silent uninstall, which removes
// exactly what Velmora put on the system. Then every way they must not do harm: folders
// and /D= texts refused before anything is written, upgrades that meet a held, read-only
// or leftover file, a killed run or a full disk and leave exactly one version, and a
// silent uninstall that ends only when done and says 2 when it did not finish. Also the
// uninstaller's link and log helpers on their own.
//
// Runs in a throw-away copy of the Wine prefix (setup-test.sh): the installs, registry
// entries and links never reach the prefix the other tests share.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "SetupCleanup.h"
#include "SetupFolder.h"
#include "ShellLinks.h"
#include "TempDir.h"
#include "TinyDrive.h"
#include "UninstallTexts.h"
#include "base/Codepage.h"
#include "base/Handle.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;
using velmora::testing::FolderEntries;
using velmora::testing::KnownFolder;
using velmora::testing::ReadBytes;
using velmora::testing::ReadLink;
using velmora::testing::WriteBytes;
namespace setup = velmora::setup;
namespace uninstall = velmora::uninstall;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr DWORD kSetupTimeoutMs = 120000;

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\'));
}
std::wstring BuildDir() {
  return FolderOf(BuiltExePath());
}
std::wstring SetupExe() {
  return BuildDir() + L"\\" VELMORA_SETUP_NAME;
}
// The zip's folder: exactly the files the setup program installs.
std::wstring StageDir() {
  return BuildDir() + L"\\package\\Velmora";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
std::wstring Upper(std::wstring text) {
  CharUpperW(text.data());
  return text;
}
bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Every file below `dir`, by its path relative to `dir`, with its bytes.
std::map<std::wstring, std::string> FilesUnder(const std::wstring& dir, const std::wstring& rel = L"") {
  std::map<std::wstring, std::string> files;
  WIN32_FIND_DATAW data;
  std::wstring base = rel.empty() ? dir : dir + L"\\" + rel;
  HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring relName = rel.empty() ? name : rel + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      files.merge(FilesUnder(dir, relName));
    } else {
      files[relName] = ReadBytes(dir + L"\\" + relName).value_or("<unreadable>");
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return files;
}

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

std::optional<std::wstring> RegString(const wchar_t* name) {
  wchar_t value[2048];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}
std::optional<DWORD> RegDword(const wchar_t* name) {
  DWORD value = 0xdeadbeef, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}
bool KeyExists() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Runs a program and waits until it and every process it started have ended (the
// uninstaller leaves the deletion of its own file to a helper): its exit code, nothing
// on a timeout. `atExit` looks at the system the moment the program itself has ended.
struct Ran {
  std::optional<DWORD> exitCode;
  DWORD milliseconds = 0;
};
Ran RunAll(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = kSetupTimeoutMs,
           const std::function<void()>& atExit = nullptr) {
  Ran ran;
  DWORD start = GetTickCount();
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  std::wstring line = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!job || !CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                              &si, &pi)) {
    ADD_FAILURE() << "cannot start " << Narrow(exe) << ": " << GetLastError();
    if (job) CloseHandle(job);
    return ran;
  }
  bool inJob = AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    ran.exitCode = code;
    ran.milliseconds = GetTickCount() - start;
    if (atExit) atExit();
    for (;;) {  // its children
      JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
      if (!inJob || !QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) ||
          info.ActiveProcesses == 0)
        break;
      if (GetTickCount() - start > timeoutMs) {
        ran.exitCode.reset();
        break;
      }
      Sleep(50);
    }
  } else {
    TerminateProcess(pi.hProcess, 99);
  }
  TerminateJobObject(job, 99);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(job);
  return ran;
}

bool SaveLink(const std::wstring& path, const std::wstring& target, const std::wstring& args) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;
  IPersistFile* file = nullptr;
  bool saved = SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(args.c_str())) &&
               SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
               SUCCEEDED(file->Save(path.c_str(), TRUE));
  if (file) file->Release();
  link->Release();
  return saved;
}

// Presses a wizard button (1 = next / install / close) and waits for `done`.
template <typename Done>
bool PressUntil(HWND wizard, int id, Done done, DWORD timeoutMs = 30000) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
    if (done()) return true;
    HWND button = GetDlgItem(wizard, id);
    if (button && IsWindowEnabled(button)) PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    for (int i = 0; i < 10 && !done(); ++i) Sleep(50);
  }
  return done();
}

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    startup_ = KnownFolder(FOLDERID_Startup);
    commonStartup_ = KnownFolder(FOLDERID_CommonStartup);
    programs_ = KnownFolder(FOLDERID_Programs);
    staged_ = FilesUnder(StageDir());
    ASSERT_TRUE(Exists(SetupExe())) << Narrow(SetupExe());
    ASSERT_GE(staged_.size(), 5u) << "the zip's folder is missing: " << Narrow(StageDir());
  }
  void TearDown() override { CoUninitialize(); }

  // The program files as installed are those of the zip, plus the uninstaller, and no
  // leftover of the swap.
  void ExpectProgramFiles(const std::wstring& dir) {
    std::map<std::wstring, std::string> found = FilesUnder(dir);
    for (const auto& [name, bytes] : staged_) {
      auto it = found.find(name);
      ASSERT_NE(it, found.end()) << Narrow(name) << " is not installed";
      EXPECT_TRUE(it->second == bytes) << Narrow(name) << " differs from the zip's";
    }
    EXPECT_TRUE(found.count(L"Uninstall.exe"));
    for (const auto& [name, bytes] : found) {
      bool program = staged_.count(name) || name == L"Uninstall.exe";
      bool kept = name == L"Velmora.ini" || name.ends_with(L".csv") || name.ends_with(L".txt");
      EXPECT_TRUE(program || kept) << "unexpected file " << Narrow(name);
    }
  }
  void ExpectNoProgramFiles(const std::wstring& dir) {
    for (const auto& [name, bytes] : staged_) EXPECT_FALSE(Exists(dir + L"\\" + name)) << Narrow(name) << " is left";
    EXPECT_FALSE(Exists(dir + L"\\Uninstall.exe"));
    EXPECT_FALSE(Exists(dir + L"\\images"));
  }

  Ran Install(const std::wstring& dir = L"") { return InstallWith(dir.empty() ? L"/S" : L"/S /D=" + dir); }
  Ran InstallWith(const std::wstring& args) {
    Ran ran = RunAll(SetupExe(), args);
    std::printf("setup %s: exit %d in %lu ms\n", Narrow(args).c_str(),
                ran.exitCode ? static_cast<int>(*ran.exitCode) : -1, static_cast<unsigned long>(ran.milliseconds));
    return ran;
  }
  Ran Uninstall(const std::wstring& dir, const std::function<void()>& atExit = nullptr) {
    Ran ran = RunAll(dir + L"\\Uninstall.exe", L"/S", kSetupTimeoutMs, atExit);
    std::printf("Uninstall.exe /S: exit %d in %lu ms\n", ran.exitCode ? static_cast<int>(*ran.exitCode) : -1,
                static_cast<unsigned long>(ran.milliseconds));
    return ran;
  }
  // The silent uninstall exactly as registered ("...\Uninstall.exe" /S).
  Ran QuietUninstall(const std::function<void()>& atExit = nullptr) {
    std::wstring line = RegString(L"QuietUninstallString").value_or(L"");
    size_t close = line.find(L'"', 1);
    if (line.empty() || line[0] != L'"' || close == std::wstring::npos) {
      ADD_FAILURE() << "no QuietUninstallString: " << Narrow(line);
      return {};
    }
    Ran ran = RunAll(line.substr(1, close - 1), line.substr(close + 2), kSetupTimeoutMs, atExit);
    std::printf("%s: exit %d in %lu ms\n", Narrow(line).c_str(), ran.exitCode ? static_cast<int>(*ran.exitCode) : -1,
                static_cast<unsigned long>(ran.milliseconds));
    return ran;
  }

  // Turns the installed program into "an older version": every program file with other
  // bytes at its end, and settings and logs beside it. The folder as it then is.
  std::map<std::wstring, std::string> MakeOlder(const std::wstring& dir) {
    for (const auto& [name, bytes] : FilesUnder(dir)) EXPECT_TRUE(WriteBytes(dir + L"\\" + name, bytes + "~older"));
    EXPECT_TRUE(WriteBytes(dir + L"\\Velmora.ini", "[Log   ]1\r\n[LogTXT]0\r\n"));
    EXPECT_TRUE(WriteBytes(dir + L"\\C" + texts::kDriveLogSuffix + L".csv", ToCp932(texts::kHeaderDrive) + "\r\n"));
    return FilesUnder(dir);
  }
  // Nothing of Velmora on the system: no entry, no Start-menu link.
  void ExpectNotInstalled(const char* what) {
    EXPECT_FALSE(KeyExists()) << what;
    EXPECT_FALSE(Exists(programs_ + L"\\Velmora.lnk")) << what;
  }

  std::wstring startup_, commonStartup_, programs_;
  std::map<std::wstring, std::string> staged_;
};

TEST_F(Setup, InstallsChecksUpgradesAndUninstallsSilently) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  const std::wstring dir = KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Velmora";
  const std::wstring exe = dir + L"\\Velmora.exe";
  ASSERT_FALSE(Exists(dir));
  const std::wstring temp = FolderOf(velmora::testing::TempDir(L"velmora-setup-temp").Path());
  const std::vector<std::wstring> tempBefore = FolderEntries(temp);

  // Install into the default folder.
  ASSERT_EQ(Install().exitCode, 0u);
  ExpectProgramFiles(dir);
  auto menu = ReadLink(programs_ + L"\\Velmora.lnk");
  ASSERT_TRUE(menu) << "no Start-menu entry";
  EXPECT_TRUE(SamePath(menu->target, exe)) << Narrow(menu->target);
  EXPECT_EQ(menu->arguments, L"");

  struct Value {
    const wchar_t* name;
    std::wstring expected;
  } const strings[] = {
      {L"DisplayName", L"Velmora"},
      {L"DisplayVersion", L"3.01"},
      {L"Publisher", L"Velmora project"},
      {L"DisplayIcon", exe + L",0"},
      {L"InstallLocation", dir},
      {L"UninstallString", L"\"" + dir + L"\\Uninstall.exe\""},
      {L"QuietUninstallString", L"\"" + dir + L"\\Uninstall.exe\" /S"},
  };
  for (const Value& v : strings) EXPECT_EQ(RegString(v.name), v.expected) << Narrow(v.name);
  EXPECT_EQ(RegDword(L"NoModify"), 1u);
  EXPECT_EQ(RegDword(L"NoRepair"), 1u);
  size_t bytes = 0;
  for (const auto& [name, content] : staged_) bytes += content.size();
  std::optional<DWORD> kb = RegDword(L"EstimatedSize");
  ASSERT_TRUE(kb);
  EXPECT_GE(*kb, bytes / 1024) << "EstimatedSize is in KB";
  EXPECT_LE(*kb, bytes / 1024 * 2 + 64);

  // An automatic check from the installed program, logging to CSV in its folder.
  ASSERT_TRUE(WriteBytes(dir + L"\\Velmora.ini", "[Log   ]1\r\n[LogTXT]0\r\n"));
  {
    DWORD start = GetTickCount();
    Process check(exe, L"/DISK=C /SIZE=1", dir);
    RunOutcome outcome = RunToEnd(check, start, 30000);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_TRUE(outcome.boxes.empty());
  }
  const std::wstring log = dir + L"\\C" + texts::kDriveLogSuffix + L".csv";
  std::optional<std::string> logBytes = ReadBytes(log);
  ASSERT_TRUE(logBytes) << "the check wrote no log";
  EXPECT_EQ(logBytes->substr(0, logBytes->find("\r\n")), ToCp932(texts::kHeaderDrive));

  // A start-up shortcut made through the window of the installed program.
  {
    Process window(exe, L"", dir);
    HWND main = window.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    SetText(Control(main, ids::kTxtSize0), L"100");
    Click(Control(main, ids::kCmdShortCut0));
    auto box = WaitMessageBox(window, 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, texts::kShortCutDone);
    CloseMessageBox(*box);
    WaitGone(box->hwnd, 5000);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(window.WaitExit(10000));
  }
  const std::wstring madeLink = startup_ + L"\\Velmora C.lnk";
  auto made = ReadLink(madeLink);
  ASSERT_TRUE(made) << "the window made no start-up shortcut";
  EXPECT_TRUE(SamePath(made->target, exe));

  // The same target in the shared Startup folder, spelled in other case; and links the
  // uninstaller must leave: one to another program under a Velmora name, one to another
  // copy of Velmora.exe in a sibling folder that also holds a file of the user's.
  const std::wstring sharedLink = commonStartup_ + L"\\Velmora D.lnk";
  const bool shared = SaveLink(sharedLink, Upper(exe), L"/DISK=D /SIZE=5");
  if (!shared) std::printf("the shared Startup folder takes no link here: its part is not checked\n");
  const std::wstring sibling = FolderOf(dir) + L"\\Velmora-copy";
  ASSERT_TRUE(CreateDirectoryW(sibling.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(CopyFileW(exe.c_str(), (sibling + L"\\Velmora.exe").c_str(), FALSE));
  ASSERT_TRUE(WriteBytes(sibling + L"\\notes.txt", "mine\r\n"));
  const std::wstring foreignLinks[] = {startup_ + L"\\Velmora X.lnk", startup_ + L"\\Velmora copy.lnk"};
  ASSERT_TRUE(SaveLink(foreignLinks[0], L"C:\\windows\\notepad.exe", L"/DISK=X /SIZE=1"));
  ASSERT_TRUE(SaveLink(foreignLinks[1], sibling + L"\\Velmora.exe", L"/DISK=C /SIZE=1"));
  std::map<std::wstring, std::string> untouched;
  for (const std::wstring& path : foreignLinks) untouched[path] = ReadBytes(path).value_or("");
  for (const auto& [name, content] : FilesUnder(sibling)) untouched[sibling + L"\\" + name] = content;

  // Upgrade over it: settings and every log kept byte for byte, the program replaced.
  const std::string ini = "[Log   ]1\r\n[LogTXT]0\r\n; kept across upgrades\r\n";
  ASSERT_TRUE(WriteBytes(dir + L"\\Velmora.ini", ini));
  const std::string dirLog = ToCp932(texts::kHeaderDir) + "\r\n2026/12/07(月),09:05,Data,0001.00,0250.00,OK\r\n";
  ASSERT_TRUE(WriteBytes(dir + L"\\Data.txt", dirLog));
  ASSERT_TRUE(WriteBytes(dir + L"\\Velmora.html", "an older help"));
  std::map<std::wstring, std::string> kept = {
      {dir + L"\\Velmora.ini", ini}, {log, *ReadBytes(log)}, {dir + L"\\Data.txt", dirLog}};
  ASSERT_EQ(Install().exitCode, 0u) << "the upgrade failed";
  ExpectProgramFiles(dir);
  for (const auto& [path, content] : kept) EXPECT_EQ(ReadBytes(path), content) << Narrow(path) << " changed";
  EXPECT_TRUE(ReadLink(madeLink)) << "an upgrade keeps the start-up shortcuts";
  EXPECT_EQ(RegString(L"InstallLocation"), dir);

  // Uninstall silently: everything Velmora put there goes, nothing else.
  ASSERT_EQ(Uninstall(dir).exitCode, 0u);
  ExpectNoProgramFiles(dir);
  EXPECT_FALSE(Exists(programs_ + L"\\Velmora.lnk"));
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(Exists(madeLink));
  if (shared) {
    EXPECT_FALSE(Exists(sharedLink));
  }
  for (const auto& [path, content] : untouched) EXPECT_EQ(ReadBytes(path), content) << Narrow(path) << " changed";
  for (const auto& [path, content] : kept) EXPECT_EQ(ReadBytes(path), content) << Narrow(path) << " not kept";
  EXPECT_TRUE(FolderEntries(temp) == tempBefore) << "setup or the uninstaller left something in the temporary folder";

  for (const std::wstring& path : foreignLinks) DeleteFileW(path.c_str());
  DeleteFileW(sharedLink.c_str());
  velmora::testing::DeleteTree(sibling);
  velmora::testing::DeleteTree(dir);
}

TEST_F(Setup, UpgradeWaitsForARunningCheckAndNeverHalfReplaces) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  // A chosen folder with a space and Japanese in its path, below a folder of the user's.
  velmora::testing::TempDir parent(L"velmora setup テスト");
  parent.Write(L"mine.txt", "mine");
  const std::wstring dir = parent.Path() + L"\\Velmora";
  const std::wstring exe = dir + L"\\Velmora.exe";
  ASSERT_EQ(Install(dir).exitCode, 0u);
  ExpectProgramFiles(dir);
  EXPECT_EQ(RegString(L"InstallLocation"), dir);
  ASSERT_TRUE(WriteBytes(dir + L"\\Velmora.html", "an older help"));
  const std::map<std::wstring, std::string> before = FilesUnder(dir);

  // A check that stays running (its warning waits for OK): a silent upgrade gives up
  // after its wait and changes nothing.
  {
    Process check(exe, L"/DISK=C /SIZE=99999999", dir);
    ASSERT_TRUE(WaitMessageBox(check, 15000)) << "the check shows no warning";
    Ran ran = Install(dir);
    EXPECT_EQ(ran.exitCode, 2u) << "setup replaced a running program";
    EXPECT_TRUE(FilesUnder(dir) == before) << "a failed upgrade changed the folder";

    // A run killed while it waits leaves its journal and the files it wrote beside the old
    // ones; the next run takes them away before it gives up too: the folder as before.
    {
      Process killed(SetupExe(), L"/S /D=" + dir);
      ASSERT_TRUE(Eventually([&] { return Exists(dir + L"\\Uninstall.exe.new"); }, 30000)) << "nothing staged";
      Sleep(1000);  // well into its wait
    }
    EXPECT_TRUE(Exists(dir + L"\\" + std::wstring(setup::kJournalName))) << "the killed run kept no journal";
    EXPECT_EQ(Install(dir).exitCode, 2u);
    EXPECT_TRUE(FilesUnder(dir) == before) << "the files of a killed run were left behind";

    // The same upgrade while the check ends during the wait completes.
    Process setup(SetupExe(), L"/S /D=" + dir);
    ASSERT_TRUE(setup.Started());
    EXPECT_FALSE(setup.WaitExit(2000)) << "setup did not wait for the running check";
    // A second setup program, or an uninstaller, meanwhile stays out of its way.
    Ran second = Install(dir);
    EXPECT_EQ(second.exitCode, 2u) << "a second setup program ran beside the first";
    EXPECT_LT(second.milliseconds, 5000u);
    EXPECT_EQ(Uninstall(dir).exitCode, 2u) << "the uninstaller ran beside a setup program";
    auto box = WaitMessageBox(check, 1000);
    ASSERT_TRUE(box);
    CloseMessageBox(*box);
    EXPECT_TRUE(check.WaitExit(10000));
    EXPECT_EQ(setup.WaitExit(kSetupTimeoutMs), 0u);
  }
  ExpectProgramFiles(dir);

  // The uninstaller removes the folder it made, and leaves the one above it.
  ASSERT_EQ(Uninstall(dir).exitCode, 0u);
  EXPECT_FALSE(Exists(dir));
  EXPECT_EQ(parent.Read(L"mine.txt"), "mine");
  EXPECT_FALSE(KeyExists());
}

// The wizard as a user meets it: a folder it cannot write is refused with a message and
// the page stays; the uninstaller asks about the settings and logs and, told not to keep
// them, deletes them, and only them.
TEST_F(Setup, WizardRefusesAnUnwritableFolderAndUninstallerCanDeleteTheData) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  velmora::testing::TempDir parent(L"velmora-wizard");
  const std::wstring dir = parent.Path() + L"\\Velmora";
  {
    Process setup(SetupExe(), L"");
    ASSERT_TRUE(setup.Started());
    HWND wizard = setup.WaitWindow(L"#32770", L"Velmora 3.01 セットアップ", 15000);
    ASSERT_NE(wizard, nullptr) << "no Japanese wizard";
    HWND edit = nullptr;
    auto directoryPage = [&] {
      edit = Control(wizard, 1019);
      return edit && IsWindowVisible(edit);
    };
    ASSERT_TRUE(PressUntil(wizard, 1, directoryPage)) << "no folder page";
    // A folder that takes no new file, not even from root: Linux's immutable attribute.
    const std::wstring locked = parent.File(L"locked");
    CreateDirectoryW(locked.c_str(), nullptr);
    const std::string lockedUnix = UnixPath(locked);
    if (RunLinuxShell("chattr +i '" + lockedUnix + "' && ! touch '" + lockedUnix + "/probe' 2>/dev/null", 10000) != 0) {
      std::printf("skipped the unwritable folder: this machine cannot make a folder read-only for root\n");
    } else {
      SetText(edit, locked + L"\\Velmora");
      PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
      HWND refused = WaitDialogWith(L"このフォルダには書き込みできません", 10000);
      RunLinuxShell("chattr -i '" + lockedUnix + "'", 10000);
      ASSERT_NE(refused, nullptr) << "an unwritable folder was accepted";
      PostMessageW(refused, WM_COMMAND, IDOK, 0);
      WaitGone(refused, 5000);
    }
    // A folder of the user's is refused in the same way.
    parent.Write(L"mine.txt", "mine");
    SetText(edit, parent.Path());
    PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    HWND occupied = WaitDialogWith(L"Velmora のものではないファイルがあります", 10000);
    ASSERT_NE(occupied, nullptr) << "a folder of the user's was accepted";
    PostMessageW(occupied, WM_COMMAND, IDOK, 0);
    WaitGone(occupied, 5000);
    EXPECT_TRUE(directoryPage()) << "the folder page was left";
    EXPECT_FALSE(KeyExists());

    SetText(edit, dir);
    ASSERT_TRUE(PressUntil(
        wizard, 1, [&] { return setup.WaitExit(0).has_value(); }, 60000));
    EXPECT_EQ(setup.WaitExit(0), 0u);
  }
  // The finish page starts Velmora (its box is ticked by default); it ends before the
  // files are looked at.
  HWND started = nullptr;
  for (int i = 0; i < 100 && !(started = FindWindowW(nullptr, L"Velmora  ドライブ空き容量確認")); ++i) Sleep(100);
  ASSERT_NE(started, nullptr) << "the finish page did not start Velmora";
  DWORD pid = 0;
  GetWindowThreadProcessId(started, &pid);
  HANDLE velmora = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageW(started, WM_CLOSE, 0, 0);
  if (velmora) {
    EXPECT_EQ(WaitForSingleObject(velmora, 10000), WAIT_OBJECT_0);
    CloseHandle(velmora);
  }
  ExpectProgramFiles(dir);
  EXPECT_EQ(RegString(L"InstallLocation"), dir);

  const std::wstring log = dir + L"\\C" + texts::kDriveLogSuffix + L".txt";
  ASSERT_TRUE(WriteBytes(dir + L"\\Velmora.ini", "[Log   ]0\r\n[LogTXT]1\r\n"));
  ASSERT_TRUE(WriteBytes(log, ToCp932(texts::kHeaderDrive) + "\r\n"));
  ASSERT_TRUE(WriteBytes(dir + L"\\mine.csv", "a,b\r\n"));

  Process uninstall(dir + L"\\Uninstall.exe", L"");
  ASSERT_TRUE(uninstall.Started());
  HWND confirm = WaitDialogWith(L"Velmora 3.01 アンインストール", 15000);
  ASSERT_NE(confirm, nullptr) << "the uninstaller asks nothing";
  HWND deleteData = ChildWithText(confirm, uninstall::texts::kDeleteData);
  HWND go = ChildWithText(confirm, uninstall::texts::kUninstallButton);
  ASSERT_TRUE(deleteData && go) << "no check box for the data or no 「アンインストール(&U)」 button";
  Click(deleteData);
  ASSERT_TRUE(Eventually([&] { return SendMessageW(deleteData, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  Click(go);
  HWND done = WaitDialogWith(uninstall::texts::kDone, 30000);
  ASSERT_NE(done, nullptr) << "the uninstaller does not say it is done";
  PostMessageW(done, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(uninstall.WaitExit(10000), 0u);

  ExpectNoProgramFiles(dir);
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(Exists(dir + L"\\Velmora.ini"));
  EXPECT_FALSE(Exists(log));
  EXPECT_EQ(ReadBytes(dir + L"\\mine.csv"), "a,b\r\n") << "a file of the user's was deleted";
}

// The uninstaller's helpers: links found by what they start, logs by their first line;
// a link another program holds is named, not deleted.
TEST_F(Setup, HelpersDeleteOnlyVelmorasLinksAndLogs) {
  velmora::testing::TempDir links(L"velmora-links"), program(L"velmora-program");
  program.Write(L"Velmora.exe", "MZ");
  const std::wstring exe = program.File(L"Velmora.exe");
  wchar_t shortExe[MAX_PATH] = L"";
  GetShortPathNameW(exe.c_str(), shortExe, MAX_PATH);
  struct LinkRow {
    const wchar_t* name;
    std::wstring target;
    bool deleted;
  } const linkRows[] = {
      {L"Velmora C.lnk", exe, true},
      {L"any name.lnk", exe, true},
      {L"upper case.lnk", Upper(exe), true},
      {L"short name.lnk", shortExe, true},
      {L"Velmora X.lnk", L"C:\\windows\\notepad.exe", false},
      {L"other folder.lnk", links.File(L"Velmora.exe"), false},
      {L"prefix.lnk", program.File(L"Velmora.exe.bak"), false},
  };
  for (const LinkRow& row : linkRows) ASSERT_TRUE(SaveLink(links.File(row.name), row.target, L"/DISK=C /SIZE=1"));
  links.Write(L"not a link.lnk", "garbage");
  links.Write(L"Velmora D.txt", "not a .lnk");
  SetFileAttributesW(links.File(L"any name.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<std::wstring> found = setup::LinksTo(links.Path(), L"*.lnk", exe);
  EXPECT_EQ(found.size(), 4u);
  {
    KernelHandle held(CreateFileW(links.File(L"Velmora C.lnk").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(setup::HeldFiles(found), std::vector<std::wstring>{links.File(L"Velmora C.lnk")});
  }
  EXPECT_TRUE(setup::HeldFiles(found).empty());
  EXPECT_EQ(setup::DeleteFiles(found).removed, 4);
  for (const LinkRow& row : linkRows) EXPECT_EQ(Exists(links.File(row.name)), !row.deleted) << Narrow(row.name);
  EXPECT_TRUE(Exists(links.File(L"not a link.lnk")));
  EXPECT_TRUE(Exists(links.File(L"Velmora D.txt")));

  const std::string drive = ToCp932(texts::kHeaderDrive) + "\r\n", folder = ToCp932(texts::kHeaderDir) + "\r\n";
  struct LogRow {
    const wchar_t* name;
    std::string bytes;
    bool deleted;
  } const logRows[] = {
      {L"Cドライブのログ.csv", drive + "2026/12/07(月),09:05,C,0001.00,0100.00,OK\r\n", true},
      {L"Dドライブのログ.txt", drive, true},
      {L"Data.csv", folder, true},
      {L"data of mine.csv", "a,b,c\r\n", false},
      {L"README-ja.txt", "Velmora 3.01\r\n", false},
      {L"header without line end.csv", ToCp932(texts::kHeaderDrive), false},
      {L"header later.txt", "x\r\n" + drive, false},
      {L"Velmora.ini", "[Log   ]1\r\n", false},
      {L"empty.csv", "", false},
  };
  for (const LogRow& row : logRows) program.Write(row.name, row.bytes);
  EXPECT_EQ(setup::DeleteCheckLogs(program.Path()).removed, 3);
  for (const LogRow& row : logRows) EXPECT_EQ(Exists(program.File(row.name)), !row.deleted) << Narrow(row.name);
}

// Folders and /D= texts the setup program must refuse, silently, before it writes
// anything; and the folders it must take. A refused run changes nothing anywhere.
TEST_F(Setup, RefusesFoldersAndFolderArgumentsItCannotUse) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  wchar_t freeDrive = 0;
  for (wchar_t c = L'Q'; c >= L'G' && !freeDrive; --c)
    if (!(GetLogicalDrives() & (1u << (c - L'A')))) freeDrive = c;
  struct Row {
    const char* what;
    // Prepares the parent folder; the setup program's arguments.
    std::function<std::wstring(velmora::testing::TempDir&)> arrange;
    DWORD exitCode;
  } const rows[] = {
      {"a folder of the user's",
       [](auto& p) {
         CreateDirectoryW(p.File(L"Velmora").c_str(), nullptr);
         p.Write(L"Velmora\\mine.txt", "mine");
         return L"/S /D=" + p.File(L"Velmora");
       },
       2},
      {"the user's files of Velmora's names",
       [](auto& p) {
         CreateDirectoryW(p.File(L"Docs").c_str(), nullptr);
         CreateDirectoryW(p.File(L"Docs\\images").c_str(), nullptr);
         p.Write(L"Docs\\README-ja.txt", "my notes");
         p.Write(L"Docs\\images\\drive.png", "my picture");
         return L"/S /D=" + p.File(L"Docs");
       },
       2},
      {"a file of that name",
       [](auto& p) {
         p.Write(L"Velmora", "a file");
         return L"/S /D=" + p.File(L"Velmora");
       },
       2},
      {"a path through a file",
       [](auto& p) {
         p.Write(L"mine.txt", "mine");
         return L"/S /D=" + p.File(L"mine.txt\\Velmora");
       },
       2},
      // The texts of /D= are read by the helper (its unit tables hold the rest): one it
      // refuses, one it cannot read as a /D=.
      {"a relative path", [](auto&) { return std::wstring(L"/S /D=Tools\\Velmora"); }, 2},
      {"a lower-case key", [](auto& p) { return L"/S /d=" + p.File(L"Velmora"); }, 2},
      {"/D= before /S", [](auto& p) { return L"/D=" + p.File(L"Velmora") + L" /S"; }, 2},
      {"a drive that does not exist",
       [freeDrive](auto&) { return std::wstring(L"/S /D=") + freeDrive + L":\\Velmora"; }, 2},
      {"an empty folder",
       [](auto& p) {
         CreateDirectoryW(p.File(L"Velmora").c_str(), nullptr);
         return L"/S /D=" + p.File(L"Velmora");
       },
       0},
      {"a folder to be made two levels down", [](auto& p) { return L"/S /D=" + p.File(L"a\\b\\Velmora"); }, 0},
      {"the settings and logs an uninstall kept",
       [](auto& p) {
         CreateDirectoryW(p.File(L"Velmora").c_str(), nullptr);
         p.Write(L"Velmora\\Velmora.ini", "[Log   ]1\r\n");
         p.Write(L"Velmora\\Data.csv", ToCp932(texts::kHeaderDir) + "\r\n");
         return L"/S /D=" + p.File(L"Velmora");
       },
       0},
  };
  for (const Row& row : rows) {
    velmora::testing::TempDir parent(L"velmora-place");
    const std::wstring args = row.arrange(parent);
    const std::map<std::wstring, std::string> before = FilesUnder(parent.Path());
    const std::vector<std::wstring> entries = FolderEntries(parent.Path());
    Ran ran = InstallWith(args);
    EXPECT_EQ(ran.exitCode, row.exitCode) << row.what;
    if (row.exitCode != 0) {
      EXPECT_TRUE(FilesUnder(parent.Path()) == before) << row.what << ": something was written";
      EXPECT_TRUE(FolderEntries(parent.Path()) == entries) << row.what << ": a folder was made";
      ExpectNotInstalled(row.what);
      EXPECT_FALSE(Exists(KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Velmora")) << row.what;
      continue;
    }
    const std::wstring dir = RegString(L"InstallLocation").value_or(L"");
    EXPECT_EQ(dir.rfind(parent.Path(), 0), 0u) << row.what << ": installed elsewhere: " << Narrow(dir);
    ExpectProgramFiles(dir);
    for (const auto& [name, bytes] : before) EXPECT_EQ(ReadBytes(parent.File(name)), bytes) << Narrow(name);
    EXPECT_EQ(Uninstall(dir).exitCode, 0u) << row.what;
    ExpectNotInstalled(row.what);
  }
}

// An upgrade that meets a file another program holds, a read-only file or a leftover of
// another run ends with exactly one version in the folder: the new one (exit 0), or the
// old one byte for byte (exit 2). The settings and the logs are never touched.
TEST_F(Setup, UpgradeFaultsLeaveExactlyOneVersion) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  // The setup program writes the program's files in the list's order, Uninstall.exe last.
  const std::wstring lastPicture = std::prev(staged_.end())->first;
  struct Hold {
    const wchar_t* name;
    DWORD share;
  };
  struct Row {
    const char* what;
    std::vector<Hold> held;  // held open by this process while the setup program runs
    std::vector<const wchar_t*> readOnly, inTheWay;
    DWORD exitCode;
  } const rows[] = {
      {"a file held open without sharing", {{L"Velmora.html", 0}}, {}, {}, 2},
      {"a rename refused at the first file", {{L"Velmora.exe", FILE_SHARE_READ | FILE_SHARE_WRITE}}, {}, {}, 2},
      {"a rename refused at the last old file", {{L"Uninstall.exe", FILE_SHARE_READ | FILE_SHARE_WRITE}}, {}, {}, 2},
      {"a rename refused at a picture", {{lastPicture.c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE}}, {}, {}, 2},
      {"read-only program files", {}, {L"Velmora.exe", L"vb6stkit.dll", L"Uninstall.exe"}, {}, 0},
      {"a leftover of another run in the way", {}, {}, {L"vb6stkit.dll.old"}, 2},
  };
  for (const Row& row : rows) {
    velmora::testing::TempDir parent(L"velmora-fault");
    const std::wstring dir = parent.Path() + L"\\Velmora";
    ASSERT_EQ(Install(dir).exitCode, 0u) << row.what;
    std::map<std::wstring, std::string> older = MakeOlder(dir);
    for (const wchar_t* name : row.inTheWay) ASSERT_TRUE(WriteBytes(dir + L"\\" + name, "someone's"));
    older = FilesUnder(dir);
    for (const wchar_t* name : row.readOnly) SetFileAttributesW((dir + L"\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
    Ran ran;
    {
      std::vector<KernelHandle> holds;
      for (const Hold& hold : row.held) {
        holds.emplace_back(CreateFileW((dir + L"\\" + hold.name).c_str(), GENERIC_READ, hold.share, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holds.back()) << row.what;
      }
      ran = Install(dir);
    }
    EXPECT_EQ(ran.exitCode, row.exitCode) << row.what;
    if (row.exitCode == 0) {
      ExpectProgramFiles(dir);
      EXPECT_EQ(ReadBytes(dir + L"\\Velmora.ini"), older[L"Velmora.ini"]) << row.what;
    } else {
      EXPECT_TRUE(FilesUnder(dir) == older) << row.what << ": the folder is not the old version byte for byte";
      for (const wchar_t* name : row.inTheWay) DeleteFileW((dir + L"\\" + name).c_str());
    }
    EXPECT_EQ(Uninstall(dir).exitCode, 0u) << row.what;
    ExpectNotInstalled(row.what);
  }
}

// A full disk: a first installation that does not fit leaves no folder; an upgrade
// that does not fit leaves the old version and no file of the new one.
TEST_F(Setup, AFullDiskLeavesNothingBehind) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  size_t bytes = 0;
  for (const auto& [name, content] : staged_) bytes += content.size();
  {
    TinyDrive tiny(bytes / 2);
    if (!tiny.Ready()) GTEST_SKIP() << tiny.Why();
    EXPECT_EQ(Install(tiny.Root() + L"Tools\\Velmora").exitCode, 2u);
    EXPECT_TRUE(FolderEntries(tiny.Root()).empty()) << "a first installation left something on a full disk";
    ExpectNotInstalled("a first installation on a small drive");
  }
  struct Row {
    const char* what;
    uint64_t free;  // left on the drive before the upgrade
  } const rows[] = {
      {"no room for the journal", 0},
      {"room for a few files", bytes / 3},
  };
  for (const Row& row : rows) {
    TinyDrive drive(bytes * 3);
    ASSERT_TRUE(drive.Ready()) << drive.Why();
    const std::wstring dir = drive.Root() + L"Velmora";
    ASSERT_EQ(Install(dir).exitCode, 0u) << row.what;
    const std::map<std::wstring, std::string> older = MakeOlder(dir);
    drive.Fill(row.free);
    EXPECT_EQ(Install(dir).exitCode, 2u) << row.what;
    EXPECT_TRUE(FilesUnder(dir) == older) << row.what << ": the old version is not whole, or new files are left";
    DeleteFileW((drive.Root() + L"filler").c_str());
    EXPECT_EQ(Uninstall(dir).exitCode, 0u) << row.what;
    EXPECT_EQ(FolderEntries(dir),
              (std::vector<std::wstring>{L"C" + std::wstring(texts::kDriveLogSuffix) + L".csv", L"Velmora.ini"}))
        << row.what << ": the uninstall on another drive than the temporary folder's left more than the data";
  }
}

// The silent uninstall, run as registered, ends only when it is done and tells the
// truth: 2 while Velmora runs or a start-up link cannot be deleted, and then nothing is
// removed (program files, links, the installed-programs entry); 0 when all is gone, the
// folder included, at the moment it ends.
TEST_F(Setup, SilentUninstallEndsWhenDoneAndTellsTheTruth) {
  ASSERT_FALSE(KeyExists()) << "Velmora is already installed in this prefix";
  velmora::testing::TempDir parent(L"velmora-uninstall");
  const std::wstring dir = parent.Path() + L"\\Velmora", exe = dir + L"\\Velmora.exe";
  ASSERT_EQ(Install(dir).exitCode, 0u);
  const std::wstring link = startup_ + L"\\Velmora C.lnk";
  ASSERT_TRUE(SaveLink(link, exe, L"/DISK=C /SIZE=100"));
  const std::map<std::wstring, std::string> before = FilesUnder(dir);
  wchar_t tempPath[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, tempPath);
  const std::wstring report = std::wstring(tempPath) + uninstall::texts::kReportName;
  auto expectUntouched = [&](const char* what) {
    EXPECT_TRUE(FilesUnder(dir) == before) << what << ": the program files changed";
    EXPECT_TRUE(KeyExists()) << what << ": the installed-programs entry is gone";
    EXPECT_TRUE(ReadLink(programs_ + L"\\Velmora.lnk")) << what << ": the Start-menu entry is gone";
    EXPECT_TRUE(ReadLink(link)) << what << ": the start-up link is gone";
  };
  {
    Process check(exe, L"/DISK=C /SIZE=99999999", dir);
    ASSERT_TRUE(WaitMessageBox(check, 15000)) << "the check shows no warning";
    Ran ran = QuietUninstall();
    EXPECT_EQ(ran.exitCode, 2u) << "uninstalled a running program";
    EXPECT_GE(ran.milliseconds, 9000u) << "did not wait for the running check";
    expectUntouched("Velmora running");
  }
  {
    KernelHandle held(CreateFileW(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    DeleteFileW(report.c_str());
    EXPECT_EQ(QuietUninstall().exitCode, 2u) << "a start-up link it could not delete";
    expectUntouched("a start-up link held");
    std::optional<std::string> said = ReadBytes(report);
    ASSERT_TRUE(said) << "no report of what was left";
    EXPECT_NE(said->find(Narrow(link)), std::string::npos) << "the report does not name the link: " << *said;
    DeleteFileW(report.c_str());
  }
  bool goneAtExit = false;
  EXPECT_EQ(QuietUninstall([&] { goneAtExit = !Exists(dir) && !KeyExists(); }).exitCode, 0u);
  EXPECT_TRUE(goneAtExit) << "the folder or the entry was still there when the uninstaller ended";
  EXPECT_FALSE(ReadLink(link));
  EXPECT_FALSE(ReadLink(programs_ + L"\\Velmora.lnk"));
  EXPECT_FALSE(Exists(report));
  for (const std::wstring& name : FolderEntries(tempPath))
    EXPECT_EQ(name.rfind(L"Velmora-uninstall", 0), std::wstring::npos)
        << Narrow(name) << " left in the temporary folder";
}

}  // namespace
}  // namespace velmora::e2e
