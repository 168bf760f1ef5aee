// The working memory of the library's big steps, estimated from the sizes
// involved, and the check that refuses a step above kMaxWorkingBytes before
// any of it is allocated.
#pragma once

#include <cstdint>

namespace pexora {

// Throws StatusError(PX_ERROR_NOT_ENOUGH_MEMORY) when bytes pass kMaxWorkingBytes.
void CheckWorkingBytes(int64_t bytes);

// What a matching position costs from the scan to the merged result: as a
// candidate (the scan's lists, gathered, sorted, grouped by percentage), and
// more if it is also kept; each above what was measured (docs/library.md,
// *Measured constants*).
inline constexpr int64_t kCandidateBytes = 176;
inline constexpr int64_t kKeptMatchBytes = 128;

// The most matching positions that `budget` bytes hold when at most
// `mostKept` of them can be kept after merging.
int64_t CandidatesWithin(int64_t budget, int64_t mostKept);

}  // namespace pexora
