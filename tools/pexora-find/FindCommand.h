// One run of pexora-find: both pictures loaded, searched, the matches printed.
#pragma once

#include <ostream>

#include "FindSettings.h"

namespace pexora::find {

inline constexpr int kExitFound = 0;
inline constexpr int kExitNothingFound = 1;
inline constexpr int kExitError = 2;

// Prints the matches to `out` and any error to `err`; returns the exit code.
int RunFind(const FindSettings& settings, std::ostream& out, std::ostream& err, bool progressBar);

}  // namespace pexora::find
