// Merging overlapping matches and ranking what is left.
#pragma once

#include <functional>
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

// A candidate whose sum of differences may be known only in part: sum holds
// the sum over its first `rowsDone` of `rows` rows, which is never more than
// the whole sum. A placeholder's sum decides nothing (SumsThatDecide) and is
// computed only if it is kept.
struct PartialMatch {
  Match match;
  int32_t rowsDone = 0;
  int32_t rows = 0;
  bool placeholder = false;
  bool Complete() const { return rowsDone >= rows; }
};

// Merges like SelectMatches(..., true), or picks the best one, but calls
// refine with candidates whose partial sums must grow before the next match
// can be told; refine must bring each one further (at least one more row).
// Only candidates that could still be the best of what is left are refined.
// The kept matches come in merge order, placeholders with their sum unknown.
std::vector<PartialMatch> SelectWithPartialSums(std::vector<PartialMatch> candidates, bool multiple,
                                                const std::function<void(std::vector<PartialMatch*>&)>& refine);

// Among matches whose rectangles intersect, keeps the best (repeatedly: the
// best of all is kept, everything that intersects it is dropped, and so on).
// The kept matches come best first; with multiple false only the best one.
std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple);

}  // namespace pexora
