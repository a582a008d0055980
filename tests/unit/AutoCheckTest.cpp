// The automatic run's decisions: which check, which message, whether and how it logs,
// the retry schedule and the exit code, against a scripted window and system.
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AutoCheck.h"

namespace velmora {
namespace {

class FakeRun : public AutoCheckHost {
 public:
  RootListing root = RootListing::kEntries;
  float free = 150;
  std::wstring dirName = L"Data";  // what DirFind reports; empty: no such directory
  float used = 10;
  bool listable = true;         // false: the directory exists but cannot be listed
  std::deque<bool> logResults;  // LogWrite results in turn; true once they run out
  std::deque<double> draws;     // Rnd results in turn
  bool throwOnMeasure = false;
  std::vector<std::wstring> calls;
  std::vector<AutoMessage> shown;

  RootListing ListRoot(const std::wstring& rootPath) override {
    calls.push_back(L"root " + rootPath);
    return root;
  }
  float AkiSizeDisp(const std::wstring& driveLetter) override {
    calls.push_back(L"aki " + driveLetter);
    if (throwOnMeasure) throw std::runtime_error("measure");
    return free;
  }
  std::wstring DirFind(const std::wstring& path) override {
    calls.push_back(L"find " + path);
    return dirName;
  }
  float SiyouSizeDisp(const std::wstring& dirPath, bool& measured) override {
    calls.push_back(L"siyou " + dirPath);
    if (throwOnMeasure) throw std::runtime_error("measure");
    measured = listable;
    return used;
  }
  void ShowWarning(const AutoMessage& message) override {
    calls.push_back(L"box");
    shown.push_back(message);
  }
  bool LogWrite(CheckKind kind, bool found, const std::wstring& target, float size, float limit,
                CheckResult result) override {
    calls.push_back(L"log " + std::to_wstring(static_cast<int>(kind)) + L" " + (found ? L"found " : L"missing ") +
                    target + L" " + std::to_wstring(size) + L" " + std::to_wstring(limit) + L" " +
                    std::to_wstring(static_cast<int>(result)));
    if (logResults.empty()) return true;
    bool ok = logResults.front();
    logResults.pop_front();
    return ok;
  }
  double Rnd() override {
    calls.push_back(L"rnd");
    double r = draws.empty() ? 0 : draws.front();
    if (!draws.empty()) draws.pop_front();
    return r;
  }
  void Randomize() override { calls.push_back(L"randomize"); }
  void Sleep(uint32_t ms) override { calls.push_back(L"sleep " + std::to_wstring(ms)); }

  std::vector<std::wstring> Logs() const {
    std::vector<std::wstring> out;
    for (const auto& c : calls)
      if (c.rfind(L"log ", 0) == 0) out.push_back(c);
    return out;
  }
};

const std::wstring kDriveTitle = L"Velmora  ドライブ空きサイズ確認結果";
const std::wstring kDirTitle = L"Velmora  ディレクトリ使用サイズ確認結果";

TEST(AutoCheck, EveryBranchShowsItsMessageLogsAndExits) {
  struct Row {
    const char* name;
    AutoArgs args;
    RootListing root;
    float free = 0, used = 0;
    std::wstring dirName{};  // what DirFind reports
    int exitCode;            // as the shortcut's caller sees it: 0 passed, 1 warned, 2 not found
    std::wstring text{};     // empty: no box
    std::wstring title{};
    std::vector<std::wstring> logs{};
    std::wstring diskAfter{};
    bool listable = true;
  } rows[] = {
      {.name = "drive passes",
       .args = {L"C", L"", 100},
       .root = RootListing::kEntries,
       .free = 150,
       .exitCode = 0,
       .logs = {L"log 0 found C 150.000000 100.000000 1"},
       .diskAfter = L"C"},
      {.name = "drive at the threshold warns",
       .args = {L"C", L"", 100},
       .root = RootListing::kEntries,
       .free = 100,
       .exitCode = 1,
       .text = L"警告！\r\n\r\nＣドライブの空きサイズが、100 MB以下になりました\r\n現在の空きサイズは、100.0MBです",
       .title = kDriveTitle,
       .logs = {L"log 0 found C 100.000000 100.000000 0"},
       .diskAfter = L"C"},
      {.name = "drive below",
       .args = {L"C", L"", 100},
       .root = RootListing::kEntries,
       .free = 85.27f,
       .exitCode = 1,
       .text = L"警告！\r\n\r\nＣドライブの空きサイズが、100 MB以下になりました\r\n現在の空きサイズは、85.3MBです",
       .title = kDriveTitle,
       .logs = {L"log 0 found C 85.269997 100.000000 0"},
       .diskAfter = L"C"},
      {.name = "drive not measurable",
       .args = {L"C", L"", 12.5f},
       .root = RootListing::kEntries,
       .free = -1,
       .exitCode = 1,
       .text = L"警告！\r\n\r\nＣドライブの空きサイズが、12.5 MB以下になりました\r\n現在の空きサイズは、-1.0MBです",
       .title = kDriveTitle,
       .logs = {L"log 0 found C -1.000000 12.500000 0"},
       .diskAfter = L"C"},
      {.name = "drive missing",
       .args = {L"Q", L"", 100},
       .root = RootListing::kNone,
       .exitCode = 2,
       .text = L"警告！\r\n\r\nＱドライブが見つかりません",
       .title = kDriveTitle,
       .logs = {L"log 0 missing Q 0.000000 100.000000 0"},
       .diskAfter = L"Q"},
      {.name = "drive not readable",
       .args = {L"CD", L"", 100},
       .root = RootListing::kError,
       .exitCode = 2,
       .text = L"警告！\r\n\r\nＣＤドライブにアクセスできません",
       .title = kDriveTitle,
       .diskAfter = L"CD"},
      {.name = "drive check without threshold logs nothing",
       .args = {L"C", L"", 0},
       .root = RootListing::kEntries,
       .exitCode = 1,
       .text = L"警告！\r\n\r\nＣドライブの空きサイズが、0 MB以下になりました\r\n現在の空きサイズは、0.0MBです",
       .title = kDriveTitle,
       .diskAfter = L"C"},
      {.name = "drive check with an infinite threshold runs as without one",
       .args = {L"C", L"", std::numeric_limits<float>::infinity()},
       .root = RootListing::kEntries,
       .free = 150,
       .exitCode = kExitPassed,
       .diskAfter = L"C"},
      {.name = "directory passes",
       .args = {L"", L"C:\\Work\\data", 250},
       .root = RootListing::kError,
       .used = 249.99f,
       .dirName = L"Data",
       .exitCode = 0,
       .logs = {L"log 1 found Data 249.990005 250.000000 1"},
       .diskAfter = L"Data"},
      {.name = "directory at the threshold warns",
       .args = {L"", L"C:\\Work\\data", 250},
       .root = RootListing::kError,
       .used = 250,
       .dirName = L"Data",
       .exitCode = 1,
       .text = L"警告！\r\n\r\nディレクトリの使用サイズが、250 MB以上になりました\r\n現在の使用サイズは、250.0MBです",
       .title = kDirTitle,
       .logs = {L"log 1 found Data 250.000000 250.000000 0"},
       .diskAfter = L"Data"},
      {.name = "directory big",
       .args = {L"", L"D:\\x", 1000},
       .root = RootListing::kError,
       .used = 1234567.8f,
       .dirName = L"x",
       .exitCode = 1,
       .text = L"警告！\r\n\r\nディレクトリの使用サイズが、1000 "
               L"MB以上になりました\r\n現在の使用サイズは、1,234,568.0MBです",
       .title = kDirTitle,
       .logs = {L"log 1 found x 1234567.750000 1000.000000 0"},
       .diskAfter = L"x"},
      {.name = "directory the system refuses to list is not measured",
       .args = {L"", L"C:\\Work\\Locked", 250},
       .root = RootListing::kError,
       .dirName = L"Locked",
       .exitCode = kExitNotFound,
       .text = L"警告！\r\n\r\nディレクトリが見つかりません\r\nC:\\Work\\Locked",
       .title = kDirTitle,
       .logs = {L"log 1 missing Locked 0.000000 250.000000 0"},
       .diskAfter = L"Locked",
       .listable = false},
      {.name = "directory missing",
       .args = {L"", L" C:\\Nope", 100},
       .root = RootListing::kError,
       .exitCode = 2,
       .text = L"警告！\r\n\r\nディレクトリが見つかりません\r\n C:\\Nope",
       .title = kDirTitle},
      {.name = "directory without threshold always warns, logs nothing",
       .args = {L"", L"C:\\d", 0},
       .root = RootListing::kError,
       .dirName = L"d",
       .exitCode = 1,
       .text = L"警告！\r\n\r\nディレクトリの使用サイズが、0 MB以上になりました\r\n現在の使用サイズは、0.0MBです",
       .title = kDirTitle,
       .diskAfter = L"d"},
      {.name = "directory with an infinite threshold warns as without one, logs nothing",
       .args = {L"", L"C:\\d", std::numeric_limits<float>::infinity()},
       .root = RootListing::kError,
       .used = 7,
       .dirName = L"d",
       .exitCode = kExitWarned,
       .text = L"警告！\r\n\r\nディレクトリの使用サイズが、0 MB以上になりました\r\n現在の使用サイズは、7.0MBです",
       .title = kDirTitle,
       .diskAfter = L"d"},
  };
  for (const Row& row : rows) {
    FakeRun run;
    run.root = row.root;
    run.free = row.free;
    run.used = row.used;
    run.dirName = row.dirName;
    run.listable = row.listable;
    AutoArgs args = row.args;
    EXPECT_EQ(RunAutoCheck(args, run), row.exitCode) << row.name;
    std::vector<std::wstring> seen, expected;
    for (const AutoMessage& m : run.shown) seen.push_back(m.title + L"|" + m.text);
    if (!row.text.empty()) expected.push_back(row.title + L"|" + row.text);
    EXPECT_EQ(seen, expected) << row.name;
    EXPECT_EQ(run.Logs(), row.logs) << row.name;
    EXPECT_EQ(args.disk, row.diskAfter) << row.name;
  }
}

TEST(AutoCheck, TheDriveCheckListsTheRootBeforeMeasuringAndLogsAfterTheBox) {
  FakeRun run;
  run.free = 50;
  AutoArgs args{L"c", L"", 100};
  RunAutoCheck(args, run);
  EXPECT_EQ(run.calls,
            (std::vector<std::wstring>{L"root c:\\", L"aki c", L"box", L"log 0 found c 50.000000 100.000000 0"}));
}

TEST(AutoCheck, TheDirectoryIsLookedUpAgainForTheLogTarget) {
  FakeRun run;
  AutoArgs args{L"", L"C:\\Work\\Data", 100};
  RunAutoCheck(args, run);
  EXPECT_EQ(run.calls, (std::vector<std::wstring>{L"find C:\\Work\\Data", L"siyou C:\\Work\\Data",
                                                  L"find C:\\Work\\Data", L"log 1 found Data 10.000000 100.000000 1"}));
}

TEST(AutoCheck, AFailureInsideTheRunEndsInTheDriveNotAccessibleBoxWithoutLog) {
  for (bool drive : {true, false}) {
    FakeRun run;
    run.throwOnMeasure = true;
    AutoArgs args{drive ? L"E" : L"", L"C:\\d", 100};
    EXPECT_EQ(RunAutoCheck(args, run), 2);
    ASSERT_EQ(run.shown.size(), 1u);
    EXPECT_EQ(run.shown[0].text,
              std::wstring(L"警告！\r\n\r\n") + (drive ? L"Ｅ" : L"") + L"ドライブにアクセスできません");
    EXPECT_EQ(run.shown[0].title, kDriveTitle);
    EXPECT_TRUE(run.Logs().empty());
  }
}

TEST(AutoCheck, LogRetriesPauseThenReseedUpToElevenAttempts) {
  FakeRun run;
  run.logResults = {false, false, false, true};
  run.draws = {0.0, 0.5, 46.5 / 91};
  AutoArgs args{L"C", L"", 100};
  EXPECT_EQ(RunAutoCheck(args, run), 0);
  std::vector<std::wstring> expected = {L"root C:\\", L"aki C"};
  const wchar_t* pauses[] = {L"sleep 10", L"sleep 56", L"sleep 56"};
  for (const wchar_t* pause : pauses) {
    expected.push_back(L"log 0 found C 150.000000 100.000000 1");
    expected.push_back(L"rnd");
    expected.push_back(pause);
    expected.push_back(L"randomize");
  }
  expected.push_back(L"log 0 found C 150.000000 100.000000 1");
  EXPECT_EQ(run.calls, expected);

  FakeRun held;
  held.logResults = std::deque<bool>(20, false);
  AutoArgs again{L"C", L"", 100};
  EXPECT_EQ(RunAutoCheck(again, held), 0);
  EXPECT_EQ(held.Logs().size(), 11u);
  EXPECT_EQ(held.calls.back(), L"randomize");  // the 11th failure is paused for too
  EXPECT_TRUE(held.shown.empty());
}

TEST(AutoCheck, RetryPauseRoundsHalfToEvenWithinTenTo101) {
  struct Row {
    double r;
    uint32_t ms;
  } rows[] = {{0, 10}, {0.5 / 91, 10}, {2.5 / 91, 12}, {0.25, 33}, {0.5, 56}, {46.5 / 91, 56}, {0.999999, 101}};
  for (const Row& row : rows) EXPECT_EQ(RetryPause(row.r), row.ms) << row.r;
}

TEST(AutoCheck, TheGeneratorIsReproducibleAndReseedable) {
  RandomGenerator a, b;
  std::vector<uint32_t> first, second;
  for (int i = 0; i < 11; ++i) {
    double r = a.Next();
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
    first.push_back(RetryPause(r));
    second.push_back(RetryPause(b.Next()));
  }
  EXPECT_EQ(first, second);  // the same start in every process
  a.Seed(12345);
  b.Seed(12346);
  EXPECT_NE(a.Next(), b.Next());
}

}  // namespace
}  // namespace velmora
