// The sizes a search-for picture is stretched to.
#pragma once

#include <cstdint>
#include <vector>

#include "pexora/pexora.h"

namespace pexora {

// Every size of a width x height picture, aspect ratio kept (the shorter side
// rounded to nearest, at least 1), whose longer side steps by one pixel and
// whose sides lie within minimal .. maximal (sides below 1 count as 1) and
// within limit, smallest first.
std::vector<TPXDimensions> StretchSizes(int32_t width, int32_t height, TPXDimensions minimal, TPXDimensions maximal,
                                        TPXDimensions limit);

}  // namespace pexora
