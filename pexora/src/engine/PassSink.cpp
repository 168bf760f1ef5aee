#include "engine/PassSink.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace pexora {

bool PassSink::Skips(const SearchTemplate& t, int32_t y) {
  thread_local std::vector<uint64_t> blocked;
  return !covered_.BlockedPositions(y, t.width, t.height, blocked);
}

void PassSink::Take(const ScannedRow& row) {
  const std::optional<Match> threshold = best_.Threshold();
  thread_local std::vector<Match> offered;
  thread_local std::vector<uint64_t> blocked;
  thread_local std::vector<uint32_t> firstBounds;
  offered.clear();
  size_t met = 0, summed = 0;
  if (row.positions > 0) covered_.BlockedPositions(row.y, row.t.width, row.t.height, blocked);
  // Once the set is full, the first level of bounds for the whole row at once.
  bool rowBounded = false;
  const int levels = row.positions > 0 ? sums_.Levels(row.MatchAt(0)) : 0;  // the same for the row's size
  if (threshold && row.positions > 0) {
    firstBounds.resize(static_cast<size_t>(row.positions));
    rowBounded = sums_.RowBounds(row.MatchAt(0), 0, row.positions, firstBounds.data());
  }
  for (int32_t i = 0; i < row.positions; ++i) {
    const size_t k = static_cast<size_t>(row.x0 - covered_.Area().X) + static_cast<size_t>(i);
    if (blocked[k / 64] == ~uint64_t{0}) {
      i += static_cast<int32_t>(63 - k % 64);  // the rest of the word is covered too
      continue;
    }
    if ((blocked[k / 64] >> (k % 64) & 1) != 0 || row.differences[i] > row.tolerance) continue;
    Match m = row.MatchAt(i);
    const int entering = threshold ? CompareFraction(m, *threshold) : 1;
    if (entering < 0) continue;
    ++met;
    // Within the threshold's percentage, a sum past the threshold's loses,
    // and so does one whose bound passes it: the sum is needed only as far
    // as the threshold's.
    bool loses = entering == 0 && rowBounded && firstBounds[static_cast<size_t>(i)] > threshold->sum;
    for (int level = rowBounded ? 1 : 0; entering == 0 && level < levels && !loses; ++level) {
      loses = sums_.SumAt(m, level) > threshold->sum;
    }
    if (loses) continue;
    ++summed;
    if (entering == 0) {
      m.sum = sums_.SumWithin(m, threshold->sum);
      if (!IsBetterMatch(m, *threshold)) continue;
    } else {
      m.sum = sums_.SumAt(m, levels);
    }
    offered.push_back(m);
  }
  best_.Offer(offered);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - row.start).count();
  progress_.PassRow(double(met), double(summed), seconds);
}

}  // namespace pexora
