// The high-resolution counter used to time library calls.
#pragma once

#include <cstdint>

namespace PerformanceCounter {

// Counts per second.
bool QueryPerformanceFrequency(std::int64_t* frequency);
// The current count of a monotonic clock.
bool QueryPerformanceCounter(std::int64_t* count);

}  // namespace PerformanceCounter
