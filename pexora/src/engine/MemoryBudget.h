// The memory of one comparison, checked before anything is allocated: the
// searched picture's channel planes (unless a search or the cache holds
// them), the sizes of the search-for picture held at a time and their
// preparation, and the work units; the matching positions get what is left.
#pragma once

#include <cstdint>

#include "image/SearchObject.h"
#include "scan/CompareSettings.h"
#include "scan/SizedTemplates.h"

namespace pexora {

struct MemoryBudget {
  // What the scan's preparation takes at most.
  int64_t preparedBytes = 0;
  // The most matching positions held at a time, with MultipleMatches.
  int64_t maxCandidates = 0;
};

// The preparation must fit into kMaxWorkingBytes (CheckWorkingBytes) before
// it begins; the matching positions are held in at most `candidateBytes` and
// what kMaxWorkingBytes leaves.
MemoryBudget PlanMemory(const SearchObject& searched, const Image& target, const TPXRect& area,
                        const SizedTemplates& templates, const CompareSettings& settings, unsigned threads,
                        int64_t candidateBytes);

}  // namespace pexora
