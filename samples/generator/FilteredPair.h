#pragma once

#include <filesystem>
#include <ostream>

#include "Placement.h"

// "SearchInResample.jpg" and "SearchForResample.jpg": one landscape saved at
// two sizes. Writes both, checks them as the program compares them (both
// resampled to 100 x 100 bilinear, relative ARGB, tolerances 15, difference
// tolerance 100), reports the count and throws when the check fails.
Placement makeFilteredPair(const std::filesystem::path& folder, std::ostream& report);
