// The setup program as an administrator and a user meet it: silent install into the
// default folder and into a chosen one, the files, the Start-menu entry and the
// installed-programs entry read back; the installed program's automatic check and its
// start-up shortcut made through the window; an upgrade that keeps the settings and the
// logs byte for byte and waits for a running check; the silent uninstall, which removes
// exactly what Velmora put on the system. Also the uninstaller's helpers in
// vb6stkit.dll on their own.
//
// Runs in a throw-away copy of the Wine prefix (setup-test.sh): the installs, registry
// entries and links never reach the prefix the other tests share.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "ShellLinks.h"
#include "TempDir.h"
#include "base/Codepage.h"
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
// uninstaller runs on from a copy of itself): its exit code, nothing on a timeout.
struct Ran {
  std::optional<DWORD> exitCode;
  DWORD milliseconds = 0;
};
Ran RunAll(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = kSetupTimeoutMs) {
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
  ran.milliseconds = GetTickCount() - start;
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

struct DialogSearch {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND top, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  wchar_t className[64] = L"";
  GetClassNameW(top, className, 64);
  if (!IsWindowVisible(top) || std::wstring(className) != L"#32770") return TRUE;
  std::vector<std::wstring> texts = StaticTexts(top);
  texts.push_back(Text(top));
  for (const std::wstring& t : texts) {
    if (t.find(search->text) != std::wstring::npos) {
      search->found = top;
      return FALSE;
    }
  }
  return TRUE;
}

// A visible dialog window of any process (the uninstaller runs on as a copy of itself)
// whose caption, or the text of one of its Static children, contains `text`.
HWND WaitDialogWith(const std::wstring& text, DWORD timeoutMs) {
  DialogSearch search{text};
  for (DWORD start = GetTickCount();; Sleep(100)) {
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount() - start >= timeoutMs) return search.found;
  }
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

  Ran Install(const std::wstring& dir = L"") {
    Ran ran = RunAll(SetupExe(), dir.empty() ? L"/S" : L"/S /D=" + dir);
    std::printf("setup /S: exit %d in %lu ms\n", ran.exitCode ? static_cast<int>(*ran.exitCode) : -1,
                static_cast<unsigned long>(ran.milliseconds));
    return ran;
  }
  Ran Uninstall(const std::wstring& dir) {
    Ran ran = RunAll(dir + L"\\Uninstall.exe", L"/S");
    std::printf("Uninstall.exe /S: exit %d in %lu ms\n", ran.exitCode ? static_cast<int>(*ran.exitCode) : -1,
                static_cast<unsigned long>(ran.milliseconds));
    return ran;
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

    // The same upgrade while the check ends during the wait completes.
    Process setup(SetupExe(), L"/S /D=" + dir);
    ASSERT_TRUE(setup.Started());
    EXPECT_FALSE(setup.WaitExit(2000)) << "setup did not wait for the running check";
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
  HWND wizard = WaitDialogWith(L"Velmora 3.01 アンインストール", 15000);
  ASSERT_NE(wizard, nullptr) << "no uninstall wizard";
  HWND question = nullptr;
  ASSERT_TRUE(PressUntil(wizard, 1, [&] { return (question = WaitDialogWith(L"残しますか", 0)) != nullptr; }));
  PostMessageW(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(PressUntil(wizard, 1, [&] { return !IsWindow(wizard); }));
  for (int i = 0; i < 100 && KeyExists(); ++i) Sleep(50);

  ExpectNoProgramFiles(dir);
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(Exists(dir + L"\\Velmora.ini"));
  EXPECT_FALSE(Exists(log));
  EXPECT_EQ(ReadBytes(dir + L"\\mine.csv"), "a,b\r\n") << "a file of the user's was deleted";
}

// The uninstaller's helpers in vb6stkit.dll: links found by what they start, logs by
// their first line.
TEST_F(Setup, HelpersDeleteOnlyVelmorasLinksAndLogs) {
  HMODULE dll = LoadLibraryW((StageDir() + L"\\vb6stkit.dll").c_str());
  ASSERT_NE(dll, nullptr);
  using DeleteLinksTo = LONG(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR);
  using DeleteCheckLogs = LONG(WINAPI*)(LPCWSTR);
  auto deleteLinksTo = reinterpret_cast<DeleteLinksTo>(reinterpret_cast<void*>(GetProcAddress(dll, "fDeleteLinksToW")));
  auto deleteCheckLogs =
      reinterpret_cast<DeleteCheckLogs>(reinterpret_cast<void*>(GetProcAddress(dll, "fDeleteCheckLogsW")));
  ASSERT_TRUE(deleteLinksTo && deleteCheckLogs);

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
  EXPECT_EQ(deleteLinksTo(links.Path().c_str(), L"*.lnk", exe.c_str()), 4);
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
  EXPECT_EQ(deleteCheckLogs(program.Path().c_str()), 3);
  for (const LogRow& row : logRows) EXPECT_EQ(Exists(program.File(row.name)), !row.deleted) << Narrow(row.name);
  FreeLibrary(dll);
}

}  // namespace
}  // namespace velmora::e2e
