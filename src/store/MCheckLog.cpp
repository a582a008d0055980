#include "store/MCheckLog.h"

#include <algorithm>
#include <cstdio>

#include "base/Codepage.h"
#include "base/Number.h"
#include "base/Text.h"
#include "base/Texts.h"

namespace velmora {

std::optional<std::wstring> LogExtension(int csvOption, int txtOption) {
  if (csvOption == 1) return std::wstring(texts::kExtCsv);
  if (txtOption == 1) return std::wstring(texts::kExtTxt);
  return std::nullopt;
}

std::wstring LogFileName(CheckKind kind, const std::wstring& target, const std::wstring& extension) {
  return target + (kind == CheckKind::kDrive ? texts::kDriveLogSuffix : L"") + extension;
}

std::wstring LogTimeStamp(const LogTime& time) {
  wchar_t year[16];
  std::swprintf(year, 16, L"%04d", time.year);
  std::wstring weekday(1, texts::kWeekdays[(time.weekday % 7 + 7) % 7]);
  return year + (L"/" + FormatTwoDigits(time.month)) + L"/" + FormatTwoDigits(time.day) + L"(" + weekday + L")," +
         FormatTwoDigits(time.hour) + L":" + FormatTwoDigits(time.minute) + L",";
}

std::optional<std::wstring> LogRecordText(const CheckRecord& record, const LogTime& time) {
  std::wstring line = LogTimeStamp(time) + record.target + L",";
  if (!record.found) return line + texts::kNoTarget;
  if (record.result != CheckResult::kWarned && record.result != CheckResult::kPassed) return std::nullopt;
  return line + FormatLogNumber(record.size) + L"," + FormatLogNumber(record.limit) + L"," +
         (record.result == CheckResult::kPassed ? texts::kJudgeOk : texts::kJudgeNg);
}

std::vector<std::string_view> ReadLogLines(std::string_view bytes, size_t maxLines) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size() && lines.size() < maxLines) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::string NewLogContent(CheckKind kind, std::string_view recordLine, std::string_view oldBytes) {
  while (!oldBytes.empty() && oldBytes.back() == '\0') oldBytes.remove_suffix(1);
  std::vector<std::string_view> old = ReadLogLines(oldBytes, kLogLinesRead);
  std::string content = ToCp932(kind == CheckKind::kDrive ? texts::kHeaderDrive : texts::kHeaderDir);
  content += "\r\n";
  content += recordLine;
  content += "\r\n";
  for (size_t i = 1; i < old.size(); ++i) {
    content += old[i];
    content += "\r\n";
  }
  return content;
}

bool RestoreLog(HeldLogFile& file, const LogUndo& undo) {
  try {
    if (!undo.bytes.empty() && !file.WriteFromStart(undo.bytes)) return false;
    return file.Size() == undo.size || file.SetSize(undo.size);
  } catch (...) {
    return false;
  }
}

RewriteResult RewriteLog(HeldLogFile& file, CheckKind kind, std::string_view recordLine, LogUndo& undo) {
  try {
    std::string old;
    bool absent = file.CountsAsAbsent();
    if (!absent && !file.Read(old, kLogLinesRead, 0)) return RewriteResult::kUnchanged;
    std::string content = NewLogContent(kind, recordLine, old);

    // The old bytes the new content will cover, kept to put them back.
    undo.size = file.Size();
    uint64_t covered = std::min<uint64_t>(undo.size, content.size());
    if (absent || old.size() < covered) {
      if (!file.Read(old, 0, covered)) return RewriteResult::kUnchanged;
      if (old.size() < covered) return RewriteResult::kUnchanged;
    }
    undo.bytes.assign(old, 0, static_cast<size_t>(covered));

    if (content.size() > undo.size && !file.SetSize(content.size())) return RewriteResult::kUnchanged;
    if (file.WriteFromStart(content) && (content.size() == undo.size || file.SetSize(content.size())))
      return RewriteResult::kWritten;
    return RestoreLog(file, undo) ? RewriteResult::kUnchanged : RewriteResult::kDamaged;
  } catch (...) {
    return RewriteResult::kUnchanged;
  }
}

}  // namespace velmora
