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

// Merges like SelectMatches(candidates, true) but asks computeSums for exact
// sums only where they decide: candidates are taken one match percentage at a
// time, best first; those that a kept match overlaps are dropped unsummed, and
// of the rest only those that overlap another of the rest are summed before
// they are ranked. The kept matches come best first, each with its exact sum.
// `remaining` hears, as each percentage begins, how many candidates are left.
std::vector<Match> MergeWithFewestSums(std::vector<Match> candidates,
                                       const std::function<void(std::vector<Match*>&)>& computeSums,
                                       const std::function<void(size_t)>& remaining = nullptr);

// Among matches whose rectangles intersect, keeps the best (repeatedly: the
// best of all is kept, everything that intersects it is dropped, and so on).
// The kept matches come best first; with multiple false only the best one.
std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple);

}  // namespace pexora
