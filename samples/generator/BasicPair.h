#pragma once

#include <filesystem>
#include <ostream>

#include "Placement.h"

// "SearchIn2.jpg" and "SearchFor2.jpg": a screenshot saved as JPEG and a crop
// of it saved as JPEG on its own. Writes both, checks them with the program's
// defaults (relative ARGB, tolerances 15, difference tolerance 150) and with
// tolerance 0, reports the counts and throws when a check fails.
Placement makeBasicPair(const std::filesystem::path& folder, std::ostream& report);
