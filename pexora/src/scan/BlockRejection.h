// Rejects blocks of neighbouring positions at once. A search-for pixel
// differs at every position of a block when what it accepts misses the least
// .. greatest value that the searched pixels it meets over the block show in
// some compared channel (RunBounds); a block whose pixels that differ
// everywhere pass the limit holds no position within it. The AHSL hue is left
// out of the bound, so it counts no more than every position of the block
// differs in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/StopToken.h"
#include "image/ChannelPlanes.h"
#include "scan/SearchTemplate.h"

namespace pexora {

// The least limit at which a scan makes the planes' run bounds when no scan
// has yet: below it, on a fresh 1920 x 1080 picture, making them costs more
// than they save in one search; for a picture searched again, whose bounds
// serve the searches after it, the least limit is kRunBoundsAgainFromLimit
// (docs/library.md, *Measured constants*).
inline constexpr int64_t kRunBoundsFromLimit = 256;
inline constexpr int64_t kRunBoundsAgainFromLimit = 32;

// Tries the blocks of each width of the planes' run bounds in turn (the next
// width only on the positions that the last left) on positions x0 .. x0 +
// count - 1 of row y, and sets rejected[k] to 1 where position x0 + k has
// more than `limit` differing pixels for certain; leaves the other entries.
// Does nothing without run bounds (below kRunBoundsFromLimit, unless an
// earlier scan made them) or for limits of 65535 and more. Adds the
// pixels it tests to sinceStop and checks `stop` whenever that passes
// kStopInterval.
void RejectBlocks(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count, int64_t limit,
                  uint8_t* rejected, size_t& sinceStop, const StopToken& stop);

}  // namespace pexora
