// Merging overlapping matches and ranking what is left.
#pragma once

#include <functional>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "merge/ParallelSort.h"

namespace pexora {

// True when a is the better match: higher match percentage, then smaller sum
// of channel differences, then larger area, then top-most, then left-most,
// then wider.
bool IsBetterMatch(const Match& a, const Match& b);

// The match percentages of a and b compared exactly: below 0 when a's is the
// lower, 0 when they are equal, above 0 when a's is the higher.
inline int CompareFraction(const Match& a, const Match& b) {
  if (a.difference == b.difference && a.compared == b.compared) return 0;
  // (ca - da) / ca against (cb - db) / cb, without rounding.
  const __int128 left = static_cast<__int128>(a.compared - a.difference) * b.compared;
  const __int128 right = static_cast<__int128>(b.compared - b.difference) * a.compared;
  return left < right ? -1 : left > right ? 1 : 0;
}

bool Overlap(const Match& a, const Match& b);

// What is known of candidates' sums of differences before they are
// computed: lower bounds at levels 0, 1, ..., each at least the last, and at
// level Levels(m) the exact sum. Both read only m's place and size (x, y,
// width, height).
class SumSource {
 public:
  virtual ~SumSource() = default;
  virtual int Levels(const Match& m) = 0;
  virtual uint64_t SumAt(const Match& m, int level) = 0;
  // The bounds of `level` for `count` positions of a row at once, the first
  // being `first`, each at most SumAt's (below 2^31 they are equal); false
  // where there are none.
  virtual bool RowBounds(const Match& /*first*/, int /*level*/, int32_t /*count*/, uint32_t* /*out*/) { return false; }
};

// Among candidates whose rectangles intersect, keeps the best (repeatedly:
// the best of all is kept, everything that intersects it is dropped, and so
// on), but computes sums only as far as they decide: candidates are taken
// one match percentage at a time, best first; among those of one percentage
// the one of least bound is refined, level by level, until its exact sum is
// still the least, and is then kept. A candidate that a kept match overlaps
// is dropped whatever its sum. The kept matches come best first, each with
// its exact sum. `progress` hears on the calling thread, now and then, how
// far the merge is: how many candidates have their first bound, and how many
// are decided (half those taken in the order of bounds and half those kept
// or dropped, since deciding speeds up as kept matches cover more). Bounds
// and sums are computed through `parallel` (in sequence without it): `sums`
// must allow calls from several threads at once. Every loop of it, the
// sorts too, checks `stop` every few hundred microseconds of work.
struct MergeProgress {
  size_t bounded = 0;
  size_t decided = 0;
};
std::vector<Match> MergeByBounds(std::vector<Match> candidates, SumSource& sums,
                                 const std::function<void(const MergeProgress&)>& progress = nullptr,
                                 const ParallelFor& parallel = nullptr, const StopToken& stop = StopToken::Never());

}  // namespace pexora
