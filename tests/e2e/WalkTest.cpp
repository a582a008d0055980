// The directory walk of the whole program on a tree shaped like a real disk: 20 x 20 x 20
// directories (8,421) with two files of 100 bytes in each leaf. Repeated automatic runs
// must each end with the right record; the window's measurement must end with the size
// in lblSiyou, also with a second click during the walk; closing the window or ending
// the session during a walk must end the process with the settings saved. Trees made on
// the Linux side: names Windows' path rules would read as others, measured as Linux
// counts them; a listing that never returns, which the run waits out answering until
// the session ends. Every run has a deadline: a walk that hangs fails the test instead
// of the suite.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Driver.h"
#include "app/AutoCheck.h"
#include "base/Codepage.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

constexpr DWORD kRunDeadlineMs = 60000;
constexpr int kBranches = 20;
const std::string kCsvOn = "[Log   ]1\r\n[LogTXT]0\r\n";
// 16,000 files of 100 bytes: 1,600,000 bytes.
constexpr const char* kRecord = "tree,0001.53,9999.00,OK";
constexpr const wchar_t* kShown = L"1.5MB";

std::wstring Two(int n) {
  return std::wstring(1, static_cast<wchar_t>(L'0' + n / 10)) + static_cast<wchar_t>(L'0' + n % 10);
}

bool MakeFile100(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string bytes(100, 'x');
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), 100, &written, nullptr) && written == 100;
  CloseHandle(f);
  return ok;
}

// The tree, made on the Linux side where there is one (a second), else file by file.
bool MakeTree(const std::wstring& root) {
  std::string unix = UnixPath(root);
  if (!unix.empty()) {
    std::string script =
        "set -e; cd '" + unix +
        "'; n=$(seq -w 0 19); cs=$(for c in $n; do printf 'c%s ' $c; done); "
        "for a in $n; do for b in $n; do d=tree/a$a/b$b; mkdir -p $d; cd $d; mkdir $cs; "
        "for c in $cs; do printf '%100s' >$c/f0.bin; printf '%100s' >$c/f1.bin; done; cd ../../..; done; done";
    if (RunLinuxShell(script, 120000) == 0) return true;
  }
  std::wstring tree = root + L"\\tree";
  if (!CreateDirectoryW(tree.c_str(), nullptr)) return false;
  for (int a = 0; a < kBranches; ++a) {
    std::wstring pa = tree + L"\\a" + Two(a);
    if (!CreateDirectoryW(pa.c_str(), nullptr)) return false;
    for (int b = 0; b < kBranches; ++b) {
      std::wstring pb = pa + L"\\b" + Two(b);
      if (!CreateDirectoryW(pb.c_str(), nullptr)) return false;
      for (int c = 0; c < kBranches; ++c) {
        std::wstring pc = pb + L"\\c" + Two(c);
        if (!CreateDirectoryW(pc.c_str(), nullptr) || !MakeFile100(pc + L"\\f0.bin") || !MakeFile100(pc + L"\\f1.bin"))
          return false;
      }
    }
  }
  return true;
}

class BranchingTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new velmora::testing::TempDir(L"velmora-walk");
    DWORD start = GetTickCount();
    made_ = MakeTree(root_->Path());
    std::printf("[ figures  ] the branching tree made in %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  }
  static void TearDownTestSuite() {
    std::string unix = UnixPath(Tree());
    if (!unix.empty()) RunLinuxShell("rm -rf '" + unix + "'", 120000);  // far quicker than file by file
    delete root_;
    root_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(made_) << "the tree could not be made"; }
  static std::wstring Tree() { return root_->Path() + L"\\tree"; }

  // Waits for the label to show `caption`; what it shows in the end.
  static std::wstring WaitCaption(HWND label, const std::wstring& caption, DWORD timeoutMs) {
    std::wstring shown;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
      shown = Text(label);
      if (shown == caption) break;
    }
    return shown;
  }
  // Whether the window answers a message within the time.
  static bool Answers(HWND window, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
  }

  static velmora::testing::TempDir* root_;
  static bool made_;
  ProgramDir dir_;
};
velmora::testing::TempDir* BranchingTree::root_ = nullptr;
bool BranchingTree::made_ = false;

TEST_F(BranchingTree, EveryAutomaticRunEndsWithTheRightRecord) {
  dir_.Write(L"Velmora.ini", kCsvOn);
  constexpr int kRuns = 6;
  for (int run = 1; run <= kRuns; ++run) {
    DWORD start = GetTickCount();
    Process process(dir_.Exe(), L"/DIR=" + Tree() + L" /SIZE=9999", dir_.Path());
    ASSERT_TRUE(process.Started()) << GetLastError();
    RunOutcome seen = RunToEnd(process, start, kRunDeadlineMs);
    ASSERT_TRUE(seen.exitCode.has_value()) << "run " << run << " did not end within " << kRunDeadlineMs << " ms";
    EXPECT_EQ(*seen.exitCode, 0u) << "run " << run;
    EXPECT_TRUE(seen.boxes.empty()) << "run " << run;
    std::string log = dir_.Read(L"tree.csv").value_or("");
    size_t first = log.find("\r\n");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.substr(first + 2 + 21, std::string(kRecord).size()), kRecord) << "run " << run;
    std::printf("[ figures  ] automatic run %d of the branching tree: %lu ms\n", run,
                static_cast<unsigned long>(seen.milliseconds));
  }
}

TEST_F(BranchingTree, TheWindowShowsTheSizeAlsoAfterASecondClickDuringTheWalk) {
  Process process(dir_.Exe(), L"", dir_.Path());
  HWND main = process.WaitMainWindow();
  ASSERT_NE(main, nullptr);
  HWND txtDir = Control(main, ui::ids::kTxtDir), cmdSiyou = Control(main, ui::ids::kCmdSiyou);
  HWND lblSiyou = Control(main, ui::ids::kLblSiyou);
  SetText(txtDir, Tree());
  for (bool secondClick : {false, true}) {
    SetText(lblSiyou, L"-");
    Click(cmdSiyou);
    if (secondClick) {
      // A nested measurement: it runs to its end, then the first one does.
      ASSERT_EQ(WaitCaption(lblSiyou, texts::kMeasuring, 10000), texts::kMeasuring);
      Click(cmdSiyou);
      EXPECT_TRUE(Answers(main)) << "the window does not answer during the walk";
    }
    EXPECT_EQ(WaitCaption(lblSiyou, kShown, kRunDeadlineMs), kShown) << (secondClick ? "two walks" : "one walk");
    Sleep(200);  // a walk still running would write its caption again
    EXPECT_EQ(Text(lblSiyou), kShown);
    EXPECT_TRUE(Answers(main));
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitExit(10000), std::optional<DWORD>(0));
}

TEST_F(BranchingTree, ClosingOrEndingTheSessionDuringAWalkEndsTheProcessWithSettingsSaved) {
  struct Row {
    const char* name;
    UINT message;
    WPARAM wp;
  } rows[] = {
      {"close box", WM_CLOSE, 0},
      {"end of the session", WM_ENDSESSION, TRUE},
  };
  for (const Row& row : rows) {
    ProgramDir dir;
    Process process(dir.Exe(), L"", dir.Path());
    HWND main = process.WaitMainWindow();
    ASSERT_NE(main, nullptr) << row.name;
    HWND lblSiyou = Control(main, ui::ids::kLblSiyou);
    SetText(Control(main, ui::ids::kTxtDir), Tree());
    Click(Control(main, ui::ids::kCmdSiyou));
    ASSERT_EQ(WaitCaption(lblSiyou, texts::kMeasuring, 10000), texts::kMeasuring) << row.name;
    Sleep(300);  // well inside the walk, workers listing
    if (row.message == WM_ENDSESSION) {
      DWORD_PTR ok = 0;
      SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &ok);
      EXPECT_TRUE(ok) << "the session end was refused";
    }
    PostMessageW(main, row.message, row.wp, 0);
    EXPECT_EQ(process.WaitExit(10000), std::optional<DWORD>(0)) << row.name;
    EXPECT_TRUE(dir.Exists(L"Velmora.ini")) << row.name << ": the settings were not saved";
  }
}

// An automatic run of a tree as a copy from Linux or a Samba share brings it: "data."
// beside "data", a trailing space, device names, a path beyond 260 characters. Each file
// counts once: the logged size is what Linux counts (file lengths of distinct bits of
// 64 KiB, so that a file missed or counted twice shows).
TEST(LinuxTree, AnAutomaticRunLogsTheSizeLinuxCountsForNamesWindowsWouldRead) {
  ProgramDir dir;
  dir.Write(L"Velmora.ini", kCsvOn);
  velmora::testing::TempDir trees(L"velmora-odd");
  std::string unix = UnixPath(trees.Path());
  if (unix.empty()) GTEST_SKIP() << "no Linux side under this system";
  std::string truth;
  const std::string script = "set -e; cd '" + unix +
                             "'; mkdir odd; cd odd; k=65536; for n in data data. 'sp ' con aux nul com1 lpt1 "
                             "\"$(printf 'l%.0s' $(seq 200))/$(printf 'm%.0s' $(seq 200))\"; do "
                             "mkdir -p \"$n\"; truncate -s $k \"$n/f\"; k=$((k * 2)); done; cd ..; "
                             "find odd -type f -printf '%s\\n' | awk '{s += $1} END {printf \"%07.2f\", s / 1048576}'";
  ASSERT_EQ(RunLinuxShell(script, 30000, &truth), std::optional<int>(0)) << truth;
  ASSERT_EQ(truth, "0031.94");
  Process process(dir.Exe(), L"/DIR=" + trees.Path() + L"\\odd /SIZE=9999", dir.Path());
  RunOutcome seen = RunToEnd(process, GetTickCount(), kRunDeadlineMs);
  EXPECT_EQ(seen.exitCode, std::optional<DWORD>(0));
  std::string log = dir.Read(L"odd.csv").value_or("");
  EXPECT_NE(log.find(",odd," + truth + ",9999.00,OK\r\n"), std::string::npos) << log;
}

// A listing that never returns (a FUSE file system standing in for a dead share): the
// automatic run waits for it answering every message, and ends when the session ends
// with exit code 3 and no record, as any run the session cut short. (Under Wine the
// process is gone only once the file system is: a thread inside a FUSE listing cannot
// be stopped before. Windows cancels the listing when the process ends.)
TEST(LinuxTree, ARunWaitingForAListingThatNeverReturnsEndsWithTheSession) {
  ProgramDir dir;
  dir.Write(L"Velmora.ini", kCsvOn);
  velmora::testing::TempDir mount(L"velmora-fuse");
  std::string unix = UnixPath(mount.Path()), output;
  if (unix.empty()) GTEST_SKIP() << "no Linux side under this system";
  std::optional<int> mounted =
      RunLinuxShell("/usr/bin/python3 '" VELMORA_SLOWFS "' '" + unix + "' 3 120 >/dev/null 2>&1 & echo $! >'" + unix +
                        ".pid'; for i in $(seq 50); do mountpoint -q '" + unix + "' && exit 0; sleep 0.1; done; exit 1",
                    10000, &output);
  struct Unmount {
    std::string path;
    void Now() {
      if (!path.empty())
        RunLinuxShell("umount -l '" + path + "'; kill -9 $(cat '" + path + ".pid'); rm -f '" + path + ".pid'", 10000);
      path.clear();
    }
    ~Unmount() { Now(); }
  } unmount{unix};
  if (mounted != 0) GTEST_SKIP() << "no FUSE file system here (python3-fusepy, /dev/fuse, mount): " << output;

  Process process(dir.Exe(), L"/DIR=" + mount.Path() + L"\\stuck /SIZE=1", dir.Path());
  HWND main = process.WaitWindow(nullptr, texts::kMainCaption, 10000, false);
  ASSERT_NE(main, nullptr);
  Sleep(1000);  // the run is inside its walk, waiting for the listing
  for (int i = 0; i < 20; ++i, Sleep(50)) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) << "probe " << i;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  PostMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  Sleep(500);
  unmount.Now();
  EXPECT_EQ(process.WaitExit(10000), std::optional<DWORD>(kExitNotRun));
  EXPECT_FALSE(dir.Exists(L"stuck.csv"));
}

}  // namespace
}  // namespace velmora::e2e
