// A first threshold for a pass of the merge in passes, from a sample of the
// positions still undecided. Without one, a pass gives every position it
// meets its exact sum until its set is full: the first millions, however
// bad. With one, a position not better than it is left at its bound. The
// threshold is aimed so that a little fewer positions than the set holds are
// better: the pass then holds all of them, which are the best undecided ones
// as ever, and the next pass goes on from there; if more are, the set fills
// and its own threshold takes over.
#pragma once

#include <cstddef>
#include <optional>

#include "core/Match.h"
#include "engine/FullScan.h"
#include "merge/CandidateSums.h"
#include "merge/CoveredArea.h"

namespace pexora {

struct PassStart {
  // Nothing when the sample is too small to aim (a set that holds few of the
  // positions there are) or when it tells that the set holds every
  // undecided matching position.
  std::optional<Match> threshold;
  // The undecided matching positions, as the sample tells; below 0 when no
  // sample was taken.
  double undecided = -1;
};
PassStart PassThreshold(ScanJob& job, const CoveredArea& covered, CandidateSums& sums, size_t capacity);

}  // namespace pexora
