// Where a scanned row goes: the scan counts each position's differing pixels
// and hands the row to one sink, chosen once per scan (the best match so
// far, the collected candidates, or a pass's undecided positions). Sinks
// take rows from several threads at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "core/Match.h"
#include "scan/SearchTemplate.h"

namespace pexora {

struct ScannedRow {
  const SearchTemplate& t;
  int32_t x0 = 0;  // the first position
  int32_t y = 0;
  int32_t positions = 0;
  // Per position its differing pixels, or a value above `tolerance` once
  // they passed it: a position matches when it is at most `tolerance`.
  const int64_t* differences = nullptr;
  int64_t tolerance = 0;
  size_t unit = 0;                              // the work unit, for sinks that keep something per unit
  std::chrono::steady_clock::time_point start;  // when the row's scan began

  Match MatchAt(int32_t i) const { return {x0 + i, y, t.width, t.height, differences[i], t.Compared(), 0}; }
};

class RowSink {
 public:
  virtual ~RowSink() = default;
  // Whether the sink would take no position of row y of t whatever its
  // differences: the scan then hands it on with no positions, unscanned.
  virtual bool Skips(const SearchTemplate& /*t*/, int32_t /*y*/) { return false; }
  virtual void Take(const ScannedRow& row) = 0;
};

}  // namespace pexora
