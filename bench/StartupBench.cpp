// Times programs from process start to exit, interleaved round by round under the
// one running Wine server, and prints median and minimum of each with its ratio to
// the first (the floor).
//   startup_bench <rounds> [--hold=<file>...] <name>=<command line> [<name>=<command line> ...]
// --hold opens the file without sharing for the whole benchmark, as another program
// holding a log would.
// The command line starts with the program's path, in quotation marks when it holds
// spaces; the program runs in its own folder. A run that has not ended after 10 s is
// ended and counts as failed, as does a run with a non-zero exit code.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRunTimeoutMs = 10000;

struct Contestant {
  std::wstring name;
  std::wstring commandLine;
  std::wstring folder;
  std::vector<double> ms;
  int failures = 0;
};

std::wstring FolderOfCommand(const std::wstring& commandLine) {
  std::wstring exe;
  if (!commandLine.empty() && commandLine[0] == L'"')
    exe = commandLine.substr(1, commandLine.find(L'"', 1) - 1);
  else
    exe = commandLine.substr(0, commandLine.find(L' '));
  size_t slash = exe.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Milliseconds from CreateProcess to the end of the process; negative on failure.
double RunOnce(const Contestant& c, DWORD& exitCode) {
  std::wstring line = c.commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      c.folder.empty() ? nullptr : c.folder.c_str(), &si, &pi))
    return -1;
  DWORD waited = WaitForSingleObject(pi.hProcess, kRunTimeoutMs);
  QueryPerformanceCounter(&end);
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  exitCode = 99;
  GetExitCodeProcess(pi.hProcess, &exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return waited == WAIT_OBJECT_0 ? Seconds(start, end) * 1000 : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench <rounds> <name>=<command line> ...\n");
    return 2;
  }
  int rounds = _wtoi(argv[1]);
  std::vector<Contestant> all;
  std::vector<HANDLE> held;
  for (int i = 2; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--hold=", 0) == 0) {
      HANDLE file = CreateFileW(arg.c_str() + 7, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) return 2;
      held.push_back(file);
      continue;
    }
    size_t eq = arg.find(L'=');
    if (eq == std::wstring::npos) return 2;
    Contestant c;
    c.name = arg.substr(0, eq);
    c.commandLine = arg.substr(eq + 1);
    c.folder = FolderOfCommand(c.commandLine);
    all.push_back(std::move(c));
  }
  // One unmeasured run of each first: the system's first start of a program pays for
  // loading what the later ones find ready.
  for (Contestant& c : all) {
    DWORD code = 0;
    RunOnce(c, code);
  }
  for (int r = 0; r < rounds; ++r) {
    std::printf("round %3d:", r + 1);
    // Each round starts with another contestant, so that none always follows the same.
    for (size_t k = 0; k < all.size(); ++k) {
      Contestant& c = all[(k + static_cast<size_t>(r)) % all.size()];
      DWORD code = 0;
      double ms = RunOnce(c, code);
      if (ms < 0 || code != 0) {
        ++c.failures;
        std::printf("  %ls FAILED (exit %lu)", c.name.c_str(), static_cast<unsigned long>(code));
        continue;
      }
      c.ms.push_back(ms);
      std::printf("  %ls %.1f ms", c.name.c_str(), ms);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  std::printf("\n%-28s %8s %8s %8s %8s\n", "ms, start to exit", "median", "min", "max", "failed");
  for (const Contestant& c : all) {
    if (c.ms.empty()) {
      std::printf("%-28ls %8s %8s %8s %8d\n", c.name.c_str(), "-", "-", "-", c.failures);
      continue;
    }
    std::printf("%-28ls %8.1f %8.1f %8.1f %8d\n", c.name.c_str(), Median(c.ms),
                *std::min_element(c.ms.begin(), c.ms.end()), *std::max_element(c.ms.begin(), c.ms.end()), c.failures);
  }
  const Contestant& floor = all.front();
  if (floor.ms.empty()) return 1;
  std::printf("\n");
  int failed = 0;
  for (size_t i = 1; i < all.size(); ++i) {
    const Contestant& c = all[i];
    failed += c.failures;
    if (c.ms.empty()) continue;
    std::printf("%ls / %ls: %.2fx median, %.2fx min\n", c.name.c_str(), floor.name.c_str(),
                Median(c.ms) / Median(floor.ms),
                *std::min_element(c.ms.begin(), c.ms.end()) / *std::min_element(floor.ms.begin(), floor.ms.end()));
  }
  return failed + floor.failures ? 1 : 0;
}
