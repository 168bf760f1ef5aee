// What every comparison's progress reports look like.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace pexora::test {

// 0 first, then whole percents, each above the last, ending at exactly 100.
inline void ExpectWholePercentsRisingTo100(const std::vector<double>& progress) {
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress.front(), 0.0);
  EXPECT_EQ(progress.back(), 100.0);
  for (size_t i = 1; i < progress.size(); ++i) {
    EXPECT_LT(progress[i - 1], progress[i]);
    EXPECT_EQ(progress[i], std::floor(progress[i]));
  }
}

}  // namespace pexora::test
