// The match percentage of a position, and the most differing pixels that
// still reach a given percentage.
#pragma once

#include <cstdint>

namespace pexora {

// 100 * (compared - difference) / compared, as reported to callers.
inline double MatchPercentage(int64_t compared, int64_t difference) {
  return 100.0 * double(compared - difference) / double(compared);
}

// The largest difference d in 0 .. compared for which
// MatchPercentage(compared, d) >= minimal, computed with that same
// expression, so that a limit on Difference and a filter on the reported
// percentage agree exactly. compared >= 1 and 0 <= minimal <= 100.
int64_t DifferenceLimit(int64_t compared, double minimal);

}  // namespace pexora
