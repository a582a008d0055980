// Start-up and end as a user and the shell see them: the mode the argument text
// chooses, the settings file's bytes before and after a run, the log options and the
// log-folder button.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../win32/ShellRecorder.h"
#include "Driver.h"
#include "Watchdog.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;
using velmora::testing::MakeRecorder;
using velmora::testing::Recorded;
using velmora::testing::WaitRecorded;

// Waits for the process to end, pressing OK on every message box it shows meanwhile.
std::optional<DWORD> WaitExitPressingOk(Process& process, DWORD timeoutMs) {
  return RunToEnd(process, GetTickCount(), timeoutMs).exitCode;
}

// An automatic run: it must end by itself and never show the main window.
struct AutoRun {
  std::optional<DWORD> exitCode;
  bool windowSeen = false;
};
AutoRun RunAutomatic(const ProgramDir& dir, const std::wstring& args) {
  AutoRun run;
  Process process(dir.Exe(), args, dir.Path());
  EXPECT_TRUE(process.Started());
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 20000) {
    if (process.WaitWindow(nullptr, texts::kMainCaption, 0)) run.windowSeen = true;
    if ((run.exitCode = process.WaitExit(20))) break;
    if (auto box = WaitMessageBox(process, 0)) CloseMessageBox(*box);
  }
  return run;
}

TEST(StartUp, AutomaticRunsHideTheWindowAndSaveSettingsOnlyForAZeroThreshold) {
  const std::string handWritten = "[LogTXT]1\r\n";
  struct Row {
    const wchar_t* args;
    const char* settingsAfter;  // nullptr: unchanged
  } rows[] = {
      // Both sides of the rule, through the real start-up; how argument texts read as
      // thresholds ("/SIZE=1 /DISK=C", "/SIZE=0.0001", "/SIZE=abc") is proven on the
      // host (CommandGet.ThresholdsReadAsTheStartUpStoresThem).
      {L"/DISK=C /SIZE=1", nullptr},
      {L"/DISK=C", "[Log   ]0\r\n[LogTXT]1\r\n"},
      {L"/DISK=C /SIZE=9E99", "[Log   ]0\r\n[LogTXT]1\r\n"},  // no finite single value: as no threshold
      {L"/X", "[Log   ]0\r\n[LogTXT]1\r\n"},
  };
  for (const Row& row : rows) {
    ProgramDir dir;
    dir.Write(texts::kIniName, handWritten);
    AutoRun run = RunAutomatic(dir, row.args);
    ASSERT_TRUE(run.exitCode) << "the run did not end: " << std::string(row.args, row.args + wcslen(row.args));
    EXPECT_FALSE(run.windowSeen) << "the window showed";
    EXPECT_EQ(dir.Read(texts::kIniName).value_or("<absent>"), row.settingsAfter ? row.settingsAfter : handWritten)
        << std::string(row.args, row.args + wcslen(row.args));
  }
}

class Interactive : public ::testing::Test {
 protected:
  void Start() {
    process_ = std::make_unique<Process>(dir_.Exe(), L"", dir_.Path());
    ASSERT_TRUE(process_->Started());
    main_ = process_->WaitMainWindow();
    ASSERT_NE(main_, nullptr);
  }
  int LogOption(int index) const {
    return static_cast<int>(SendMessageW(Control(main_, index ? ids::kChkLog1 : ids::kChkLog0), BM_GETCHECK, 0, 0));
  }
  std::string CloseAndReadSettings() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitExitPressingOk(*process_, 10000)) << "the window did not close";
    return dir_.Read(texts::kIniName).value_or("<absent>");
  }

  ProgramDir dir_;
  std::unique_ptr<Process> process_;
  HWND main_ = nullptr;
};

TEST_F(Interactive, LoadsTheSettingsFileAndSavesItOnClose) {
  struct Row {
    const char* before;
    int csv, txt;
    const char* after;
  } rows[] = {
      // The wiring: no file, a file loaded into the boxes, loading stopped by a value
      // the boxes refuse; each saved on close. The rules themselves are proven on the
      // host (ParseSettings, LogOptionRules, SettingsText).
      {nullptr, 0, 0, "[Log   ]0\r\n[LogTXT]0\r\n"},
      {"[Log   ]1\r\n[LogTXT]0\r\n", 1, 0, "[Log   ]1\r\n[LogTXT]0\r\n"},
      {"[Log   ]3\r\n[LogTXT]1\r\n", 0, 0, "[Log   ]0\r\n[LogTXT]0\r\n"},
  };
  for (const Row& row : rows) {
    if (row.before) dir_.Write(texts::kIniName, row.before);
    Start();
    EXPECT_EQ(LogOption(0), row.csv) << (row.before ? row.before : "no file");
    EXPECT_EQ(LogOption(1), row.txt) << (row.before ? row.before : "no file");
    EXPECT_EQ(CloseAndReadSettings(), row.after);
  }
}

TEST_F(Interactive, LogOptionsExcludeEachOtherAndTheEndButtonSaves) {
  Start();
  // Each click, and the two options as they must be after it.
  struct Row {
    int click, csv, txt;
  } rows[] = {
      {ids::kChkLog1, 0, 1},
      {ids::kChkLog0, 1, 0},
      {ids::kChkLog0, 0, 0},
      {ids::kChkLog0, 1, 0},
  };
  for (const Row& row : rows) {
    Click(Control(main_, row.click));
    EXPECT_TRUE(Eventually([&] { return LogOption(0) == row.csv && LogOption(1) == row.txt; }))
        << "after a click on " << row.click << ": " << LogOption(0) << " " << LogOption(1);
  }
  Click(Control(main_, ids::kCmdEnd));
  ASSERT_TRUE(WaitExitPressingOk(*process_, 10000));
  EXPECT_EQ(dir_.Read(texts::kIniName).value_or("<absent>"), "[Log   ]1\r\n[LogTXT]0\r\n");
}

TEST_F(Interactive, ShowsTheProgramFolderInLongForm) {
  wchar_t shortForm[MAX_PATH] = L"", longForm[MAX_PATH] = L"";
  ASSERT_GT(GetShortPathNameW(dir_.Path().c_str(), shortForm, MAX_PATH), 0u);
  ASSERT_GT(GetLongPathNameW(dir_.Path().c_str(), longForm, MAX_PATH), 0u);
  // Started through its short path, the program still shows the long names.
  process_ = std::make_unique<Process>(std::wstring(shortForm) + L"\\Velmora.exe", L"", shortForm);
  main_ = process_->WaitMainWindow();
  ASSERT_NE(main_, nullptr);
  EXPECT_EQ(Text(Control(main_, ids::kTxtDir)), longForm);
  CloseAndReadSettings();
}

// Windows ends the session (log-off, restart) with the window open: the log options are
// saved as closing the window saves them, and the process ends; a session end that was
// called off changes nothing.
TEST_F(Interactive, EndingTheSessionSavesTheLogOptionsAsClosingDoes) {
  struct Row {
    BOOL ending;
    const char* afterEnd;  // nullptr: still running, nothing saved yet
  } rows[] = {{FALSE, nullptr}, {TRUE, "[Log   ]1\r\n[LogTXT]0\r\n"}};
  for (const Row& row : rows) {
    DeleteFileW(dir_.File(texts::kIniName).c_str());
    Start();
    Click(Control(main_, ids::kChkLog0));
    for (int i = 0; i < 100 && LogOption(0) != 1; ++i) Sleep(20);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the session end is not held up";
    PostMessageW(main_, WM_ENDSESSION, row.ending, ENDSESSION_LOGOFF);
    if (row.afterEnd) {
      EXPECT_EQ(process_->WaitExit(5000), std::optional<DWORD>(0)) << "the process did not end with the session";
      EXPECT_EQ(dir_.Read(texts::kIniName).value_or("<absent>"), row.afterEnd);
    } else {
      EXPECT_FALSE(process_->WaitExit(500)) << "ended although the session goes on";
      EXPECT_FALSE(dir_.Exists(texts::kIniName));
      EXPECT_EQ(CloseAndReadSettings(), "[Log   ]1\r\n[LogTXT]0\r\n");
    }
  }
}

// Keeps a copy of the shell's verbs for folders and puts them back when it goes (or
// when the watchdog ends the test), so that a test may change them. A copy left by a
// run ended from outside is removed with the verbs it changed by
// scripts/make-prefix --restore before the tests, so the copy taken here is sound.
class FolderVerbsBackup {
 public:
  FolderVerbsBackup() {
    RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Folder", 0, KEY_ALL_ACCESS, &folder_);
    HKEY backup = nullptr;
    RegCreateKeyExW(folder_, kBackup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr);
    RegCopyTreeW(folder_, L"shell", backup);
    RegCloseKey(backup);
  }
  ~FolderVerbsBackup() { Restore(); }
  void Restore() {
    if (!folder_) return;
    RegDeleteTreeW(folder_, L"shell");
    HKEY shell = nullptr, backup = nullptr;
    RegCreateKeyExW(folder_, L"shell", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shell, nullptr);
    RegOpenKeyExW(folder_, kBackup, 0, KEY_ALL_ACCESS, &backup);
    RegCopyTreeW(backup, nullptr, shell);
    RegCloseKey(backup);
    RegCloseKey(shell);
    RegDeleteTreeW(folder_, kBackup);
    RegCloseKey(folder_);
    folder_ = nullptr;
  }
  // Folders open with the recorder, which notes what it was given in `recordFile`.
  void OpenWithRecorder(const std::wstring& recordFile) {
    std::wstring recorder = BuiltExePath();
    OpenWith(recorder.substr(0, recorder.find_last_of(L'\\')) + L"\\tests\\record.exe");
    SetEnvironmentVariableW(L"VELMORA_RECORD", recordFile.c_str());
  }
  // Folders open with `program`.
  void OpenWith(const std::wstring& program) {
    RegDeleteTreeW(folder_, L"shell");
    std::wstring line = L"\"" + program + L"\" \"%1\"";
    RegSetKeyValueW(folder_, L"shell\\open\\command", nullptr, REG_SZ, line.c_str(),
                    static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)));
  }

 private:
  static constexpr wchar_t kBackup[] = L"shell.velmora-test";
  HKEY folder_ = nullptr;
  velmora::testing::WatchdogHook onTimeout_{[this] { Restore(); }};
};

TEST_F(Interactive, LogFolderButtonOpensTheProgramFolder) {
  ProgramDir records;
  FolderVerbsBackup verbs;
  verbs.OpenWithRecorder(records.File(L"opened.txt"));
  Start();
  Click(Control(main_, ids::kCmdRogu));
  std::string opened;
  Eventually([&] { return !(opened = records.Read(L"opened.txt").value_or("")).empty(); });
  std::string folder(dir_.Path().begin(), dir_.Path().end());  // ASCII temporary path
  EXPECT_NE(opened.find(folder), std::string::npos) << "opened: " << opened;
  // No message: the click's handler has run to its end (a box would hold it, and the
  // window, which it disables) and the program then ends without showing one.
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_TRUE(IsWindowEnabled(main_)) << "a message box holds the window";
  PostMessageW(main_, WM_CLOSE, 0, 0);
  RunOutcome end = RunToEnd(*process_, GetTickCount(), 10000);
  EXPECT_TRUE(end.exitCode) << "the window did not close";
  for (const MessageBoxSeen& box : end.boxes)
    ADD_FAILURE() << "a message: " << std::string(box.text.begin(), box.text.end());
}

// A program folder is a folder, whatever its name holds: in "app.exe backup" the
// button must not start the "app.exe" beside it, but open the folder.
TEST_F(Interactive, LogFolderButtonOpensAFolderWhoseNameHoldsExe) {
  ProgramDir records;
  FolderVerbsBackup verbs;
  verbs.OpenWithRecorder(records.File(L"opened.txt"));
  const std::wstring folder = dir_.Path() + L"\\app.exe backup";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(dir_.Exe().c_str(), (folder + L"\\Velmora.exe").c_str(), FALSE));
  const std::wstring planted = MakeRecorder(dir_.Path(), L"app.exe");
  process_ = std::make_unique<Process>(folder + L"\\Velmora.exe", L"", folder);
  main_ = process_->WaitMainWindow();
  ASSERT_NE(main_, nullptr);
  Click(Control(main_, ids::kCmdRogu));
  std::string opened;
  for (int i = 0; i < 250 && opened.empty() && Recorded(planted).empty(); ++i) {
    Sleep(20);
    opened = records.Read(L"opened.txt").value_or("");
  }
  EXPECT_TRUE(WaitRecorded(planted, 0, 0).empty()) << "app.exe was started";
  std::string expected(folder.begin(), folder.end());  // ASCII temporary path
  EXPECT_NE(opened.find(expected), std::string::npos) << "opened: " << opened;
  EXPECT_FALSE(WaitMessageBox(*process_, 300)) << "no message when the folder opens";
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitExitPressingOk(*process_, 10000));
}

TEST_F(Interactive, LogFolderButtonReportsAFolderTheShellCannotOpen) {
  FolderVerbsBackup verbs;
  // A file that is no program, under the name of one: the shell answers "not a valid
  // program" (11), one of its errors besides "file not found" and "no association".
  const std::wstring notAProgram = dir_.File(L"open.exe");
  dir_.Write(L"open.exe", "not a program");
  struct Row {
    const char* name;
    std::wstring opener;  // the program folders open with
  } rows[] = {
      {"the program that opens folders is gone", L"C:\\velmora-no-such-folder\\open.exe"},
      {"the program that opens folders is no program", notAProgram},
  };
  Start();
  for (const Row& row : rows) {
    verbs.OpenWith(row.opener);
    Click(Control(main_, ids::kCmdRogu));
    auto box = WaitMessageBox(*process_, 5000);
    ASSERT_TRUE(box) << row.name << ": no message";
    EXPECT_EQ(box->title, L"ログ参照") << row.name;
    EXPECT_EQ(box->text, L"フォルダの表示に失敗しました\r\n" + dir_.Path()) << row.name;
    EXPECT_EQ(box->icon, static_cast<UINT>(MB_ICONEXCLAMATION)) << row.name;
    CloseMessageBox(*box);
    EXPECT_TRUE(WaitGone(box->hwnd, 5000)) << row.name;
  }
  CloseAndReadSettings();
}

}  // namespace
}  // namespace velmora::e2e
