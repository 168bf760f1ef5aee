// The undecided matching positions of a pass of the merge in passes: those
// that no kept match overlaps and that can still enter the pass's set of
// best positions, offered with their exact sums; those that cannot enter are
// left without their sums where the match percentage or a bound tells.
#pragma once

#include "engine/RowSink.h"
#include "engine/ScanProgress.h"
#include "merge/BestCandidates.h"
#include "merge/CandidateSums.h"
#include "merge/CoveredArea.h"
#include "merge/MatchSelection.h"

namespace pexora {

class PassSink : public RowSink {
 public:
  PassSink(BestCandidates& best, const CoveredArea& covered, CandidateSums& sums, ScanProgress& progress)
      : best_(best), covered_(covered), sums_(sums), progress_(progress) {}

  // Rows whose every position overlaps a kept match.
  bool Skips(const SearchTemplate& t, int32_t y) override;
  void Take(const ScannedRow& row) override;

 private:
  // A row with positions: counts those met and those summed.
  void TakeRow(const ScannedRow& row, size_t& met, size_t& summed);

  BestCandidates& best_;
  const CoveredArea& covered_;
  CandidateSums& sums_;
  ScanProgress& progress_;
};

}  // namespace pexora
