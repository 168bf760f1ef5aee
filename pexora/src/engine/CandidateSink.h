// The matching positions of the first scan of a comparison that wants many
// matches, collected per work unit for the merge, up to a number that fits
// the memory. Past that number the merge will run in passes, which need
// nothing more from this scan than what they will cost: each row's time and
// its matching positions, timed as far again as the scan had come and left
// unscanned after that (a billion positions that all match cost minutes
// to scan once more for nothing).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "engine/RowSink.h"
#include "engine/ScanProgress.h"

namespace pexora {

class CandidateSink : public RowSink {
 public:
  CandidateSink(size_t units, int64_t maxCandidates, ScanProgress& progress, const StopToken& stop)
      : found_(units), maxCandidates_(maxCandidates), progress_(progress), stop_(stop) {}

  // Rows past the room, once as many have been timed as came before it.
  bool Skips(const SearchTemplate& t, int32_t y) override;
  void Take(const ScannedRow& row) override;

  // Whether more positions matched than the room holds.
  bool Overflowed() const { return overflow_.load(); }

  // Every collected position, in the order of the units; the lists are let go.
  std::vector<Match> Gather();

  // What the sink holds per work unit besides its positions.
  static constexpr int64_t kBytesPerUnit = 48;

 private:
  // A unit's row of one size: its matching positions, each in 8 bytes
  // (a dense search holds millions of them, and a stopped one lets them go
  // while the caller waits).
  struct RowMatches {
    struct Position {
      int32_t x;
      uint32_t difference;
    };
    int32_t y = 0, width = 0, height = 0;
    int64_t compared = 0;
    std::vector<Position> positions;

    Match At(const Position& p) const { return {p.x, y, width, height, p.difference, compared, 0}; }
  };

  static_assert(sizeof(RowMatches) <= kBytesPerUnit);
  std::vector<RowMatches> found_;  // per unit
  const int64_t maxCandidates_;
  ScanProgress& progress_;
  const StopToken& stop_;
  std::atomic<size_t> candidatesFound_{0}, rowsScanned_{0}, rowsBefore_{0}, rowsAfter_{0};
  std::atomic<bool> overflow_{false};
};

}  // namespace pexora
