#include <windows.h>

#include "base/Codepage.h"
#include "base/Handle.h"
#include "base/PathForm.h"
#include "base/ProgramFolder.h"
#include "store/MCheckLog.h"

namespace velmora {
namespace {

// The log file behind one handle opened with share mode 0: no other opener can read or
// write it until the handle is closed, so the read and the rewrite are one step for
// every other process. The rewrite goes through this same handle, never through a
// second open or a replacement file, because closing the handle or renaming over the
// file would let another process in between.
class Win32LogFile : public HeldLogFile {
 public:
  explicit Win32LogFile(HANDLE file) : file_(file) {}

  bool CountsAsAbsent() override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file_, &info)) return false;
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  }

  bool Read(std::string& bytes, size_t lines, uint64_t minBytes) override {
    bytes.clear();
    if (!Seek(0)) return false;
    size_t lineEnds = 0;
    char buf[16384];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file_, buf, sizeof buf, &got, nullptr)) return false;
      if (got == 0) return true;
      bytes.append(buf, got);
      for (DWORD i = 0; i < got; ++i) lineEnds += (buf[i] == '\n' || buf[i] == '\r');
      // A CR LF counts twice here, so twice the lines plus one are surely whole.
      if ((lines == 0 || lineEnds > 2 * lines) && bytes.size() >= minBytes) return true;
    }
  }

  uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }

  bool SetSize(uint64_t size) override { return Seek(size) && SetEndOfFile(file_); }

  bool WriteFromStart(std::string_view bytes) override {
    if (!Seek(0)) return false;
    while (!bytes.empty()) {
      DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 20) ? (1u << 20) : bytes.size());
      DWORD written = 0;
      if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }

 private:
  bool Seek(uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != 0;
  }

  HANDLE file_;
};

// A log whose rewrite could not be undone, held until a later call restores it: while
// it is held no other run reads the mixed content, and the retry of this run restores
// the old bytes before it adds its record, so the record is never added twice.
struct DamagedLog {
  std::wstring path;
  KernelHandle file;
  LogUndo undo;
};
DamagedLog& Damaged() {
  static DamagedLog damaged;
  return damaged;
}

void Dispose(HANDLE file) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
}

}  // namespace

bool WriteCheckLog(const std::wstring& folder, const std::wstring& extension, const CheckRecord& record,
                   const LogTime& time) {
  try {
    // The whole file name must name one plain file: "Data." gives "Data..csv", but a
    // target with a path character or one that names a device ("NUL.csv") none.
    const std::wstring name = LogFileName(record.kind, record.target, extension);
    if (record.target.empty() || !IsPlainFileName(name)) return false;
    std::optional<std::wstring> line = LogRecordText(record, time);
    if (!line) return false;
    std::wstring path = SystemPathForm(InFolder(folder, name));
    std::string recordLine = ToCp932(*line);

    KernelHandle file;
    bool created = false;
    DamagedLog& damaged = Damaged();
    if (damaged.file && damaged.path == path) {
      Win32LogFile held(damaged.file.get());
      if (!RestoreLog(held, damaged.undo)) return false;
      file = std::move(damaged.file);
      damaged.path.clear();
    } else {
      file = KernelHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return false;
      created = GetLastError() != ERROR_ALREADY_EXISTS;
    }
    // A read-only file is never rewritten, also where the open itself does not refuse
    // it (Wine run by an administrator).
    BY_HANDLE_FILE_INFORMATION info;
    if (!created &&
        (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)))
      return false;
    Win32LogFile log(file.get());
    LogUndo undo;
    RewriteResult result = RewriteLog(log, record.kind, recordLine, undo);
    if (result == RewriteResult::kWritten) return true;
    if (created) {
      // Removed through the held handle, so no other process ever sees it half made.
      Dispose(file.get());
    } else if (result == RewriteResult::kDamaged) {
      damaged = DamagedLog{path, std::move(file), std::move(undo)};
    }
    return false;
  } catch (...) {
    return false;
  }
}

LogTime LocalLogTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LogTime{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute};
}

}  // namespace velmora
