#pragma once

#include <cstdint>

#include "Picture.h"

// A photograph-like landscape: sky with clouds, sun, mountain ranges, a lake
// with a reflection, trees on the shore. Drawn to any size with the same
// content, so one scene can be saved at several sizes.
Picture paintLandscapeScene(int width, int height, uint64_t seed);
