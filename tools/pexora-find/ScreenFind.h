// pexora-find on the screen: SEARCH_FOR searched in captures of the screen
// or of one window, once or until a match appears (or goes).
#pragma once

#include <ostream>

#include "FindSettings.h"
#include "ScreenSettings.h"

namespace pexora::find {

// Prints the matches of the last capture to `out` and any error to `err`;
// returns the exit code: found (with --vanish: none left), nothing found
// (with --vanish: still there), or an error, such as no display.
int RunScreenFind(const FindSettings& settings, const ScreenSettings& screen, std::ostream& out, std::ostream& err,
                  bool progressBar);

}  // namespace pexora::find
