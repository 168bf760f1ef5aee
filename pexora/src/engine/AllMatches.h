// A comparison that wants every match: the matching positions are collected,
// up to a number that fits the memory, and merged. When more positions
// match, the merge runs in passes instead: each pass scans again and keeps
// the best positions not yet decided, as many as fit; these are decided in
// order, best first, as the merge of all would decide them. A decided
// position was kept or overlaps a kept match, so the undecided ones are
// those that overlap none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Match.h"
#include "engine/FullScan.h"

namespace pexora {

// How many positions a pass keeps: it and the sorted batch taken from it
// fit in the room for `maxCandidates` collected positions.
size_t PassCapacity(int64_t maxCandidates);

// The merged matches, best first, holding at most `maxCandidates` matching
// positions at a time.
std::vector<Match> FindAllMatches(ScanJob& job, int64_t maxCandidates);

}  // namespace pexora
