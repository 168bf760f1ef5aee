// pexora-find --batch: one picture searched for in many, several at once.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "FindSettings.h"

namespace pexora::find {

// Searches for `searchFor` in every picture that `paths` give (files, and
// folders walked for pictures), each with the search options of `settings`,
// on every hardware thread unless settings say one. Prints each picture's
// matches to `out` in the order of the pictures (text lines "FILE: position
// ...", or with --json one object a picture); a picture that fails is an
// error line (on `err`, or its object with "error") and the batch goes on.
// Returns 0 when some picture had a match, 1 when none had, 2 when every
// picture failed or the search-for picture cannot be loaded.
int RunBatch(const FindSettings& settings, const std::string& searchFor, const std::vector<std::string>& paths,
             std::ostream& out, std::ostream& err, bool progressBar);

}  // namespace pexora::find
