// A window timer with the two properties the system uses: Enabled and Interval.
#pragma once
#include <windows.h>

namespace velmora::ui {

class Timer {
 public:
  void Attach(HWND owner, UINT_PTR id, UINT interval) {
    owner_ = owner;
    id_ = id;
    interval_ = interval;
  }
  UINT Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  UINT_PTR Id() const { return id_; }
  void SetEnabled(bool on) {
    if (on == enabled_ || !owner_) return;
    enabled_ = on;
    if (on)
      SetTimer(owner_, id_, interval_, nullptr);
    else
      KillTimer(owner_, id_);
  }

 private:
  HWND owner_ = nullptr;
  UINT_PTR id_ = 0;
  UINT interval_ = 0;
  bool enabled_ = false;
};

}  // namespace velmora::ui
