// The check log on real files: the exclusive open held across read and rewrite, files
// that cannot be written, hidden files, and threads racing for one log.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "base/Codepage.h"
#include "base/Handle.h"
#include "base/Texts.h"
#include "store/MCheckLog.h"

namespace velmora {
namespace {

using enum CheckKind;
using enum CheckResult;

const LogTime kTime{2024, 3, 5, 2, 7, 9};

class CheckLogFiles : public ::testing::Test {
 protected:
  std::wstring Path(const std::wstring& name) const { return tempDir_.File(name); }
  void Put(const std::wstring& name, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
    SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(testing::WriteBytes(Path(name), bytes)) << GetLastError();
    if (attributes == FILE_ATTRIBUTE_NORMAL) return;
    ASSERT_TRUE(SetFileAttributesW(Path(name).c_str(), attributes));
    ASSERT_EQ(GetFileAttributesW(Path(name).c_str()) & attributes, attributes);
  }
  std::optional<std::string> Get(const std::wstring& name) const { return testing::ReadBytes(Path(name)); }
  std::string Header(int16_t kind) const {
    return ToCp932(kind == 0 ? texts::kHeaderDrive : texts::kHeaderDir) + "\r\n";
  }

  testing::TempDir tempDir_{L"velmora-log"};
  const std::wstring& dir_ = tempDir_.Path();
};

const std::wstring kDriveLog = L"Cドライブのログ.csv";

TEST_F(CheckLogFiles, CreatesAndRewritesNewestFirst) {
  ASSERT_TRUE(WriteCheckLog(dir_, L".csv", {kDrive, true, L"C", 150, 100, kPassed}, kTime));
  EXPECT_EQ(Get(kDriveLog), Header(0) + "2024/03/05(\x89\xce),07:09,C,0150.00,0100.00,OK\r\n");

  std::string old = "old header\r\n";
  for (int i = 1; i <= 149; ++i) old.append("r").append(std::to_string(i)).append("\r\n");
  Put(L"Data.txt", old);
  ASSERT_TRUE(WriteCheckLog(dir_, L".txt", {kDirectory, true, L"Data", 250, 250, kWarned}, kTime));
  std::string expected = Header(1) + "2024/03/05(\x89\xce),07:09,Data,0250.00,0250.00,NG\r\n";
  for (int i = 1; i <= 99; ++i) expected.append("r").append(std::to_string(i)).append("\r\n");
  EXPECT_EQ(Get(L"Data.txt"), expected);
}

TEST_F(CheckLogFiles, FailsWithoutTouchingAFileOthersHoldOrThatIsReadOnly) {
  Put(kDriveLog, "h\r\nkept\r\n");
  KernelHandle held(CreateFileW(Path(kDriveLog).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held) << GetLastError();
  EXPECT_FALSE(WriteCheckLog(dir_, L".csv", {kDrive, true, L"C", 1, 100, kWarned}, kTime));
  held.reset();
  EXPECT_EQ(Get(kDriveLog), "h\r\nkept\r\n");

  Put(L"Ro.csv", "h\r\nkept\r\n", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(WriteCheckLog(dir_, L".csv", {kDirectory, true, L"Ro", 1, 100, kWarned}, kTime));
  SetFileAttributesW(Path(L"Ro.csv").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Get(L"Ro.csv"), "h\r\nkept\r\n");

  CreateDirectoryW(Path(L"Dir.csv").c_str(), nullptr);
  EXPECT_FALSE(WriteCheckLog(dir_, L".csv", {kDirectory, true, L"Dir", 1, 100, kWarned}, kTime));
}

TEST_F(CheckLogFiles, RefusedRecordsCreateNothing) {
  EXPECT_FALSE(WriteCheckLog(dir_, L".csv", {kDrive, true, L"C", 1, 100, static_cast<CheckResult>(2)}, kTime));
  EXPECT_FALSE(WriteCheckLog(dir_, L".csv", {kDirectory, true, L"..\\escape", 1, 100, kPassed}, kTime));
  EXPECT_FALSE(Get(kDriveLog));
  EXPECT_FALSE(Get(L"..\\escape.csv"));
  // Directories named like devices name no log: the record would go to the device (NUL
  // swallows it). A trailing dot or space counts at the end of the whole file name only:
  // "Data." logs into "Data..csv", which the system keeps as it is.
  struct Row {
    const wchar_t *target, *extension;
    const wchar_t* written;  // nullptr: refused
  } rows[] = {
      {L"NUL", L".csv", nullptr},        {L"com1", L".csv", nullptr}, {L"CON", L".csv", nullptr},
      {L"AUX", L".txt", nullptr},        {L"PRN", L".csv", nullptr},  {L"LPT1", L".csv", nullptr},
      {L"NUL ", L".csv", nullptr},       {L"Data.", L"", nullptr},    {L"Data.", L".csv", L"Data..csv"},
      {L"Data ", L".txt", L"Data .txt"},
  };
  for (const Row& row : rows) {
    CheckRecord record{kDirectory, true, row.target, 1, 100, kPassed};
    EXPECT_EQ(WriteCheckLog(dir_, row.extension, record, kTime), row.written != nullptr) << row.target;
    if (row.written) {
      EXPECT_EQ(Get(row.written),
                Header(1) + "2024/03/05(\x89\xce),07:09," + ToCp932(row.target) + ",0001.00,0100.00,OK\r\n")
          << row.target;
    }
  }
  EXPECT_EQ(testing::FolderEntries(dir_), (std::vector<std::wstring>{L"Data .txt", L"Data..csv"}));
}

TEST_F(CheckLogFiles, HiddenAndSystemFilesCountAsAbsent) {
  for (DWORD attributes : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    Put(L"Q.csv", "h\r\nold record\r\n", attributes);
    ASSERT_TRUE(WriteCheckLog(dir_, L".csv", {kDirectory, false, L"Q", 0, 100, kWarned}, kTime)) << attributes;
    EXPECT_EQ(Get(L"Q.csv"), Header(1) + "2024/03/05(\x89\xce),07:09,Q," + ToCp932(texts::kNoTarget) + "\r\n");
    SetFileAttributesW(Path(L"Q.csv").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(CheckLogFiles, RacingWritersLoseNoRecord) {
  constexpr int kThreads = 8, kEach = 5;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        CheckRecord record{kDrive, true, L"C", static_cast<float>(t * kEach + i + 1), 100, kPassed};
        int attempt = 0;
        while (!WriteCheckLog(dir_, L".csv", record, kTime)) {
          if (++attempt == 2000) {
            ++failures;
            break;
          }
          Sleep(1);
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, 0);
  std::string content = Get(kDriveLog).value_or("");
  std::set<int> sizes;
  size_t lines = 0;
  for (size_t start = 0; start < content.size();) {
    size_t end = content.find("\r\n", start);
    std::string line = content.substr(start, end - start);
    if (lines++ > 0) sizes.insert(std::stoi(line.substr(line.find(",C,") + 3)));
    start = end + 2;
  }
  EXPECT_EQ(lines, 1u + kThreads * kEach);
  EXPECT_EQ(sizes.size(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(*sizes.begin(), 1);
  EXPECT_EQ(*sizes.rbegin(), kThreads * kEach);
}

}  // namespace
}  // namespace velmora
