#pragma once

#include <cstdint>

#include "Picture.h"

// A busy, colourful, opaque scene of overlapping shapes on a mottled ground.
Picture paintBusyScene(int width, int height, uint64_t seed);
