// A request to end a comparison early: by a time limit, or by the caller,
// whose interrupt callback is asked on the calling thread only. Every long
// loop of a comparison calls Check every so often (well under a millisecond
// of work apart, on every thread); the first call that sees the request
// throws StatusError with its code, and the comparison unwinds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace pexora {

class StopToken {
 public:
  using Clock = std::chrono::steady_clock;

  // How often the caller's interrupt callback is asked, at most.
  static constexpr std::chrono::milliseconds kPollInterval{5};

  // A token that never stops.
  StopToken() = default;
  // Stops with `timeCode` once `deadline` has passed (Clock::time_point::max():
  // never), and with `stoppedCode` when `interrupt` (may be empty), asked on
  // the constructing thread, says true.
  StopToken(Clock::time_point deadline, int32_t timeCode, std::function<bool()> interrupt, int32_t stoppedCode);
  StopToken(const StopToken&) = delete;
  StopToken& operator=(const StopToken&) = delete;

  // The token of comparisons that nothing stops.
  static const StopToken& Never();

  // Throws StatusError once a stop is requested: cheap unless a limit or an
  // interrupt is set, and then a clock read besides.
  void Check() const {
    if (code_.load(std::memory_order_relaxed) != 0) [[unlikely]]
      Throw();
    if (watched_) Watch();
  }

  // Requests the stop with `code` for every thread; the first request wins.
  void Request(int32_t code) const;
  // The code of the request, 0 while there is none.
  int32_t Code() const { return code_.load(); }

 private:
  [[noreturn]] void Throw() const;
  void Watch() const;

  mutable std::atomic<int32_t> code_{0};
  bool watched_ = false;
  Clock::time_point deadline_ = Clock::time_point::max();
  int32_t timeCode_ = 0;
  int32_t stoppedCode_ = 0;
  std::function<bool()> interrupt_;
  std::thread::id caller_;
  mutable Clock::time_point nextPoll_{};  // the calling thread's only
};

}  // namespace pexora
