// The scan of candidate positions, many at a time in vector registers where
// the processor has them (the best instruction set is picked at run time).
#pragma once

#include <cstdint>

#include "core/StopToken.h"
#include "image/ChannelPlanes.h"
#include "scan/SearchTemplate.h"

namespace pexora {

// For positions x0 .. x0 + count - 1 of row y writes the number of differing
// pixels, or a value above limit once it exceeds limit: the same answers as
// ScanRowScalar. Checks `stop` every few hundred microseconds of work.
void ScanRow(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count, int64_t limit,
             int64_t* differences, const StopToken& stop = StopToken::Never());

}  // namespace pexora
