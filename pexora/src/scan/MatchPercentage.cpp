#include "scan/MatchPercentage.h"

#include <algorithm>
#include <cmath>

namespace pexora {

int64_t DifferenceLimit(int64_t compared, double minimal) {
  // MatchPercentage falls as d grows; start from the exact answer's
  // neighbourhood and step to where the rounded expression changes.
  int64_t d = static_cast<int64_t>(std::floor(double(compared) * (100.0 - minimal) / 100.0));
  d = std::clamp<int64_t>(d, 0, compared);
  while (d > 0 && MatchPercentage(compared, d) < minimal) --d;
  while (d < compared && MatchPercentage(compared, d + 1) >= minimal) ++d;
  return d;
}

}  // namespace pexora
