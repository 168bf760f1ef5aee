// The scan of candidate positions one at a time, without vector instructions.
#pragma once

#include <cstdint>

#include "core/StopToken.h"
#include "image/ChannelPlanes.h"
#include "scan/SearchTemplate.h"

namespace pexora {

// For positions x0 .. x0 + count - 1 of row y writes the number of differing
// pixels, or a value above limit as soon as it exceeds limit. Checks `stop`
// every few hundred microseconds of work.
void ScanRowScalar(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                   int64_t limit, int64_t* differences, const StopToken& stop = StopToken::Never());

// The sum over the compared pixels of PixelDistance at position (x, y), or a
// value above limit as soon as the sum passes it. Checks `stop` every few
// hundred microseconds of work.
uint64_t SumOfDifferences(const ChannelPlanes& in, const SearchTemplate& t, int32_t x, int32_t y,
                          uint64_t limit = UINT64_MAX, const StopToken& stop = StopToken::Never());

}  // namespace pexora
