// The plain merge of overlapping matches, every sum known: what the engine's
// merge by bounds (merge/MatchSelection.h) must keep.
#pragma once

#include <vector>

#include "core/Match.h"

namespace pexora::reference {

// Among matches whose rectangles intersect, keeps the best (repeatedly: the
// best of all is kept, everything that intersects it is dropped, and so on).
// The kept matches come best first; with multiple false only the best one.
std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple);

}  // namespace pexora::reference
