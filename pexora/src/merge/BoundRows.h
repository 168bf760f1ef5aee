// A level of SumBounds for a row of positions at once, in vector
// registers where the processor has them (picked at run time): box sums of
// neighbouring positions lie side by side in the integral images.
#pragma once

#include <cstdint>

#include "merge/PlaneSums.h"
#include "merge/SumBounds.h"

namespace pexora {

// Runs of neighbouring positions shorter than this are bounded a position
// at a time (SumBounds::Bound) rather than through BoundsOfRow.
inline constexpr int32_t kLeastRowRun = 8;

// Bounds of a row are capped here; below the cap they are exact.
inline constexpr uint32_t kBoundRowCap = uint32_t{1} << 31;

// For positions x0 .. x0 + count - 1 of row y, min(bounds.Bound(sums,
// level, x, y), kBoundRowCap); level below bounds.Levels().
void BoundsOfRow(const PlaneSums& sums, const SumBounds& bounds, int level, int32_t x0, int32_t y, int32_t count,
                 uint32_t* out);

}  // namespace pexora
