// The one work-sharing loop: every index once, and the first error stops
// everything and comes back to the caller after every thread is joined.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/SharedLoop.h"

namespace pexora {
namespace {

TEST(SharedLoop, RunsEveryIndexOnceOnEveryThreadCount) {
  for (unsigned threads : {1u, 2u, 5u}) {
    std::vector<std::atomic<int>> runs(1000);
    const std::thread::id caller = std::this_thread::get_id();
    bool onOtherThread = false;
    RunShared(
        runs.size(), threads, [&](size_t i) { ++runs[i]; },
        [&] { onOtherThread = onOtherThread || std::this_thread::get_id() != caller; });
    for (const auto& r : runs) ASSERT_EQ(r.load(), 1);
    EXPECT_FALSE(onOtherThread);
  }
}

TEST(SharedLoop, TheFirstErrorStopsTheRestAndReachesTheCaller) {
  struct Case {
    const char* name;
    bool fromCaller;  // onCaller throws instead of a unit
  };
  for (const Case c : {Case{"unit", false}, Case{"caller", true}}) {
    SCOPED_TRACE(c.name);
    std::atomic<int> started{0};
    const auto body = [&](size_t i) {
      ++started;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (!c.fromCaller && i == 3) throw std::runtime_error("unit");
    };
    const auto onCaller = [&] {
      if (c.fromCaller) throw std::runtime_error("caller");
    };
    EXPECT_THROW(RunShared(10000, 3, body, onCaller), std::runtime_error);
    EXPECT_LT(started.load(), 100);
  }
}

}  // namespace
}  // namespace pexora
