// The check log: one small file per check target in the program folder, a header line
// and the newest record first, at most 100 records, code page 932 text with CR LF.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/CheckKind.h"
#include "base/FileName.h"  // IsPlainFileName: the test a log's file name passes

namespace velmora {

// Lines of an old log file that are read; line 0 is the old header and never copied.
inline constexpr size_t kLogLinesRead = 100;

// The outcome of one automatic check.
struct CheckRecord {
  CheckKind kind = CheckKind::kDrive;
  bool found = false;
  std::wstring target;  // drive letter or the directory's own name
  float size = 0;       // MB, measured
  float limit = 0;      // MB, threshold
  CheckResult result = CheckResult::kWarned;
};

// Local date and time of a record.
struct LogTime {
  int year = 0, month = 0, day = 0;
  int weekday = 0;  // 0 Sunday .. 6 Saturday
  int hour = 0, minute = 0;
};

// The file extension the log options ask for: ".csv" when the CSV option is 1
// (also when both are), else ".txt" when the TXT option is 1, else nothing.
std::optional<std::wstring> LogExtension(int csvOption, int txtOption);

// "Cドライブのログ.csv" for a drive check, "Data.csv" for a directory check.
std::wstring LogFileName(CheckKind kind, const std::wstring& target, const std::wstring& extension);

// "yyyy/mm/dd(aaa),hh:nn," with the weekday as one kanji: 2002/05/14(火),09:05,
std::wstring LogTimeStamp(const LogTime& time);

// The record's line without its line end; nothing for a found target whose result is
// neither CheckResult value.
std::optional<std::wstring> LogRecordText(const CheckRecord& record, const LogTime& time);

// The first `maxLines` lines of a file's bytes, each without its line end. A line ends
// with CR LF, a lone CR or a lone LF; a last line without a line end counts too.
std::vector<std::string_view> ReadLogLines(std::string_view bytes, size_t maxLines);

// The new file: the header for `kind`, the new record (code page 932 bytes, without
// line end), then lines 1 to n-1 of the first 100 lines of the old file, unchanged;
// each line ended by CR LF. Zero bytes at the very end of the old bytes are not read as
// a line: they are what a rewrite cut short after growing the file leaves behind.
std::string NewLogContent(CheckKind kind, std::string_view recordLine, std::string_view oldBytes);

// A log file opened with exclusive access, held as long as the object lives.
class HeldLogFile {
 public:
  virtual ~HeldLogFile() = default;
  // Hidden and system files count as absent: their content is not read as a log.
  virtual bool CountsAsAbsent() = 0;
  // Reads from the start, at least enough bytes for `lines` whole lines and at least
  // `minBytes` bytes (or to the end).
  virtual bool Read(std::string& bytes, size_t lines, uint64_t minBytes) = 0;
  virtual uint64_t Size() = 0;
  virtual bool SetSize(uint64_t size) = 0;
  virtual bool WriteFromStart(std::string_view bytes) = 0;
};

// What puts a log back as it was before a rewrite: its old bytes as far as the rewrite
// wrote over them, and its old length.
struct LogUndo {
  std::string bytes;
  uint64_t size = 0;
};

enum class RewriteResult {
  kWritten,    // the file holds the new content, and nothing else
  kUnchanged,  // the rewrite failed; the file holds its old content
  kDamaged,    // the rewrite failed and the old bytes could not be put back either;
               // `undo` holds them, for RestoreLog before anything else is done
};

// Rewrites a held log with the new record on top. The complete new content is made
// before anything is written; the file is grown to the new size before any old byte is
// overwritten (a full disk fails there), written from its start, then cut to the new
// size. Only all three together are success: when the write breaks off or the cut
// fails, the old bytes are written back and the old length restored, so that the file
// is never left part old and part new and a retry adds the record only once.
RewriteResult RewriteLog(HeldLogFile& file, CheckKind kind, std::string_view recordLine, LogUndo& undo);

// Puts back the content `undo` describes. True when done.
bool RestoreLog(HeldLogFile& file, const LogUndo& undo);

// Writes one record into the log of its target in `folder` (Windows only): opens the
// file exclusively (creating it), reads and rewrites it under that one open. False
// when the file is in use, read-only or cannot be written, or the record is invalid
// (an empty target, or one whose file name with `extension` is no plain file name);
// a file this call created is removed again when the write fails. A log left damaged
// (RewriteResult::kDamaged) stays held by the process, so that no other run reads it,
// and the next call for it restores it before it adds the record.
bool WriteCheckLog(const std::wstring& folder, const std::wstring& extension, const CheckRecord& record,
                   const LogTime& time);

// The local date and time now (Windows only).
LogTime LocalLogTime();

}  // namespace velmora
