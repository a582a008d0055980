// The check log's file names, record lines and the rewrite of an old file, compared
// byte for byte in code page 932.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Codepage.h"
#include "base/Texts.h"
#include "store/MCheckLog.h"

namespace velmora {
namespace {

using enum CheckKind;
using enum CheckResult;

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
  EXPECT_EQ(LogFileName(kDrive, L"C", L".csv"), L"Cドライブのログ.csv");
  EXPECT_EQ(LogFileName(kDirectory, L"Data", L".txt"), L"Data.txt");
  EXPECT_EQ(LogFileName(static_cast<CheckKind>(7), L"Data", L".csv"), L"Data.csv");  // any kind but the drive's
  EXPECT_EQ(Bytes(LogFileName(kDrive, L"C", L"")), "C\x83\x68\x83\x89\x83\x43\x83\x75\x82\xcc\x83\x8d\x83\x4f");
  // Path and wildcard characters; device names, also with an extension and in any case
  // (they open a device wherever the file is asked for); names the system would cut
  // short at a trailing dot or space.
  for (const wchar_t* bad : {L"",        L"a\\b",  L"..\\x",    L"a/b",       L"C:",         L"a*",          L"a?",
                             L"a\"",     L"<",     L">",        L"|",         L"a\tb",       L"CON",         L"con",
                             L"PRN",     L"AUX",   L"NUL",      L"nul.txt",   L"Nul.tar.gz", L"NUL .csv",    L"COM1",
                             L"com9",    L"LPT1",  L"lPt5.log", L"COM\u00b9", L"LPT\u00b2",  L"com\u00b3.x", L"CONIN$",
                             L"conout$", L"Data.", L"Data ",    L"..",        L".",          L"a. ",         L"NUL "})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  for (const wchar_t* good :
       {L"C", L"Data", L".hidden", L"日本語 フォルダ", L"a.b.c", L"COM", L"COM0", L"COM10", L"LPT", L"LPT0", L"CONSOLE",
        L"NULL", L"AUX1", L"xNUL", L"PRN_", L"COM\u2074", L"COM\uff11", L" CON", L"Data.x"})
    EXPECT_TRUE(IsPlainFileName(good)) << good;
}

TEST(CheckLog, RecordLines) {
  struct Row {
    CheckRecord record;
    const wchar_t* line;  // nullptr: refused
  } rows[] = {
      {{kDrive, true, L"C", 123.45f, 100, kPassed}, L"2002/05/14(火),09:05,C,0123.45,0100.00,OK"},
      {{kDrive, true, L"C", 85.27f, 100, kWarned}, L"2002/05/14(火),09:05,C,0085.27,0100.00,NG"},
      {{kDrive, true, L"C", -1, 100, kWarned}, L"2002/05/14(火),09:05,C,-0001.00,0100.00,NG"},
      {{kDirectory, true, L"Data", 12345.678f, 12.5f, kPassed}, L"2002/05/14(火),09:05,Data,12345.68,0012.50,OK"},
      {{kDrive, false, L"Q", 0, 100, kWarned}, L"2002/05/14(火),09:05,Q,チェック対象無し"},
      {{kDrive, false, L"Q", 5, 100, static_cast<CheckResult>(9)}, L"2002/05/14(火),09:05,Q,チェック対象無し"},
      {{kDrive, true, L"C", 1, 100, static_cast<CheckResult>(2)}, nullptr},
      {{kDrive, true, L"C", 1, 100, static_cast<CheckResult>(-1)}, nullptr},
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
    CheckKind kind;
    std::string old;
    std::string expected;
  } rows[] = {
      {"no file", kDrive, "", DriveHeader() + "NEW\r\n"},
      {"header only", kDrive, DriveHeader(), DriveHeader() + "NEW\r\n"},
      {"directory header", kDirectory, "", DirHeader() + "NEW\r\n"},
      {"header and 100 records", kDrive, DriveHeader() + Records(1, 100), DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"149 records", kDrive, DriveHeader() + Records(1, 149), DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"first line no header", kDirectory, "garbage\r\n" + Records(1, 3), DirHeader() + "NEW\r\n" + Records(1, 3)},
      {"drive header in a directory log", kDirectory, DriveHeader() + "x\r\n", DirHeader() + "NEW\r\nx\r\n"},
      {"lone LF and CR end lines", kDrive, "h\nr1\rr2\n\nr4", DriveHeader() + "NEW\r\nr1\r\nr2\r\n\r\nr4\r\n"},
      {"bytes copied unchanged", kDrive,
       std::string("h\r\n\x89\xce\xff"
                   "\0"
                   "z\r\n",
                   10),
       DriveHeader() + "NEW\r\n\x89\xce\xff" + std::string(1, '\0') + "z\r\n"},
      // The zeros an interrupted rewrite leaves after growing the file are no record.
      {"zeros after the last line", kDrive, DriveHeader() + "r1\r\n" + std::string(7, '\0'),
       DriveHeader() + "NEW\r\nr1\r\n"},
      {"zeros after a last line without end", kDrive, "h\r\nr1" + std::string(3, '\0'),
       DriveHeader() + "NEW\r\nr1\r\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(NewLogContent(row.kind, rec, row.old), row.expected) << row.name;
  EXPECT_EQ(DriveHeader().substr(0, 4), "\x94\x4e\x81\x5e");  // 年／
}

// A held file in memory that can be told to fail, recording its calls. A failing write
// may put part of its bytes down first, as a write that breaks off does.
class FakeLogFile : public HeldLogFile {
 public:
  std::string content;
  bool hidden = false;
  bool failGrow = false, failShrink = false, failRead = false;
  std::vector<size_t> failingWrites;  // the next write calls fail, each after putting down so many bytes
  std::vector<std::string> calls;

  bool CountsAsAbsent() override { return hidden; }
  bool Read(std::string& bytes, size_t lines, uint64_t minBytes) override {
    calls.push_back("read " + std::to_string(lines));
    EXPECT_TRUE(lines == 100u || lines == 0) << lines;  // the header and 99 old records, or none
    bytes = content;
    EXPECT_GE(bytes.size(), std::min<uint64_t>(minBytes, content.size()));
    return !failRead;
  }
  uint64_t Size() override { return content.size(); }
  bool SetSize(uint64_t size) override {
    calls.push_back("size " + std::to_string(size));
    if (size > content.size() && failGrow) return false;
    if (size < content.size() && failShrink) return false;
    content.resize(size, '\0');
    return true;
  }
  bool WriteFromStart(std::string_view bytes) override {
    calls.push_back("write");
    if (!failingWrites.empty()) {
      bytes = bytes.substr(0, std::min(bytes.size(), failingWrites.front()));
      failingWrites.erase(failingWrites.begin());
      content.replace(0, std::min(bytes.size(), content.size()), bytes);
      return false;
    }
    content.replace(0, std::min(bytes.size(), content.size()), bytes);
    return true;
  }
};

TEST(CheckLog, RewriteGrowsFirstSoAFullDiskLeavesTheOldContent) {
  FakeLogFile file;
  file.content = "h\r\nold\r\n";
  file.failGrow = true;
  LogUndo undo;
  EXPECT_EQ(RewriteLog(file, kDrive, "NEW", undo), RewriteResult::kUnchanged);
  EXPECT_EQ(file.content, "h\r\nold\r\n");
  EXPECT_EQ(file.calls, (std::vector<std::string>{"read 100", "size " + std::to_string(DriveHeader().size() + 10)}));
}

// Every failure once the first byte is written puts the old bytes back while the file is
// still held: the log is never left half old and half new, and the retry that follows
// adds the record once.
TEST(CheckLog, RewriteCases) {
  std::string bigOld = "h\r\n" + Records(1, 150);
  std::string longFirstLine = std::string(200, 'g') + "\r\nr1\r\n";
  struct Row {
    const char* name;
    std::string old;
    bool hidden, failRead, failShrink;
    std::vector<size_t> failingWrites;
    RewriteResult result;
    std::string expected;  // after the call, and after a retry without faults:
    std::string retried;
  } rows[] = {
      {"shrinks",
       bigOld,
       false,
       false,
       false,
       {},
       RewriteResult::kWritten,
       DriveHeader() + "NEW\r\n" + Records(1, 99),
       ""},
      {"grows", "h\r\n", false, false, false, {}, RewriteResult::kWritten, DriveHeader() + "NEW\r\n", ""},
      {"hidden counts as absent",
       "h\r\nold\r\n",
       true,
       false,
       false,
       {},
       RewriteResult::kWritten,
       DriveHeader() + "NEW\r\n",
       ""},
      {"read fails",
       "h\r\nold\r\n",
       false,
       true,
       false,
       {},
       RewriteResult::kUnchanged,
       "h\r\nold\r\n",
       DriveHeader() + "NEW\r\nold\r\n"},
      {"write breaks off after the file grew",
       "h\r\nold\r\n",
       false,
       false,
       false,
       {5},
       RewriteResult::kUnchanged,
       "h\r\nold\r\n",
       DriveHeader() + "NEW\r\nold\r\n"},
      {"write breaks off past the record",
       "h\r\nold\r\n",
       false,
       false,
       false,
       {DriveHeader().size() + 7},
       RewriteResult::kUnchanged,
       "h\r\nold\r\n",
       DriveHeader() + "NEW\r\nold\r\n"},
      {"write fails at once",
       bigOld,
       false,
       false,
       false,
       {0},
       RewriteResult::kUnchanged,
       bigOld,
       DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"write breaks off in a file that shrinks",
       bigOld,
       false,
       false,
       false,
       {300},
       RewriteResult::kUnchanged,
       bigOld,
       DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"truncation fails after a complete write",
       bigOld,
       false,
       false,
       true,
       {},
       RewriteResult::kUnchanged,
       bigOld,
       DriveHeader() + "NEW\r\n" + Records(1, 99)},
      {"truncation fails under a long first line",
       longFirstLine,
       false,
       false,
       true,
       {},
       RewriteResult::kUnchanged,
       longFirstLine,
       DriveHeader() + "NEW\r\nr1\r\n"},
      {"hidden file's bytes come back",
       "h\r\nold\r\n",
       true,
       false,
       false,
       {4},
       RewriteResult::kUnchanged,
       "h\r\nold\r\n",
       DriveHeader() + "NEW\r\n"},
  };
  for (const Row& row : rows) {
    FakeLogFile file;
    file.content = row.old;
    file.hidden = row.hidden;
    file.failRead = row.failRead;
    file.failShrink = row.failShrink;
    file.failingWrites = row.failingWrites;
    LogUndo undo;
    EXPECT_EQ(RewriteLog(file, kDrive, "NEW", undo), row.result) << row.name;
    EXPECT_EQ(file.content, row.expected) << row.name;
    if (row.hidden) {
      for (const std::string& call : file.calls) EXPECT_NE(call, "read 100") << row.name << ": read as a log";
    }
    if (row.retried.empty()) continue;
    file.failRead = file.failShrink = false;
    EXPECT_EQ(RewriteLog(file, kDrive, "NEW", undo), RewriteResult::kWritten) << row.name;
    EXPECT_EQ(file.content, row.retried) << row.name;
  }
}

// When even the old bytes cannot be put back, the call says so and keeps what restores
// them; the next attempt, still holding the file, restores first and adds the record once.
TEST(CheckLog, ADamagedRewriteIsRestoredBeforeTheRetry) {
  struct Row {
    const char* name;
    std::string old;
    size_t writeFailsAfter;  // of the write that breaks off; the restore after it fails at once
  } rows[] = {
      {"grown", "h\r\nold\r\n", 30},
      {"shrinking", "h\r\n" + Records(1, 150), 60},
      {"long first line", std::string(200, 'g') + "\r\nr1\r\n", 100},
  };
  for (const Row& row : rows) {
    FakeLogFile file;
    file.content = row.old;
    file.failingWrites = {row.writeFailsAfter, 0};
    LogUndo undo;
    ASSERT_EQ(RewriteLog(file, kDrive, "NEW", undo), RewriteResult::kDamaged) << row.name;
    EXPECT_NE(file.content, row.old) << row.name;
    file.failingWrites = {0};
    EXPECT_FALSE(RestoreLog(file, undo)) << row.name;
    EXPECT_TRUE(RestoreLog(file, undo)) << row.name;
    EXPECT_EQ(file.content, row.old) << row.name;
    EXPECT_EQ(RewriteLog(file, kDrive, "NEW", undo), RewriteResult::kWritten) << row.name;
    EXPECT_EQ(file.content, NewLogContent(kDrive, "NEW", row.old)) << row.name;
  }
}

}  // namespace
}  // namespace velmora
