#include "PerformanceCounter.h"

#include <ctime>

namespace PerformanceCounter {

bool QueryPerformanceFrequency(std::int64_t* frequency) {
  *frequency = 1'000'000'000;
  return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
  timespec ts{};
  if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return false;
  *count = static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
  return true;
}

}  // namespace PerformanceCounter
