// A plain, unoptimised search by the same rules as the engine: every size,
// every position, every pixel in row order, one thread. The tests hold the
// engine to it and the benchmarks measure the engine against it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Image.h"
#include "core/Match.h"
#include "pexora/pexora.h"

namespace pexora::reference {

struct Outcome {
  int32_t code = PX_OK;
  std::vector<Match> matches;  // best first
};

// With options (valid ones; the reference does not check them), the search
// runs on a copy of the region, positions are moved back into the whole
// picture, positions below the minimal percentage are dropped before
// overlaps are merged, and the merged list is cut to the maximal count.
Outcome Search(const Image& searched, const Image& target, const TPXProcessParameters& parameters,
               const TPXSearchOptions* options = nullptr);

}  // namespace pexora::reference
