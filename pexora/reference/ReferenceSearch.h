// A plain, unoptimised search by the same rules as the engine: every size,
// every position, every pixel in row order, one thread. The tests hold the
// engine to it and the benchmarks measure the engine against it.
#pragma once

#include <cstdint>
#include <vector>

#include "Image.h"
#include "Match.h"
#include "pexora/pexora.h"

namespace pexora::reference {

struct Outcome {
  int32_t code = PX_OK;
  std::vector<Match> matches;  // best first
};

Outcome Search(const Image& searched, const Image& target, const TPXProcessParameters& parameters);

}  // namespace pexora::reference
