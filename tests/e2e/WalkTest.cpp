// The directory walk of the whole program on a tree shaped like a real disk: 20 x 20 x 20
// directories (8,421) with two files of 100 bytes in each leaf. Repeated automatic runs
// must each end with the right record; the window's measurement must end with the size
// in lblSiyou, also with a second click during the walk; closing the window or ending
// the session during a walk must end the process with the settings saved. Every run
// has a deadline: a walk that hangs fails the test instead of the suite.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Driver.h"
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

}  // namespace
}  // namespace velmora::e2e
