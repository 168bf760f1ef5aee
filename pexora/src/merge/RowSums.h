// Sums of differences a row of search-for pixels at a time, in vector
// registers where the processor has them (picked at run time).
#pragma once

#include <cstdint>

#include "image/ChannelPlanes.h"
#include "merge/TemplateRows.h"

namespace pexora {

// The same sum as SumOfDifferences for the size that t was made from, at
// position (x, y): exact up to `limit`, and a value above `limit` once the
// rows summed so far pass it.
uint64_t SumOfDifferencesByRows(const ChannelPlanes& in, const TemplateRows& t, int32_t x, int32_t y,
                                uint64_t limit = UINT64_MAX);

}  // namespace pexora
