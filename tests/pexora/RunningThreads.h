// The number of threads this process runs now.
#pragma once

#include <cstddef>
#include <filesystem>

namespace pexora::test {

inline size_t RunningThreads() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

}  // namespace pexora::test
