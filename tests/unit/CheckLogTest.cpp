// The check log's file names, record lines and the rewrite of an old file, compared
// byte for byte in code page 932.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Codepage.h"
#include "base/Texts.h"
#include "store/MCheckLog.h"

namespace velmora {
namespace {

const LogTime kTuesday{2002, 5, 14, 2, 9, 5};

std::string Bytes(const std::wstring& text) {
  return ToCp932(text);
}
std::string DriveHeader() {
  return Bytes(texts::kHeaderDrive) + "\r\n";
}
std::string DirHeader() {
  return Bytes(texts::kHeaderDir) + "\r\n";
}

// "r1\r\n" .. "rN\r\n"
std::string Records(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s.append("r").append(std::to_string(i)).append("\r\n");
  return s;
}

TEST(CheckLog, ExtensionFollowsTheOptionsCsvWinning) {
  struct Row {
    int csv, txt;
    const wchar_t* ext;
  } rows[] = {{0, 0, nullptr}, {1, 0, L".csv"}, {0, 1, L".txt"}, {1, 1, L".csv"},
              {2, 0, nullptr}, {2, 1, L".txt"}, {1, 2, L".csv"}, {2, 2, nullptr}};
  for (const Row& row : rows) {
    auto ext = LogExtension(row.csv, row.txt);
    EXPECT_EQ(ext.value_or(L"none"), row.ext ? row.ext : L"none") << row.csv << row.txt;
  }
}

TEST(CheckLog, FileNamesAndTheirBytes) {
  EXPECT_EQ(LogFileName(0, L"C", L".csv"), L"Cドライブのログ.csv");
  EXPECT_EQ(LogFileName(1, L"Data", L".txt"), L"Data.txt");
  EXPECT_EQ(LogFileName(7, L"Data", L".csv"), L"Data.csv");  // any kind but 0 is a directory
  EXPECT_EQ(Bytes(LogFileName(0, L"C", L"")), "C\x83\x68\x83\x89\x83\x43\x83\x75\x82\xcc\x83\x8d\x83\x4f");
  for (const wchar_t* bad : {L"", L"a\\b", L"..\\x", L"a/b", L"C:", L"a*", L"a?", L"a\"", L"<", L">", L"|", L"a\tb"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  for (const wchar_t* good : {L"C", L"Data", L".hidden", L"日本語 フォルダ", L"a.b.c"})
    EXPECT_TRUE(IsPlainFileName(good));
}

TEST(CheckLog, RecordLines) {
  struct Row {
    CheckRecord record;
    const wchar_t* line;  // nullptr: refused
  } rows[] = {
      {{0, true, L"C", 123.45f, 100, 1}, L"2002/05/14(火),09:05,C,0123.45,0100.00,OK"},
      {{0, true, L"C", 85.27f, 100, 0}, L"2002/05/14(火),09:05,C,0085.27,0100.00,NG"},
      {{0, true, L"C", -1, 100, 0}, L"2002/05/14(火),09:05,C,-0001.00,0100.00,NG"},
      {{1, true, L"Data", 12345.678f, 12.5f, 1}, L"2002/05/14(火),09:05,Data,12345.68,0012.50,OK"},
      {{0, false, L"Q", 0, 100, 0}, L"2002/05/14(火),09:05,Q,チェック対象無し"},
      {{0, false, L"Q", 5, 100, 9}, L"2002/05/14(火),09:05,Q,チェック対象無し"},
      {{0, true, L"C", 1, 100, 2}, nullptr},
      {{0, true, L"C", 1, 100, -1}, nullptr},
  };
  for (const Row& row : rows) {
    auto line = LogRecordText(row.record, kTuesday);
    EXPECT_EQ(line.value_or(L"refused"), row.line ? row.line : L"refused");
  }
  EXPECT_EQ(Bytes(L"火"), "\x89\xce");
}

TEST(CheckLog, TimeStampsCarryTheWeekdayKanji) {
  const wchar_t* days[] = {L"日", L"月", L"火", L"水", L"木", L"金", L"土"};
  for (int d = 0; d < 7; ++d)
    EXPECT_EQ(LogTimeStamp({2024, 1, 7 + d, d, 23, 59}),
              L"2024/01/" + std::to_wstring(7 + d).insert(0, 7 + d < 10 ? L"0" : L"") + L"(" + days[d] + L"),23:59,");
  EXPECT_EQ(LogTimeStamp({987, 12, 1, 6, 0, 0}), L"0987/12/01(土),00:00,");
}

TEST(CheckLog, NewContentKeepsAtMost99OldRecordsAndNeverLineZero) {
  const std::string rec = "NEW";
  struct Row {
    const char* name;
    int16_t kind;
    std::string old;
    std::string expected;
  } rows[] = {
      {"no file", 0, "", DriveHeader() + "NEW\r\n"},
      {"header only", 0, DriveHeader(), DriveHeader() + "NEW\r\n"},
      {"directory header", 1, "", DirHeader() + "NEW\r\n"},
      {"header and 100 records", 0, DriveHeader() + Records(1, 100), DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"149 records", 0, DriveHeader() + Records(1, 149), DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"first line no header", 1, "garbage\r\n" + Records(1, 3), DirHeader() + "NEW\r\n" + Records(1, 3)},
      {"drive header in a directory log", 1, DriveHeader() + "x\r\n", DirHeader() + "NEW\r\nx\r\n"},
      {"lone LF and CR end lines", 0, "h\nr1\rr2\n\nr4", DriveHeader() + "NEW\r\nr1\r\nr2\r\n\r\nr4\r\n"},
      {"bytes copied unchanged", 0,
       std::string("h\r\n\x89\xce\xff"
                   "\0"
                   "z\r\n",
                   10),
       DriveHeader() + "NEW\r\n\x89\xce\xff" + std::string(1, '\0') + "z\r\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(NewLogContent(row.kind, rec, row.old), row.expected) << row.name;
  EXPECT_EQ(DriveHeader().substr(0, 4), "\x94\x4e\x81\x5e");  // 年／
}

// A held file in memory that can be told to fail, recording its calls.
class FakeLogFile : public HeldLogFile {
 public:
  std::string content;
  bool hidden = false;
  bool failGrow = false, failWrite = false, failRead = false;
  std::vector<std::string> calls;

  bool CountsAsAbsent() override { return hidden; }
  bool Read(std::string& bytes, size_t lines) override {
    calls.push_back("read");
    EXPECT_EQ(lines, 100u) << "the header and 99 old records";
    bytes = content;
    return !failRead;
  }
  uint64_t Size() override { return content.size(); }
  bool SetSize(uint64_t size) override {
    calls.push_back("size " + std::to_string(size));
    if (size > content.size() && failGrow) return false;
    content.resize(size, '\0');
    return true;
  }
  bool WriteFromStart(std::string_view bytes) override {
    calls.push_back("write");
    if (failWrite) return false;
    content.replace(0, bytes.size(), bytes);
    return true;
  }
};

TEST(CheckLog, RewriteGrowsFirstSoAFullDiskLeavesTheOldContent) {
  FakeLogFile file;
  file.content = "h\r\nold\r\n";
  file.failGrow = true;
  EXPECT_FALSE(RewriteLog(file, 0, "NEW"));
  EXPECT_EQ(file.content, "h\r\nold\r\n");
  EXPECT_EQ(file.calls, (std::vector<std::string>{"read", "size " + std::to_string(DriveHeader().size() + 10)}));
}

TEST(CheckLog, RewriteCases) {
  std::string bigOld = "h\r\n" + Records(1, 150);
  struct Row {
    const char* name;
    std::string old;
    bool hidden, failRead, failWrite;
    bool ok;
    std::string expected;
  } rows[] = {
      {"shrinks", bigOld, false, false, false, true, DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"grows", "h\r\n", false, false, false, true, DriveHeader() + "NEW\r\n"},
      {"hidden counts as absent", "h\r\nold\r\n", true, false, false, true, DriveHeader() + "NEW\r\n"},
      {"read fails", "h\r\nold\r\n", false, true, false, false, "h\r\nold\r\n"},
  };
  for (const Row& row : rows) {
    FakeLogFile file;
    file.content = row.old;
    file.hidden = row.hidden;
    file.failRead = row.failRead;
    file.failWrite = row.failWrite;
    EXPECT_EQ(RewriteLog(file, 0, "NEW"), row.ok) << row.name;
    EXPECT_EQ(file.content, row.expected) << row.name;
    if (row.hidden) {
      EXPECT_EQ(file.calls.front(), "size " + std::to_string(row.expected.size())) << "not read";
    }
  }
}

}  // namespace
}  // namespace velmora
