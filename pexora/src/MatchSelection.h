// Merging overlapping matches and ranking what is left.
#pragma once

#include <vector>

#include "Match.h"

namespace pexora {

// True when a is the better match: higher match percentage, then smaller sum
// of channel differences, then larger area, then top-most, then left-most,
// then wider.
bool IsBetterMatch(const Match& a, const Match& b);

// The match percentages of a and b compared exactly: below 0 when a's is the
// lower, 0 when they are equal, above 0 when a's is the higher.
int CompareFraction(const Match& a, const Match& b);

// Whether each candidate's sum of differences can change which candidates
// SelectMatches keeps: it can only where the candidate overlaps another of
// the same match percentage. The others' sums matter only for the order of
// the kept matches. May count a candidate too many, never one too few.
std::vector<bool> SumsThatDecide(const std::vector<Match>& candidates);

bool Overlap(const Match& a, const Match& b);

// Among matches whose rectangles intersect, keeps the best (repeatedly: the
// best of all is kept, everything that intersects it is dropped, and so on).
// The kept matches come best first; with multiple false only the best one.
std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple);

}  // namespace pexora
