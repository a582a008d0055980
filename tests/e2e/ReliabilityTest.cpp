// The program under faults and bad input, run whole as a start-up shortcut runs it:
// settings and logs that cannot be written (read-only files, a read-only program
// folder), a full drive, a walk over directories the program may not list, and
// settings files and logs made of random bytes, one line of 10 MB, a million lines or
// broken code page 932. Every run must end with its exit code, leave what it could not
// write exactly as it was, and stay within bounded time and memory (printed as
// figures; a run that does not end within its time fails).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Driver.h"
#include "TinyDrive.h"
#include "base/Codepage.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

const std::string kCsvOn = "[Log   ]1\r\n[LogTXT]0\r\n";
const std::wstring kDriveLog = L"Cドライブのログ.csv";
constexpr DWORD kRunTimeoutMs = 60000;
constexpr size_t kMemoryBound = 256u << 20;

std::string Header(int16_t kind) {
  return ToCp932(kind == 0 ? texts::kHeaderDrive : texts::kHeaderDir);
}

void Figures(const std::string& what, const RunOutcome& run) {
  std::printf("[ figures  ] %-44s %6lu ms, peak working set %5.1f MB\n", what.c_str(),
              static_cast<unsigned long>(run.milliseconds), run.peakBytes / 1048576.0);
  std::fflush(stdout);
}

RunOutcome RunProgram(const std::wstring& exe, const std::wstring& folder, const std::wstring& args) {
  DWORD start = GetTickCount();
  Process process(exe, args, folder);
  EXPECT_TRUE(process.Started()) << GetLastError();
  return RunToEnd(process, start, kRunTimeoutMs);
}

// An interactive run that the user ends at once with the window's close box.
RunOutcome RunAndClose(const std::wstring& exe, const std::wstring& folder, bool toggleTxt) {
  DWORD start = GetTickCount();
  Process process(exe, L"", folder);
  HWND main = process.WaitMainWindow();
  EXPECT_NE(main, nullptr);
  if (main && toggleTxt) {
    HWND box = Control(main, ui::ids::kChkLog1);
    Click(box);
    for (int i = 0; i < 100 && SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED; ++i) Sleep(10);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  }
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  return RunToEnd(process, start, kRunTimeoutMs);
}

// An old log of 40 records and a long last line, ending exactly on a 4 KiB boundary, so
// that the next record, which keeps every line, needs room the disk must give.
std::string OldLogOfPages(size_t pages) {
  std::string log = Header(0) + "\r\n";
  for (int i = 0; i < 40; ++i) log += "2024/03/05(\x89\xce),07:09,C,0150.00,0100.00,OK\r\n";
  log += std::string(pages * 4096 - log.size() - 2, 'x') + "\r\n";
  return log;
}

// Every file of a folder with its bytes, in listing order.
std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, std::string>> files;
  for (const std::wstring& name : velmora::testing::FolderEntries(folder))
    files.emplace_back(name, velmora::testing::ReadBytes(folder + L"\\" + name).value_or("<not a file>"));
  return files;
}

// Automatic runs in the program folder, each with its exit code and message boxes.
struct AutoRunRow {
  std::wstring args;
  DWORD exitCode;
  size_t boxes;
};
const AutoRunRow kPasses{L"/DISK=C /SIZE=1", 0, 0};
const AutoRunRow kWarns{L"/DISK=C /SIZE=9999999", 1, 1};
const AutoRunRow kSavesSettings{L"/DISK=C /SIZE=0", 0, 0};
AutoRunRow ChecksNewDirectory(const std::wstring& folder) {
  return {L"/DIR=" + folder + L"\\data /SIZE=100", 0, 0};  // its log data.csv is not there
}

// Runs that must each end as usual without writing anything, then an interactive run
// with a log option changed, closed by the user: nothing changed, made or left behind.
void ExpectRunsLeaveTheFolderAsItWas(const std::wstring& folder, const std::string& label,
                                     const std::vector<AutoRunRow>& rows) {
  const std::wstring exe = folder + L"\\Velmora.exe";
  const auto before = Snapshot(folder);
  for (const AutoRunRow& row : rows) {
    RunOutcome run = RunProgram(exe, folder, row.args);
    Figures(label + ": " + std::string(row.args.begin(), row.args.end()).substr(0, 24), run);
    EXPECT_EQ(run.exitCode, row.exitCode) << row.args.size();
    EXPECT_EQ(run.boxes.size(), row.boxes) << row.args.size();
    EXPECT_TRUE(Snapshot(folder) == before) << row.args.size() << ": nothing changed, made or left behind";
  }
  RunOutcome closed = RunAndClose(exe, folder, true);
  Figures(label + ": interactive, closed", closed);
  EXPECT_EQ(closed.exitCode, 0u);
  EXPECT_TRUE(closed.boxes.empty());
  EXPECT_TRUE(Snapshot(folder) == before) << "the settings are not saved";
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A program folder on the tiny drive: the program, settings with the CSV log on, an old
// log and an empty directory to check.
std::wstring MakeProgramFolder(const TinyDrive& drive, const std::string& oldLog) {
  std::wstring folder = drive.Root() + L"Velmora";
  EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  EXPECT_TRUE(CreateDirectoryW((folder + L"\\data").c_str(), nullptr)) << GetLastError();
  EXPECT_TRUE(CopyFileW(BuiltExePath().c_str(), (folder + L"\\Velmora.exe").c_str(), FALSE)) << GetLastError();
  EXPECT_TRUE(velmora::testing::WriteBytes(folder + L"\\Velmora.ini", kCsvOn));
  EXPECT_TRUE(velmora::testing::WriteBytes(folder + L"\\" + kDriveLog, oldLog));
  return folder;
}

TEST(Reliability, ReadOnlySettingsAndLogAreLeftAsTheyWereAndEveryRunEnds) {
  ProgramDir dir;
  dir.Write(L"Velmora.ini", kCsvOn);
  dir.Write(kDriveLog, OldLogOfPages(1));
  for (const wchar_t* name : {L"Velmora.ini", kDriveLog.c_str()})
    ASSERT_TRUE(SetFileAttributesW(dir.File(name).c_str(), FILE_ATTRIBUTE_READONLY));
  ExpectRunsLeaveTheFolderAsItWas(dir.Path(), "read-only files", {kPasses, kSavesSettings});
  for (const wchar_t* name : {L"Velmora.ini", kDriveLog.c_str()})
    SetFileAttributesW(dir.File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Reliability, AReadOnlyProgramFolderIsLeftAsItWasAndEveryRunEnds) {
  TinyDrive drive(FileSize(BuiltExePath()) + (1 << 20));
  if (!drive.Ready()) GTEST_SKIP() << drive.Why();
  std::wstring folder = MakeProgramFolder(drive, OldLogOfPages(2));
  // Wine run by root writes through folder permissions and the read-only attribute of
  // a folder; a file system mounted read-only stops every writer.
  ASSERT_TRUE(drive.MakeReadOnly());
  ASSERT_FALSE(velmora::testing::WriteBytes(folder + L"\\probe", "x")) << "the folder is still writable";
  ExpectRunsLeaveTheFolderAsItWas(folder, "read-only folder",
                                  {kPasses, kWarns, kSavesSettings, ChecksNewDirectory(folder)});
}

TEST(Reliability, AFullDriveKeepsTheOldLogAndSettingsWholeAndEveryRunEnds) {
  TinyDrive drive(FileSize(BuiltExePath()) + (256 << 10));
  if (!drive.Ready()) GTEST_SKIP() << drive.Why();
  const std::string oldLog = OldLogOfPages(2);
  std::wstring folder = MakeProgramFolder(drive, oldLog);
  EXPECT_EQ(drive.Fill(), 0u) << "the drive is not full";
  ExpectRunsLeaveTheFolderAsItWas(folder, "full drive", {kPasses, kSavesSettings, ChecksNewDirectory(folder)});

  // Once there is room again, the same log takes the next record.
  DeleteFileW((drive.Root() + L"filler").c_str());
  RunOutcome run = RunProgram(folder + L"\\Velmora.exe", folder, L"/DISK=C /SIZE=1");
  EXPECT_EQ(run.exitCode, 0u);
  std::string log = velmora::testing::ReadBytes(folder + L"\\" + kDriveLog).value_or("");
  size_t second = log.find("\r\n") + 2, third = log.find("\r\n", second) + 2;
  EXPECT_EQ(log.substr(second, third - second).substr(21, 2), "C,");
  EXPECT_EQ(log.substr(0, second) + log.substr(third), oldLog);
}

// Runs Velmora.exe from the Linux side without the capabilities that let root read
// every directory, so that a directory whose permissions deny its owner is denied to
// the program as it is on a Windows volume without the right to list it.
std::optional<int> RunWithoutOverride(const std::vector<std::wstring>& command, std::string* out) {
  std::string words;
  for (const std::wstring& word : command) {
    std::string utf8(static_cast<size_t>(word.size() * 3), '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, word.data(), static_cast<int>(word.size()),
                                                        utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    words += " '" + utf8 + "'";
  }
  return RunLinuxShell(
      "if [ \"$(id -u)\" = 0 ]; then\n"
      "  set -- setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search\n"
      "fi\n"
      "\"$@\" wine" +
          words,
      kRunTimeoutMs, out);
}

// Reads and closes (OK) the message boxes with this title that any process shows, from
// a thread of its own, until the object goes: for runs started through the Linux shell,
// whose process the test has no handle of.
class BoxCloser {
 public:
  explicit BoxCloser(std::wstring title) : title_(std::move(title)), thread_([this] { Watch(); }) {}
  ~BoxCloser() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(m_);
    return texts_;
  }

 private:
  void Watch() {
    while (!stop_) {
      HWND box = FindWindowW(L"#32770", title_.c_str());
      if (!box) {
        Sleep(20);
        continue;
      }
      std::wstring text;
      for (const std::wstring& t : StaticTexts(box))
        if (t.size() > text.size()) text = t;
      {
        std::lock_guard<std::mutex> lock(m_);
        texts_.push_back(text);
      }
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      WaitGone(box, 5000);
    }
  }
  std::wstring title_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

TEST(Reliability, DirectoriesTheProgramMayNotListAddNothingAndTheWalkGoesOn) {
  ProgramDir dir;
  dir.Write(L"Velmora.ini", kCsvOn);
  const std::wstring data = dir.File(L"Data");
  for (const wchar_t* sub : {L"", L"\\sub", L"\\locked", L"\\locked\\deeper", L"\\zlast"})
    ASSERT_TRUE(CreateDirectoryW((data + sub).c_str(), nullptr));
  const std::string mebibyte(1 << 20, 'm');
  for (const wchar_t* file :
       {L"\\a.bin", L"\\sub\\b.bin", L"\\locked\\c.bin", L"\\locked\\deeper\\d.bin", L"\\zlast\\e.bin"})
    ASSERT_TRUE(velmora::testing::WriteBytes(data + file, mebibyte));
  std::string out;
  std::optional<int> root = RunLinuxShell("[ \"$(id -u)\" = 0 ]", 10000);
  if (!root) GTEST_SKIP() << "no Linux shell under this system";
  if (*root == 0 && RunLinuxShell("command -v setpriv", 10000) != 0)
    GTEST_SKIP() << "no setpriv to run the program without root's override";
  ASSERT_EQ(RunLinuxShell("chmod 000 '" + UnixPath(data + L"\\locked") + "'", 10000), 0);
  struct Unlock {
    std::string path;
    ~Unlock() { RunLinuxShell("chmod 755 '" + path + "'", 10000); }
  } unlock{UnixPath(data + L"\\locked")};

  struct Row {
    std::wstring dir;
    std::string record;  // without its time stamp
    int exitCode;
    std::wstring box;  // the warning shown, if any
  } rows[] = {
      // a.bin, b.bin, e.bin: the walk goes past the locked subdirectory
      {data, "Data,0003.00,0100.00,OK", 0, L""},
      // The measured directory itself locked is not measured: the not-found path, never
      // "0 MB, OK".
      {data + L"\\locked", "locked," + ToCp932(texts::kNoTarget), 2,
       L"警告！\r\n\r\nディレクトリが見つかりません\r\n" + data + L"\\locked"},
  };
  for (const Row& row : rows) {
    DWORD start = GetTickCount();
    std::vector<std::wstring> boxes;
    {
      BoxCloser closer(L"Velmora  ディレクトリ使用サイズ確認結果");
      EXPECT_EQ(RunWithoutOverride({dir.Exe(), L"/DIR=" + row.dir, L"/SIZE=100"}, &out), row.exitCode) << out;
      boxes = closer.Texts();
    }
    EXPECT_EQ(boxes, row.box.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{row.box});
    std::wstring name = row.dir.substr(row.dir.find_last_of(L'\\') + 1);
    std::printf("[ figures  ] denied directory walk of %-19ls %6lu ms (with Wine's start)\n", name.c_str(),
                static_cast<unsigned long>(GetTickCount() - start));
    std::wstring log = name + L".csv";
    std::string bytes = dir.Read(log).value_or("");
    EXPECT_EQ(bytes.substr(bytes.find("\r\n") + 2 + 21), row.record + "\r\n") << bytes;
  }
  // The same tree walked with root's override counts the locked directory: the
  // permissions alone made the difference above.
  if (*root != 0) return;
  RunOutcome full = RunProgram(dir.Exe(), dir.Path(), L"/DIR=" + data + L" /SIZE=100");
  EXPECT_EQ(full.exitCode, 0u);
  std::string bytes = dir.Read(L"Data.csv").value_or("");
  EXPECT_NE(bytes.find("Data,0005.00,0100.00,OK"), std::string::npos) << bytes;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Repeat(const std::string& line, size_t times) {
  std::string out;
  out.reserve(line.size() * times);
  for (size_t i = 0; i < times; ++i) out += line;
  return out;
}

TEST(Reliability, MalformedSettingsLoadWhatTheyCanInBoundedTimeAndMemory) {
  struct Row {
    const char* name;
    std::string ini;
    const wchar_t* log;  // the log the run writes, or none
  } rows[] = {
      {"random bytes", RandomBytes(1 << 16, 7), nullptr},
      {"random bytes, then a key", RandomBytes(1 << 16, 8) + "\r\n[LogTXT]1\r\n", L"Cドライブのログ.txt"},
      {"one 10 MB line after a key", "[Log   ]1" + std::string(10 << 20, 'x'), L"Cドライブのログ.csv"},
      {"a 10 MB number", "[LogTXT]1\r\n[Log   ]" + std::string(10 << 20, '1') + "\r\n", L"Cドライブのログ.txt"},
      {"a million lines", "[LogTXT]1\r\n" + Repeat("[LogTXT ]1\r\n", 999999), L"Cドライブのログ.txt"},
      {"a broken character before LF", "junk\x81\n[Log   ]1\n", L"Cドライブのログ.csv"},
      {"broken characters in values",
       "[LogTXT]1\x81\r\n[Log   ]\x82\r\n[Log   ]\xff\xfe"
       "1\r\n",
       L"Cドライブのログ.txt"},
  };
  for (const Row& row : rows) {
    ProgramDir dir;
    dir.Write(L"Velmora.ini", row.ini);
    RunOutcome run = RunProgram(dir.Exe(), dir.Path(), L"/DISK=C /SIZE=1");
    Figures(std::string("settings: ") + row.name, run);
    EXPECT_EQ(run.exitCode, 0u) << row.name;
    EXPECT_TRUE(run.boxes.empty()) << row.name;
    EXPECT_LT(run.peakBytes, kMemoryBound) << row.name;
    for (const wchar_t* log : {L"Cドライブのログ.csv", L"Cドライブのログ.txt"})
      EXPECT_EQ(dir.Exists(log), row.log && std::wstring(row.log) == log) << row.name;
    EXPECT_EQ(dir.Read(L"Velmora.ini"), row.ini) << row.name << ": a run with a threshold never writes it";
  }
}

// The old file's lines as a reader of text lines sees them: at most 100, without their
// line ends (CR LF, CR or LF).
std::vector<std::string> FirstLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size() && lines.size() < 100) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

TEST(Reliability, MalformedLogsAreRewrittenInBoundedTimeAndMemory) {
  std::string millionLines;
  for (int i = 0; i < 1000000; ++i) millionLines.append("r").append(std::to_string(i)).append("\r\n");
  struct Row {
    const char* name;
    std::string old;
  } rows[] = {
      {"random bytes", RandomBytes(1 << 16, 9)},
      {"one 10 MB line", std::string(10 << 20, 'x')},
      {"a 10 MB record", Header(0) + "\r\n" + std::string(10 << 20, 'y') + "\r\nlast\r\n"},
      {"a million lines", millionLines},
      {"broken code page 932", Header(0) + "\r\n\x81\r\n\x82\n\xff\xfe\x80\r\nend\x81"},
  };
  for (const Row& row : rows) {
    ProgramDir dir;
    dir.Write(L"Velmora.ini", kCsvOn);
    dir.Write(kDriveLog, row.old);
    RunOutcome run = RunProgram(dir.Exe(), dir.Path(), L"/DISK=C /SIZE=1");
    Figures(std::string("log: ") + row.name, run);
    EXPECT_EQ(run.exitCode, 0u) << row.name;
    EXPECT_LT(run.peakBytes, kMemoryBound) << row.name;
    std::string log = dir.Read(kDriveLog).value_or("");
    std::string head = Header(0) + "\r\n";
    ASSERT_EQ(log.substr(0, head.size()), head) << row.name;
    size_t recordEnd = log.find("\r\n", head.size());
    ASSERT_NE(recordEnd, std::string::npos) << row.name;
    std::string record = log.substr(head.size(), recordEnd - head.size());
    EXPECT_EQ(record.substr(21, 2), "C,") << row.name;
    EXPECT_EQ(record.substr(record.size() - 11), ",0001.00,OK") << row.name;
    std::string rest;
    std::vector<std::string> old = FirstLines(row.old);
    for (size_t i = 1; i < old.size(); ++i) rest += old[i] + "\r\n";
    EXPECT_TRUE(log.substr(recordEnd + 2) == rest) << row.name << ": the old lines 2 to 100 follow byte for byte";
  }
}

}  // namespace
}  // namespace velmora::e2e
