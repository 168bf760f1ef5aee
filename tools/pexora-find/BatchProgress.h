// The progress of a batch on standard error: pictures done, pictures with
// matches, pictures a second.
#pragma once

#include <chrono>
#include <cstddef>

namespace pexora::find {

class BatchProgress {
 public:
  // Draws only when `enabled` (standard error is a terminal).
  BatchProgress(bool enabled, size_t total);
  ~BatchProgress();
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  // Takes the line away, before something else is printed to the terminal.
  void Erase();
  // One more picture done; redrawn at most ten times a second and after Erase.
  void Count(bool matched);

 private:
  bool enabled_;
  size_t total_;
  size_t done_ = 0;
  size_t matched_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace pexora::find
