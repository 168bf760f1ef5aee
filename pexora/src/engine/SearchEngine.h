// One comparison: every size of the search-for picture, every position of it
// in the searched picture, on one or several threads.
#pragma once

#include <functional>
#include <vector>

#include "core/Limits.h"
#include "core/Match.h"
#include "image/SearchObject.h"
#include "scan/CompareSettings.h"

namespace pexora {

// Finds the matches of target in searched, merged and ranked (MatchSelection),
// by settings whose arguments passed their checks (CheckCompareArguments).
// Work runs on `threads` threads, the calling thread being one of them;
// `progress` is called only on the calling thread, with whole percents from 0
// to exactly 100. Throws StatusError: PX_ERROR_DIMENSIONS when no size of the
// search-for picture fits into the searched one; PX_ERROR_NOT_ENOUGH_MEMORY,
// before anything is allocated for them, when the channel planes, the
// stretched search-for pictures and their preparation would pass
// kMaxWorkingBytes. Matching positions are held in at most `candidateBytes`
// (and what kMaxWorkingBytes leaves); when more match, the search merges
// them in passes, scanning once more for each. The searched object's planes
// are offered to `cache`.
std::vector<Match> Search(const SearchObject& searched, const SearchObject& target, const CompareSettings& settings,
                          unsigned threads, const std::function<void(double)>& progress,
                          PlaneCache& cache = PlaneCache::Instance(), int64_t candidateBytes = kMaxCandidateBytes);

}  // namespace pexora
