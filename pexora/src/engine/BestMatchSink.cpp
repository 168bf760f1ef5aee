#include "engine/BestMatchSink.h"

#include <cstdint>

#include "merge/MatchSelection.h"
#include "scan/ScalarScan.h"

namespace pexora {

void BestMatchSink::Take(const ScannedRow& row) {
  Match best;
  {
    std::lock_guard lock(mutex_);
    best = best_;
  }
  bool improved = false;
  for (int32_t i = 0; i < row.positions; ++i) {
    if (row.differences[i] > row.tolerance) continue;
    Match m = row.MatchAt(i);
    const int fraction = best.compared > 0 ? CompareFraction(m, best) : 1;
    if (fraction < 0) continue;
    m.sum = SumOfDifferences(planes_, row.t, m.x, m.y, fraction > 0 ? UINT64_MAX : best.sum, stop_);
    if (fraction > 0 || IsBetterMatch(m, best)) {
      best = m;
      improved = true;
    }
  }
  if (!improved) return;
  std::lock_guard lock(mutex_);
  if (best_.compared == 0 || IsBetterMatch(best, best_)) best_ = best;
}

std::optional<Match> BestMatchSink::Best() const {
  std::lock_guard lock(mutex_);
  if (best_.compared == 0) return std::nullopt;
  return best_;
}

}  // namespace pexora
