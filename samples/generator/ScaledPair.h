#pragma once

#include <filesystem>
#include <ostream>

#include "Placement.h"

// "SearchInAlphaStretched.PNG" and "SearchForAlpha.png": a busy scene with the
// badge icon stamped in at a size other than its own, and the icon itself with
// its transparent background. Writes both, checks them with the program's
// defaults (relative ARGB with alpha, tolerances 15, difference tolerance 45,
// the icon stretched bilinearly), reports the counts and throws when a check
// fails.
Placement makeScaledPair(const std::filesystem::path& folder, std::ostream& report);
