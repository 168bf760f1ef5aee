// The options record a caller may pass to a comparison, checked and brought
// into the comparison's settings.
#pragma once

#include "pexora/pexora.h"
#include "scan/CompareSettings.h"

namespace pexora {

// Reads the record at `options` (null: nothing to do) into `settings`.
// `searched` is the size of the picture searched in. Throws
// StatusError(PX_ERROR_INVALID_PARAMETER) for an unknown record size, a region
// that is empty or not inside the picture, a minimal percentage that is NaN
// or outside 0..100, a negative maximal count.
void ApplySearchOptions(const TPXSearchOptions* options, TPXDimensions searched, CompareSettings& settings);

}  // namespace pexora
