#include "SelectMatches.h"

#include <algorithm>

#include "merge/MatchGrid.h"
#include "merge/MatchSelection.h"

namespace pexora::reference {

std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple) {
  if (candidates.empty()) return {};
  if (!multiple) {
    return {*std::min_element(candidates.begin(), candidates.end(), IsBetterMatch)};
  }
  std::sort(candidates.begin(), candidates.end(), IsBetterMatch);
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  for (const Match& m : candidates) {
    if (grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); })) continue;
    grid.File(m, kept.size());
    kept.push_back(m);
  }
  return kept;
}

}  // namespace pexora::reference
