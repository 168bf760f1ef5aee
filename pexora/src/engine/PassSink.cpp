#include "engine/PassSink.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace pexora {

void PassSink::Take(const ScannedRow& row) {
  const std::optional<Match> threshold = best_.Threshold();
  thread_local std::vector<Match> offered;
  thread_local std::vector<uint64_t> columns;
  offered.clear();
  size_t met = 0, summed = 0;
  covered_.CoveredColumns(row.y, row.t.height, columns);
  for (int32_t i = 0; i < row.positions; ++i) {
    if (row.differences[i] > row.tolerance) continue;
    Match m = row.MatchAt(i);
    const int entering = threshold ? CompareFraction(m, *threshold) : 1;
    if (entering < 0) continue;
    if (covered_.AnyInColumns(columns, m.x, m.width)) continue;
    ++met;
    // Within the threshold's percentage, a sum past the threshold's loses,
    // and so does one whose bound passes it.
    const int levels = sums_.Levels(m);
    bool loses = false;
    for (int level = 0; entering == 0 && level < levels && !loses; ++level) {
      loses = sums_.SumAt(m, level) > threshold->sum;
    }
    if (loses) continue;
    m.sum = sums_.SumAt(m, levels);
    ++summed;
    if (entering == 0 && !IsBetterMatch(m, *threshold)) continue;
    offered.push_back(m);
  }
  best_.Offer(offered);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - row.start).count();
  progress_.PassRow(double(met), double(summed), seconds);
}

}  // namespace pexora
