// How long the main window keeps a message waiting while it measures a large tree.
//   responsiveness_bench <directory> [walks] [pause ms]
// Starts Velmora.exe interactively from a program folder of its own, types the
// directory into the directory box, presses "現在の使用量チェック" and, while the walk
// runs, sends WM_NULL to the main window again and again (a pause between two probes),
// timing each until the window has answered it. Prints, per walk and over all walks,
// the longest wait, the 99th and 50th percentile and the walk's duration (from the
// click to the result in the label, which is read every 100 ms).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Clock.h"
#include "Driver.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"

namespace {

namespace e2e = velmora::e2e;
namespace ids = velmora::ui::ids;
namespace texts = velmora::texts;

constexpr DWORD kAnswerTimeoutMs = 30000;
constexpr double kWalkTimeoutS = 600;
// The label is read (itself a message the window must answer) this often, so that
// the probes mostly meet a window that has nothing else waiting.
constexpr double kLabelEveryS = 0.1;

double Now() {
  return velmora::bench::Seconds();
}

// Milliseconds until the window answered one WM_NULL; negative when it did not.
double Probe(HWND window) {
  DWORD_PTR answer = 0;
  double start = Now();
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer)) return -1;
  return (Now() - start) * 1000;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p / 100 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void PrintWaits(const char* what, const std::vector<double>& waits) {
  size_t over16 = std::count_if(waits.begin(), waits.end(), [](double w) { return w > 16; });
  size_t over50 = std::count_if(waits.begin(), waits.end(), [](double w) { return w > 50; });
  size_t over100 = std::count_if(waits.begin(), waits.end(), [](double w) { return w > 100; });
  std::printf(
      "%s: %zu probes, longest %.1f ms, p99 %.1f ms, p50 %.2f ms; over 16 ms %zu, over 50 ms %zu, "
      "over 100 ms %zu\n",
      what, waits.size(), waits.empty() ? 0 : *std::max_element(waits.begin(), waits.end()), Percentile(waits, 99),
      Percentile(waits, 50), over16, over50, over100);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: responsiveness_bench <directory> [walks] [pause ms]\n");
    return 2;
  }
  std::wstring tree = argv[1];
  int walks = argc > 2 ? _wtoi(argv[2]) : 3;
  DWORD pauseMs = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 2;

  e2e::ProgramDir dir;
  e2e::Process velmora(dir.Exe(), L"", dir.Path());
  HWND main = velmora.WaitMainWindow();
  if (!main) {
    std::fprintf(stderr, "the main window did not appear\n");
    return 1;
  }
  HWND txtDir = e2e::Control(main, ids::kTxtDir);
  HWND cmdSiyou = e2e::Control(main, ids::kCmdSiyou);
  HWND lblSiyou = e2e::Control(main, ids::kLblSiyou);
  e2e::Click(e2e::Control(main, ids::kCmdTab1));
  Sleep(300);
  e2e::SetText(txtDir, tree);

  std::vector<double> idle;
  for (int i = 0; i < 200; ++i) {
    idle.push_back(Probe(main));
    Sleep(pauseMs);
  }
  PrintWaits("idle window", idle);

  std::vector<double> all;
  std::vector<double> durations;
  int failed = 0;
  for (int w = 1; w <= walks; ++w) {
    // A label the walk will overwrite, so that its end is seen also when the result
    // is the same as the last walk's.
    e2e::SetText(lblSiyou, texts::kUsedSizeNotMeasured);
    std::vector<double> waits;
    double start = Now();
    e2e::Click(cmdSiyou);
    std::wstring label;
    bool seenMeasuring = false;
    double labelRead = start;
    for (;;) {
      double wait = Probe(main);
      if (wait < 0) {
        std::fprintf(stderr, "the window did not answer within %lu ms\n", static_cast<unsigned long>(kAnswerTimeoutMs));
        ++failed;
        break;
      }
      waits.push_back(wait);
      if (Now() - labelRead < kLabelEveryS) {
        Sleep(pauseMs);
        continue;
      }
      labelRead = Now();
      label = e2e::Text(lblSiyou);
      if (label == texts::kMeasuring)
        seenMeasuring = true;
      else if (label != texts::kUsedSizeNotMeasured)
        break;
      if (Now() - start > kWalkTimeoutS) {
        std::fprintf(stderr, "the walk did not end within %.0f s\n", kWalkTimeoutS);
        ++failed;
        break;
      }
      Sleep(pauseMs);
    }
    double seconds = Now() - start;
    durations.push_back(seconds);
    label = e2e::Text(lblSiyou);  // again: the read that saw the change may have met it halfway
    std::printf("walk %d: %.2f s, result %ls%s\n", w, seconds, label.c_str(),
                seenMeasuring ? "" : " (the progress mark was never seen)");
    PrintWaits("  waits", waits);
    all.insert(all.end(), waits.begin(), waits.end());
  }

  std::printf("\nover %d walks: ", walks);
  PrintWaits("waits", all);
  std::printf("walk duration: median %.2f s\n", Percentile(durations, 50));
  std::printf("longest wait %.1f ms (target: under 100 ms)\n",
              all.empty() ? 0 : *std::max_element(all.begin(), all.end()));

  e2e::Click(e2e::Control(main, ids::kCmdEnd));
  velmora.WaitExit(10000);
  return failed ? 1 : 0;
}
