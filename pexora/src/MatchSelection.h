// Merging overlapping matches and ranking what is left.
#pragma once

#include <vector>

#include "Match.h"

namespace pexora {

// True when a is the better match: higher match percentage, then smaller sum
// of channel differences, then larger area, then top-most, then left-most,
// then wider.
bool IsBetterMatch(const Match& a, const Match& b);

bool Overlap(const Match& a, const Match& b);

// Among matches whose rectangles intersect, keeps the best (repeatedly: the
// best of all is kept, everything that intersects it is dropped, and so on).
// The kept matches come best first; with multiple false only the best one.
std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple);

}  // namespace pexora
