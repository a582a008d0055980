// The shortcut buttons as a user meets them: every refusal with its message, the
// success message and the link in the start-up folder, the retry for all users, the
// failure when no toolkit library is there, and the link's command line run again.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>

#include "Driver.h"
#include "EnvScope.h"
#include "ShellLinks.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;

using velmora::testing::Exists;
using velmora::testing::KnownFolder;

using velmora::testing::LinkRead;
using velmora::testing::ReadLink;

class ShortCut : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    startup_ = KnownFolder(FOLDERID_Startup);
    commonStartup_ = KnownFolder(FOLDERID_CommonStartup);
    ASSERT_TRUE(Exists(startup_));
  }
  void TearDown() override {
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (process_) process_->WaitExit(5000);
    for (const std::wstring& name : created_) {
      DeleteFileW((startup_ + L"\\" + name + L".lnk").c_str());
      DeleteFileW((commonStartup_ + L"\\" + name + L".lnk").c_str());
    }
    CoUninitialize();
  }

  // Started in the program folder, or in `workDir` when one is given.
  void Start(const std::wstring& workDir = L"") {
    process_ = std::make_unique<Process>(dir_.Exe(), L"", workDir.empty() ? dir_.Path() : workDir);
    ASSERT_TRUE(process_->Started()) << "CreateProcess failed: " << GetLastError();
    main_ = process_->WaitMainWindow();
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  HWND Ctl(int id) const { return Control(main_, id); }
  void ShowDirPage() {
    Click(Ctl(ids::kCmdTab1));
    for (int i = 0; i < 100 && !IsWindowVisible(Ctl(ids::kFraMain1)); ++i) Sleep(20);
  }

  // The link the test expects, removed before and after the test.
  std::wstring LinkIn(const std::wstring& folder, const std::wstring& name) {
    created_.push_back(name);
    DeleteFileW((startup_ + L"\\" + name + L".lnk").c_str());
    DeleteFileW((commonStartup_ + L"\\" + name + L".lnk").c_str());
    return folder + L"\\" + name + L".lnk";
  }

  // Starts the window, types `watched` and `size` on the directory page and presses its
  // shortcut button, as a user would: the link made in the user's Startup folder under
  // `name`, read back (nothing when none was made).
  std::optional<LinkRead> PlaceDirectoryLink(const std::wstring& watched, const std::wstring& name, const wchar_t* size,
                                             const char* why) {
    std::wstring link = LinkIn(startup_, name);
    Start();
    ShowDirPage();
    SetText(Ctl(ids::kTxtDir), watched);
    SetText(Ctl(ids::kTxtSize1), size);
    ExpectMessage(ClickForMessage(ids::kCmdShortCut1), texts::kShortCutDone, texts::kTitleShortCutDone,
                  MB_ICONINFORMATION, why);
    return ReadLink(link);
  }

  // Clicks the button and returns the one message box that follows, closed again.
  std::optional<MessageBoxSeen> ClickForMessage(int buttonId) {
    Click(Ctl(buttonId));
    auto box = WaitMessageBox(*process_, 10000);
    if (!box) return std::nullopt;
    CloseMessageBox(*box);
    for (int i = 0; i < 250 && IsWindow(box->hwnd); ++i) Sleep(20);
    return box;
  }
  // No further message box within a short while.
  bool NoMoreMessages() const { return !WaitMessageBox(*process_, 400); }

  void ExpectMessage(const std::optional<MessageBoxSeen>& box, const std::wstring& text, const std::wstring& title,
                     UINT icon, const std::string& what) {
    ASSERT_TRUE(box) << what << ": no message box";
    EXPECT_EQ(box->text, text) << what;
    EXPECT_EQ(box->title, title) << what;
    EXPECT_EQ(box->icon, icon) << what;
  }

  ProgramDir dir_;
  std::unique_ptr<Process> process_;
  HWND main_ = nullptr;
  std::wstring startup_, commonStartup_;
  std::vector<std::wstring> created_;
};

const std::wstring kFailed = std::wstring(texts::kShortCutFailed1) + L"\r\n" + texts::kShortCutFailed2;

TEST_F(ShortCut, DrivePageRefusesAMissingOrNonPositiveThreshold) {
  std::wstring link = LinkIn(startup_, L"Velmora C");
  Start();
  struct Row {
    const wchar_t* size;
    const wchar_t* message;
  } rows[] = {
      {L"", texts::kSizeMissing},   {L"0", texts::kSizeRange},    {L"-5", texts::kSizeRange},
      {L"abc", texts::kSizeRange},  {L" ", texts::kSizeRange},    {L"0.0", texts::kSizeRange},
      {L"9E99", texts::kSizeRange}, {L"1E39", texts::kSizeRange},
  };
  for (const Row& row : rows) {
    SetText(Ctl(ids::kTxtSize0), row.size);
    std::string what = "row " + std::to_string(&row - rows);
    ExpectMessage(ClickForMessage(ids::kCmdShortCut0), row.message, texts::kTitleSettingError, MB_ICONEXCLAMATION,
                  what);
    EXPECT_EQ(Text(Ctl(ids::kTxtSize0)), row.size) << what;
  }
  EXPECT_TRUE(NoMoreMessages());
  EXPECT_FALSE(Exists(link));
}

TEST_F(ShortCut, DirectoryPageChecksTheDirectoryFirstAndMovesTheFocusThere) {
  Start();
  ShowDirPage();
  HWND txtDir = Ctl(ids::kTxtDir);
  struct Row {
    std::wstring dir;
    const wchar_t* size;
    const wchar_t* message;
    bool focusOnDir;
  } rows[] = {
      {dir_.Path() + L"\\no such folder", L"", texts::kDirInvalid, true},
      {dir_.Path() + L"\\no such folder", L"100", texts::kDirInvalid, true},
      {dir_.Path() + L"\\", L"100", texts::kDirInvalid, true},
      {dir_.Exe(), L"100", texts::kDirInvalid, true},
      {L"", L"100", texts::kDirInvalid, true},
      {dir_.Path(), L"", texts::kSizeMissing, false},
      {dir_.Path(), L"0", texts::kSizeRange, false},
      {dir_.Path(), L"-5", texts::kSizeRange, false},
  };
  for (const Row& row : rows) {
    SetText(txtDir, row.dir);
    SetText(Ctl(ids::kTxtSize1), row.size);
    std::string what = "row " + std::to_string(&row - rows);
    ExpectMessage(ClickForMessage(ids::kCmdShortCut1), row.message, texts::kTitleSettingError, MB_ICONEXCLAMATION,
                  what);
    // A refused directory with an empty threshold shows the directory's message alone.
    if (&row == &rows[0]) {
      EXPECT_TRUE(NoMoreMessages()) << what;
    }
    for (int i = 0; i < 50 && row.focusOnDir && FocusedControl(main_) != txtDir; ++i) Sleep(20);
    EXPECT_EQ(FocusedControl(main_) == txtDir, row.focusOnDir) << what;
    EXPECT_EQ(Text(txtDir), row.dir) << what;
  }
  EXPECT_TRUE(NoMoreMessages());
}

TEST_F(ShortCut, DrivePagePlacesTheLinkOfTheChosenDrive) {
  std::wstring link = LinkIn(startup_, L"Velmora C");
  Start();
  for (const wchar_t* size : {L"100", L" 100", L"5000", L"1.5"}) {
    SetText(Ctl(ids::kTxtSize0), size);
    ExpectMessage(ClickForMessage(ids::kCmdShortCut0), texts::kShortCutDone, texts::kTitleShortCutDone,
                  MB_ICONINFORMATION, "drive page");
    auto read = ReadLink(link);
    ASSERT_TRUE(read) << "no link in the Startup folder";
    EXPECT_EQ(read->target, dir_.Exe());
    EXPECT_EQ(read->arguments, std::wstring(L"/DISK=C /SIZE=") + size);
  }
  EXPECT_TRUE(NoMoreMessages());
}

TEST_F(ShortCut, DirectoryPagePlacesTheLinkWithThePathAsTyped) {
  std::wstring watched = dir_.Path() + L"\\My Data 月次";
  ASSERT_TRUE(CreateDirectoryW(watched.c_str(), nullptr));
  auto read = PlaceDirectoryLink(watched, L"Velmora My Data 月次", L"250", "directory page");
  EXPECT_TRUE(NoMoreMessages());
  ASSERT_TRUE(read) << "no link in the Startup folder";
  EXPECT_EQ(read->target, dir_.Exe());
  EXPECT_EQ(read->arguments, L"/DIR=" + watched + L" /SIZE=250");

  // The stored command line starts an automatic run: no window, and the process ends
  // by itself.
  Process automatic(read->target, read->arguments, dir_.Path());
  ASSERT_TRUE(automatic.Started());
  std::optional<DWORD> exit;
  bool windowShown = false;
  for (int i = 0; i < 500 && !exit; ++i) {
    windowShown = windowShown || !automatic.Windows().empty();
    exit = automatic.WaitExit(20);
  }
  EXPECT_TRUE(exit.has_value()) << "the automatic run did not end";
  EXPECT_FALSE(windowShown);
}

// The link starts the program in the program folder: a relative directory is checked
// from there, whatever folder the window was started in, and stays relative in the link.
TEST_F(ShortCut, RelativeDirectoryIsCheckedFromTheProgramFolder) {
  ProgramDir elsewhere;  // the window's current folder
  ASSERT_TRUE(CreateDirectoryW(elsewhere.File(L"Only Here").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(dir_.File(L"Logs Sub").c_str(), nullptr));
  std::wstring refused = LinkIn(startup_, L"Velmora Only Here");
  std::wstring link = LinkIn(startup_, L"Velmora Logs Sub");
  Start(elsewhere.Path());
  ShowDirPage();
  SetText(Ctl(ids::kTxtSize1), L"100");
  struct Row {
    const wchar_t* typed;
    const wchar_t* message;
  } rows[] = {
      {L"Only Here", texts::kDirInvalid},
      {L"Logs Sub", texts::kShortCutDone},
  };
  for (const Row& row : rows) {
    SetText(Ctl(ids::kTxtDir), row.typed);
    auto box = ClickForMessage(ids::kCmdShortCut1);
    ASSERT_TRUE(box) << "no message";
    EXPECT_EQ(box->text, row.message);
  }
  EXPECT_TRUE(NoMoreMessages());
  EXPECT_FALSE(Exists(refused));
  auto read = ReadLink(link);
  ASSERT_TRUE(read) << "no link in the Startup folder";
  EXPECT_EQ(read->arguments, L"/DIR=Logs Sub /SIZE=100");

  // Run as the link runs it, in the program folder: the directory is found (an empty
  // folder passes silently).
  Process automatic(read->target, read->arguments, dir_.Path());
  ASSERT_TRUE(automatic.Started());
  RunOutcome run = RunToEnd(automatic, GetTickCount(), 10000);
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
  EXPECT_TRUE(run.boxes.empty());
}

TEST_F(ShortCut, FallsBackToAllUsersWithOneMessage) {
  // A folder where the user's link file would go makes the user's attempts fail.
  std::wstring blocked = LinkIn(startup_, L"Velmora C");
  ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
  std::wstring shared = commonStartup_ + L"\\Velmora C.lnk";
  Start();
  SetText(Ctl(ids::kTxtSize0), L"100");
  auto box = ClickForMessage(ids::kCmdShortCut0);
  RemoveDirectoryW(blocked.c_str());
  ExpectMessage(box, texts::kShortCutDone, texts::kTitleShortCutDone, MB_ICONINFORMATION, "all users");
  EXPECT_TRUE(NoMoreMessages());
  auto read = ReadLink(shared);
  ASSERT_TRUE(read) << "no link in the shared Startup folder";
  EXPECT_EQ(read->arguments, L"/DISK=C /SIZE=100");
}

TEST_F(ShortCut, ReportsTheFailureWhenNoToolkitIsThere) {
  ASSERT_TRUE(DeleteFileW(dir_.File(L"vb6stkit.dll").c_str()));
  std::wstring link = LinkIn(startup_, L"Velmora C");
  Start();
  ExpectMessage(ClickForMessage(ids::kCmdShortCut0), kFailed, texts::kTitleShortCutFailed, MB_ICONEXCLAMATION,
                "no toolkit");
  EXPECT_TRUE(NoMoreMessages());
  EXPECT_FALSE(Exists(link));
  EXPECT_EQ(Text(Ctl(ids::kTxtSize0)), L"100");
}

// A vb5stkit.dll planted in the current folder and in a folder on PATH is neither
// used nor even loaded: the link is placed through the program's own vb6stkit.dll.
TEST_F(ShortCut, LoadsNoToolkitPlantedInTheCurrentFolderOrOnPath) {
  velmora::testing::TempDir planted(L"velmora planted");
  const std::wstring build = BuiltExePath();
  const std::wstring source = build.substr(0, build.find_last_of(L'\\')) + L"\\tests\\planted\\vb5stkit.dll";
  ASSERT_TRUE(CopyFileW(source.c_str(), planted.File(L"vb5stkit.dll").c_str(), FALSE)) << GetLastError();
  const std::wstring loaded = planted.File(L"loaded.txt");
  velmora::testing::EnvScope log(L"VELMORA_PLANTED_LOG", loaded);
  velmora::testing::EnvScope path(L"PATH", planted.Path() + L";" + velmora::testing::EnvValue(L"PATH").value_or(L""));

  std::wstring link = LinkIn(startup_, L"Velmora C");
  process_ = std::make_unique<Process>(dir_.Exe(), L"", planted.Path());
  ASSERT_TRUE(process_->Started());
  main_ = process_->WaitMainWindow();
  ASSERT_NE(main_, nullptr);
  SetText(Ctl(ids::kTxtSize0), L"100");
  ExpectMessage(ClickForMessage(ids::kCmdShortCut0), texts::kShortCutDone, texts::kTitleShortCutDone,
                MB_ICONINFORMATION, "planted vb5stkit.dll");
  EXPECT_TRUE(ReadLink(link)) << "no link in the Startup folder";
  EXPECT_EQ(velmora::testing::ReadBytes(loaded).value_or(""), "") << "the planted library was loaded";
}

// The project's own library copied under the older toolkit's name (as the failure
// message asks for vb5stkit.dll) is called through the form it really exports: the
// link keeps a path the ANSI code page cannot hold, and the six-argument function is
// never called with four.
TEST_F(ShortCut, ProjectLibraryUnderTheOlderNameIsCalledThroughItsOwnForm) {
  ASSERT_TRUE(MoveFileW(dir_.File(L"vb6stkit.dll").c_str(), dir_.File(L"vb5stkit.dll").c_str()));
  std::wstring watched = dir_.Path() + L"\\자료 月次";
  ASSERT_TRUE(CreateDirectoryW(watched.c_str(), nullptr));
  auto read = PlaceDirectoryLink(watched, L"Velmora 자료 月次", L"250", "vb6stkit.dll named vb5stkit.dll");
  ASSERT_TRUE(read) << "no link in the Startup folder";
  EXPECT_EQ(read->target, dir_.Exe());
  EXPECT_EQ(read->arguments, L"/DIR=" + watched + L" /SIZE=250");
}

// The round trip a user relies on: the stored command line runs the check of exactly
// that directory. A tree of 2 MB against a threshold of 1 MB warns; a path cut at its
// space would report the directory as missing instead.
TEST_F(ShortCut, StoredArgumentsRunTheIntendedDirectoryCheck) {
  std::wstring watched = dir_.Path() + L"\\My Data";
  ASSERT_TRUE(CreateDirectoryW(watched.c_str(), nullptr));
  dir_.Write(L"My Data\\two megabytes.bin", std::string(2 * 1024 * 1024, 'x'));
  auto read = PlaceDirectoryLink(watched, L"Velmora My Data", L"1", "directory page");
  ASSERT_TRUE(read);

  Process automatic(read->target, read->arguments, dir_.Path());
  ASSERT_TRUE(automatic.Started());
  auto box = WaitMessageBox(automatic, 10000);
  ASSERT_TRUE(box) << "no warning";
  EXPECT_EQ(box->title, texts::kTitleDirResult);
  EXPECT_NE(box->text.find(texts::kDirUsedIs), std::wstring::npos) << "the check did not find the directory";
  EXPECT_EQ(box->icon, static_cast<UINT>(MB_ICONSTOP));
  CloseMessageBox(*box);
  EXPECT_EQ(automatic.WaitExit(10000), std::optional<DWORD>(1));
}

}  // namespace
}  // namespace velmora::e2e
