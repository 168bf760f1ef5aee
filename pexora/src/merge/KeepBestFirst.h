// The decisions of a batch of matches with exact sums, as a merge in passes
// takes them: best first (IsBetterMatch), a match is kept unless it overlaps
// a covered pixel, and covers its pixels once kept. The batch is sorted a
// part at a time, least first, and what the matches kept by then cover is
// dropped before the next part is sorted: in a dense search most of a batch
// is, and sorting millions that are dropped anyway took most of the
// decision's time.
#pragma once

#include <cstddef>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "merge/CoveredArea.h"
#include "merge/ParallelSort.h"

namespace pexora {

// Appends what it keeps of `batch` to `kept`, best first, and covers it in
// `covered`; stops once `kept` holds `most` matches (when above 0), as later
// ones are worse. Runs sorts and drops through `run`.
void KeepBestFirst(std::vector<Match> batch, CoveredArea& covered, std::vector<Match>& kept, size_t most,
                   const ParallelFor& run, const StopToken& stop);

}  // namespace pexora
