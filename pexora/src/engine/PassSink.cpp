#include "engine/PassSink.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "merge/BoundRows.h"

namespace pexora {

namespace {

// The covered positions of the row that Skips looked at last on this thread,
// for the Take of that row that follows.
struct BlockedRow {
  const void* sink = nullptr;
  int32_t y = 0, width = 0, height = 0;
  std::vector<uint64_t> bits;
};
thread_local BlockedRow lastBlocked;

// The first k >= from, below `end`, whose bit in `bits` is `set` (end if none).
int32_t NextWithBit(const std::vector<uint64_t>& bits, int32_t from, int32_t end, bool set) {
  for (auto k = static_cast<size_t>(from); k < static_cast<size_t>(end);) {
    const uint64_t word = set ? bits[k / 64] : ~bits[k / 64];
    const uint64_t ahead = word >> (k % 64);
    if (ahead != 0) return std::min(end, static_cast<int32_t>(k) + std::countr_zero(ahead));
    k += 64 - k % 64;
  }
  return end;
}

}  // namespace

bool PassSink::Skips(const SearchTemplate& t, int32_t y) {
  // Not even a perfect match at the row's first position would be better
  // than the threshold: none of the row's can be (smaller sizes, once the
  // set holds perfect matches of a larger one).
  if (const std::optional<Match> threshold = best_.Threshold()) {
    if (!IsBetterMatch({covered_.Area().X, y, t.width, t.height, 0, t.Compared(), 0}, *threshold)) return true;
  }
  BlockedRow& row = lastBlocked;
  row.sink = this, row.y = y, row.width = t.width, row.height = t.height;
  const bool anyFree = covered_.BlockedPositions(y, t.width, t.height, row.bits);
  if (anyFree) return false;
  row.sink = nullptr;
  return true;
}

void PassSink::Take(const ScannedRow& row) {
  size_t met = 0, summed = 0;
  if (row.positions > 0) TakeRow(row, met, summed);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - row.start).count();
  progress_.PassRow(double(met), double(summed), seconds);
}

void PassSink::TakeRow(const ScannedRow& row, size_t& met, size_t& summed) {
  const std::optional<Match> threshold = best_.Threshold();
  thread_local std::vector<Match> offered;
  thread_local std::vector<uint32_t> firstBounds;
  BlockedRow& blocked = lastBlocked;
  if (blocked.sink != this || blocked.y != row.y || blocked.width != row.t.width || blocked.height != row.t.height) {
    covered_.BlockedPositions(row.y, row.t.width, row.t.height, blocked.bits);
  }
  blocked.sink = nullptr;
  offered.clear();
  const int levels = sums_.Levels(row.MatchAt(0));  // the same for the row's size
  // Positions are counted from the area's left edge in the bits.
  const int32_t base = row.x0 - covered_.Area().X, end = base + row.positions;
  // The threshold's percentage against each difference, the last one kept.
  int64_t lastDifference = -1;
  int entering = 1;
  for (int32_t from = NextWithBit(blocked.bits, base, end, false); from < end;) {
    const int32_t to = NextWithBit(blocked.bits, from, end, true);
    // Once the set has a threshold, the first level of bounds for a run of
    // free positions at once.
    const int32_t first = from - base, count = to - from;
    bool runBounded = false;
    if (threshold && count >= kLeastRowRun) {
      firstBounds.resize(static_cast<size_t>(count));
      runBounded = sums_.RowBounds(row.MatchAt(first), 0, count, firstBounds.data());
    }
    for (int32_t i = first; i < first + count; ++i) {
      const int64_t difference = row.differences[i];
      if (difference > row.tolerance) continue;
      if (difference != lastDifference) {
        lastDifference = difference;
        entering = threshold ? CompareFraction(row.MatchAt(i), *threshold) : 1;
      }
      if (entering < 0) continue;
      ++met;
      // Within the threshold's percentage, a sum past the threshold's loses,
      // and so does one whose bound passes it: the sum is needed only as far
      // as the threshold's. One that would lose even at the threshold's sum
      // (a smaller size, a later place) loses once a bound reaches that sum:
      // where every position matches perfectly, before any sum.
      Match m = row.MatchAt(i);
      const auto tieLoses = [&] {
        Match at = m;
        at.sum = threshold->sum;
        return !IsBetterMatch(at, *threshold);
      };
      const auto losesAt = [&](uint64_t bound) {
        return bound > threshold->sum || (bound == threshold->sum && tieLoses());
      };
      if (entering == 0 && ((threshold->sum == 0 && tieLoses()) ||
                            (runBounded && losesAt(firstBounds[static_cast<size_t>(i - first)])))) {
        continue;
      }
      bool loses = false;
      for (int level = runBounded ? 1 : 0; entering == 0 && level < levels && !loses; ++level) {
        loses = losesAt(sums_.SumAt(m, level));
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
    from = NextWithBit(blocked.bits, to, end, false);
  }
  best_.Offer(offered);
}

}  // namespace pexora
