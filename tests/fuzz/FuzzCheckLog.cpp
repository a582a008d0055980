// The log rewrite, from any old file: the new file is the header, the new record and
// the old file's lines 1 to 99 byte for byte, each ended by CR LF; reading only the
// first 100 lines gives the same file; and a disk that cannot hold the new file, a write
// that breaks off anywhere and a cut that fails all leave the old one exactly as it was.
//
// Input: byte 0 picks the check kind, hidden file and the disk's room; byte 1 the fault
// (0 none, 1 the cut fails, else the first write breaks off after that many bytes less
// 2, times 3); the rest is the old file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/Codepage.h"
#include "base/Texts.h"
#include "store/MCheckLog.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A held log in memory on a disk of limited room: growing past it fails, as it does on
// a full disk; reads give as few bytes as the reader's contract allows.
class MemoryLogFile : public velmora::HeldLogFile {
 public:
  std::string content;
  uint64_t room = 0;  // the largest size the disk can hold
  bool hidden = false;
  bool wrote = false;
  bool failShrink = false;
  long breakAfter = -1;  // the first write breaks off after so many bytes

  bool CountsAsAbsent() override { return hidden; }
  bool Read(std::string& bytes, size_t lines, uint64_t minBytes) override {
    size_t end = WholeLinesEnd(content, lines);
    bytes = content.substr(0, end > minBytes ? end : static_cast<size_t>(minBytes));
    return true;
  }
  uint64_t Size() override { return content.size(); }
  bool SetSize(uint64_t size) override {
    if (size > room && size > content.size()) return false;
    if (failShrink && size < content.size()) return false;
    content.resize(size, '\0');
    return true;
  }
  bool WriteFromStart(std::string_view bytes) override {
    Check(bytes.size() <= content.size());  // grown first: the write needs no new room
    wrote = true;
    if (breakAfter >= 0) {
      content.replace(0, std::min(bytes.size(), static_cast<size_t>(breakAfter)), bytes.substr(0, breakAfter));
      breakAfter = -1;
      return false;
    }
    content.replace(0, bytes.size(), bytes);
    return true;
  }

  // The end of the first `lines` lines, their line ends included (CR LF, CR or LF).
  static size_t WholeLinesEnd(std::string_view bytes, size_t lines) {
    size_t pos = 0;
    for (size_t line = 0; line < lines && pos < bytes.size(); ++line) {
      size_t end = bytes.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) return bytes.size();
      pos = end + 1;
      if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return pos;
  }
};

// The old file's lines as a reader of text lines sees them, written independently of
// the code under test: at most 100, without their line ends.
std::vector<std::string> OldLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < bytes.size() && lines.size() < velmora::kLogLinesRead; ++i) {
    char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open && lines.size() < velmora::kLogLinesRead) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t control = data[0];
  const uint8_t fault = data[1];
  const std::string old(reinterpret_cast<const char*>(data + 2), size - 2);
  const velmora::CheckKind kind = control & 1 ? velmora::CheckKind::kDirectory : velmora::CheckKind::kDrive;
  const bool hidden = (control & 2) != 0;
  const std::string record = "2024/03/05(\x89\xce),07:09,C,0150.00,0100.00,OK";

  std::string expected =
      velmora::ToCp932(kind == velmora::CheckKind::kDrive ? velmora::texts::kHeaderDrive : velmora::texts::kHeaderDir);
  expected += "\r\n" + record + "\r\n";
  if (!hidden) {
    // Zero bytes at the very end are what a rewrite cut short after growing leaves.
    std::string_view text = old;
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    std::vector<std::string> lines = OldLines(text);
    for (size_t i = 1; i < lines.size(); ++i) expected += lines[i] + "\r\n";
  }
  if (!hidden) Check(velmora::NewLogContent(kind, record, old) == expected);

  // Room on the disk: from none beyond the old file to plenty, chosen by the input.
  MemoryLogFile file;
  file.content = old;
  file.hidden = hidden;
  uint64_t needed = expected.size();
  file.room = (control >> 2) == 63 ? needed : (control >> 2) * needed / 48;
  file.failShrink = fault == 1;
  if (fault >= 2) file.breakAfter = (fault - 2) * 3;
  velmora::LogUndo undo;
  bool ok = velmora::RewriteLog(file, kind, record, undo) == velmora::RewriteResult::kWritten;
  if (ok) {
    Check(file.content == expected);
  } else {
    bool faulted = (fault == 1 && expected.size() < old.size()) || fault >= 2;
    Check(faulted || (needed > file.room && needed > old.size() && !file.wrote));
    Check(file.content == old);
  }
  return 0;
}
