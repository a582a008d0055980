// Seconds on the performance counter, for the benchmark programs.
#pragma once
#include <windows.h>

namespace velmora::bench {

inline double Seconds() {
  static const LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace velmora::bench
