// A test that starts Velmora interactively from a fresh program folder of its own and
// closes its window at the end.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "Driver.h"

namespace velmora::e2e {

class RunningWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    process_ = std::make_unique<Process>(dir_.Exe(), L"", dir_.Path());
    ASSERT_TRUE(process_->Started()) << "CreateProcess failed: " << GetLastError();
    main_ = process_->WaitMainWindow();
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  void TearDown() override {
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (process_) process_->WaitExit(5000);
  }

  ProgramDir dir_;
  std::unique_ptr<Process> process_;
  HWND main_ = nullptr;
};

}  // namespace velmora::e2e
