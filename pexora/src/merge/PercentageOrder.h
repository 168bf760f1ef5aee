// The order in which the merge of collected candidates takes them: one match
// percentage after another, best first, and within one the sizes together,
// smallest first.
#pragma once

#include <tuple>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "merge/MatchSelection.h"

namespace pexora {

inline bool ByPercentageAndSize(const Match& a, const Match& b) {
  const int fraction = CompareFraction(a, b);
  return fraction != 0 ? fraction > 0 : std::tie(a.width, a.height) < std::tie(b.width, b.height);
}

// Sorts `candidates` by ByPercentageAndSize by counting them: a scan's
// candidates have few distinct percentages and sizes (differences up to the
// difference tolerance, for each of the sizes), and counting them costs three
// passes where comparing them cost twenty (half of the merge of a dense
// single-size search). Candidates of the same size, pixels compared and
// difference keep the order they came in. Returns false, with `candidates` as
// they were, where the counts would take more room than a quarter of the
// candidates, or the candidates more than `mostBytes`: a comparison sort
// serves those. Checks `stop` every few hundred microseconds.
bool SortByCounting(std::vector<Match>& candidates, size_t mostBytes, const StopToken& stop);

}  // namespace pexora
