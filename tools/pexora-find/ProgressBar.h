// A progress bar on standard error, for searches that take a while.
#pragma once

#include <chrono>
#include <cstdint>

#include "pexora/pexora.h"

namespace pexora::find {

class ProgressBar {
 public:
  // Draws only when `enabled` (standard error is a terminal), and only once a
  // search has run for half a second.
  explicit ProgressBar(bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // The library's status callback; `user` is the ProgressBar.
  static void PX_CALL Report(double progress, int32_t statusType, void* user);

 private:
  void Show(double percent);

  bool enabled_;
  std::chrono::steady_clock::time_point start_;
  bool drawn_ = false;
  int last_ = -1;
};

}  // namespace pexora::find
