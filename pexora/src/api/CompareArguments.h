// The checks of a comparison's arguments, all in one place and in the order
// that Pexora_Compare's contract gives them; what passes them is brought into
// the comparison's settings. What only the sizes tell (no size fits, the
// working memory) the comparison checks next (Search).
#pragma once

#include "api/SearchOptions.h"
#include "image/SearchObject.h"
#include "pexora/pexora.h"
#include "scan/CompareSettings.h"

namespace pexora {

struct CompareArguments {
  CompareSettings settings;
  StopOptions stopping;
};

// `searched` and `target` are the objects the records name (null: none).
// Throws StatusError: PX_ERROR_OBJECT when either is null;
// PX_ERROR_NOT_AVAILABLE for an unknown CompareType, then for an unknown
// StretchResampler with StretchCompare; PX_ERROR_INVALID_PARAMETER for the
// options record: an unknown Size, a region that is empty or not inside the
// searched picture, a MinimalMatchPercentage that is NaN or outside 0..100, a
// negative MaximalMatchCount or TimeLimit; PX_ERROR_UNKNOWN for a null result.
CompareArguments CheckCompareArguments(const SearchObject* searched, const SearchObject* target,
                                       const TPXProcessParameters& parameters, const TPXSearchOptions* options,
                                       const TPXResult* result);

}  // namespace pexora
