// Times a library call with the high-resolution counter.
#pragma once

#include "PerformanceCounter.h"

#include <cmath>
#include <cstdint>
#include <utility>

// Runs the call and returns how long it took in whole milliseconds, rounded to
// the nearest (halves to even). Only the call itself is inside the span.
template <typename Call>
std::int64_t ElapsedMilliseconds(Call&& call) {
  std::int64_t PerfFreq = 0, FreqCountStart = 0, FreqCountEnd = 0;
  PerformanceCounter::QueryPerformanceFrequency(&PerfFreq);
  PerformanceCounter::QueryPerformanceCounter(&FreqCountStart);
  std::forward<Call>(call)();
  PerformanceCounter::QueryPerformanceCounter(&FreqCountEnd);
  return static_cast<std::int64_t>(
      std::nearbyint(static_cast<double>(FreqCountEnd - FreqCountStart) / static_cast<double>(PerfFreq) * 1000));
}
