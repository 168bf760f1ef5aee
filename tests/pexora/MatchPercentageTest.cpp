// The limit on differing pixels that a minimal match percentage sets must
// agree exactly with the percentage reported for every difference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "scan/MatchPercentage.h"

namespace pexora::test {
namespace {

void ExpectLimitAgrees(int64_t compared, double minimal) {
  const int64_t limit = DifferenceLimit(compared, minimal);
  ASSERT_GE(limit, 0);
  ASSERT_LE(limit, compared);
  EXPECT_GE(MatchPercentage(compared, limit), minimal) << compared << " " << minimal;
  if (limit < compared) {
    EXPECT_LT(MatchPercentage(compared, limit + 1), minimal) << compared << " " << minimal;
  }
}

TEST(DifferenceLimit, AgreesWithTheReportedPercentageAtEveryEdge) {
  // Every percentage that a size can report, and the doubles just around it,
  // where rounding decides.
  for (int64_t compared : {1, 2, 3, 7, 10, 49, 100, 101, 333, 1000, 4096, 9999}) {
    for (int64_t d = 0; d <= compared; ++d) {
      const double exact = MatchPercentage(compared, d);
      for (double minimal : {exact, std::nextafter(exact, 0.0), std::nextafter(exact, 101.0)}) {
        if (minimal < 0.0 || minimal > 100.0) continue;
        ExpectLimitAgrees(compared, minimal);
      }
    }
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const int64_t compared = 1 + int64_t(random() % (int64_t{1} << 26));
    ExpectLimitAgrees(compared, std::uniform_real_distribution<double>(0.0, 100.0)(random));
  }
  EXPECT_EQ(DifferenceLimit(5000, 0.0), 5000);
  EXPECT_EQ(DifferenceLimit(5000, 100.0), 0);
  EXPECT_EQ(DifferenceLimit(200, 99.0), 2);
}

}  // namespace
}  // namespace pexora::test
