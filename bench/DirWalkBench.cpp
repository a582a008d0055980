// Times one walk of a directory tree and prints one line of figures:
//   dirwalk_bench velmora|velmora-every|velmora-nopump|sequential|naive <directory>
// velmora:    the program's own measurement (DirSizeChk with its listing workers),
//             processing window messages at its yield points as the window does;
// velmora-every: the same looking at the message queue at every yield point;
// velmora-nopump: the same without processing messages, to see what that costs;
// sequential: one listing per directory on this thread, no workers;
// naive:      two listings per directory and one open per file for its length.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "measure/MDirSizeChk.h"
#include "ui/MessagePump.h"

namespace {

struct Counts {
  uint64_t dirs = 0, files = 0, bytes = 0;
};

std::wstring Join(const std::wstring& dir, const wchar_t* name) {
  return dir + L"\\" + name;
}

void Sequential(const std::wstring& dir, Counts& c) {
  velmora::ui::DoEvents();
  ++c.dirs;
  std::vector<std::wstring> subDirs;
  WIN32_FIND_DATAW e;
  HANDLE h = FindFirstFileExW(Join(dir, L"*.*").c_str(), FindExInfoBasic, &e, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (e.cFileName[0] == L'.' && (!e.cFileName[1] || (e.cFileName[1] == L'.' && !e.cFileName[2]))) continue;
      if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (e.cFileName[0] != L'.' && !(e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
          subDirs.push_back(e.cFileName);
      } else {
        ++c.files;
        c.bytes += (static_cast<uint64_t>(e.nFileSizeHigh) << 32) | e.nFileSizeLow;
      }
    } while (FindNextFileW(h, &e));
    FindClose(h);
  }
  for (const auto& name : subDirs) Sequential(Join(dir, name.c_str()), c);
}

void Naive(const std::wstring& dir, Counts& c) {
  velmora::ui::DoEvents();
  ++c.dirs;
  std::vector<std::wstring> subDirs;
  WIN32_FIND_DATAW e;
  HANDLE h = FindFirstFileW(Join(dir, L"*.*").c_str(), &e);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if ((e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && e.cFileName[0] != L'.') subDirs.push_back(e.cFileName);
    } while (FindNextFileW(h, &e));
    FindClose(h);
  }
  h = FindFirstFileW(Join(dir, L"*.*").c_str(), &e);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = e.cFileName;
      if (name == L"." || name == L"..") continue;
      HANDLE f = CreateFileW(Join(dir, name.c_str()).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      if (f == INVALID_HANDLE_VALUE) continue;
      LARGE_INTEGER size{};
      GetFileSizeEx(f, &size);
      CloseHandle(f);
      if (!(e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ++c.files;
        c.bytes += static_cast<uint64_t>(size.QuadPart);
      }
    } while (FindNextFileW(h, &e));
    FindClose(h);
  }
  for (const auto& name : subDirs) Naive(Join(dir, name.c_str()), c);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dirwalk_bench velmora|velmora-every|velmora-nopump|sequential|naive <directory>\n");
    return 2;
  }
  std::wstring mode = argv[1], dir = argv[2];
  Counts c;
  LARGE_INTEGER freq, start, end;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (mode == L"velmora" || mode == L"velmora-every" || mode == L"velmora-nopump") {
    double bytes = 0;
    std::function<void()> pump;
    if (mode == L"velmora") pump = velmora::ui::PacedDoEvents(velmora::ui::kWalkYieldEveryMs);
    if (mode == L"velmora-every") pump = velmora::ui::DoEvents;
    if (!velmora::DirSizeChk(velmora::SizeUnit::kBytes, dir, L"*.*", true, bytes, pump)) return 1;
    c.bytes = static_cast<uint64_t>(bytes);
  } else if (mode == L"sequential") {
    Sequential(dir, c);
  } else if (mode == L"naive") {
    Naive(dir, c);
  } else {
    return 2;
  }
  QueryPerformanceCounter(&end);
  PROCESS_MEMORY_COUNTERS mem{};
  GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem);
  std::printf("mode=%ls seconds=%.3f bytes=%llu peak_ws_kb=%llu\n", mode.c_str(),
              static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart),
              static_cast<unsigned long long>(c.bytes), static_cast<unsigned long long>(mem.PeakWorkingSetSize / 1024));
  return 0;
}
