// The options record a caller may pass to a comparison, checked and brought
// into the comparison's settings.
#pragma once

#include "pexora/pexora.h"
#include "scan/CompareSettings.h"

namespace pexora {

// What stops a comparison early: its time limit (0: none) and the caller's
// interrupt callback (null: none).
struct StopOptions {
  int32_t timeLimit = 0;
  TPXInterruptCallback interrupt = nullptr;
  void* interruptUser = nullptr;
};

// Reads the record at `options` (null: nothing to do) into `settings`, and
// gives what stops the comparison. `searched` is the size of the picture
// searched in. A record of 1.0's size has no stop fields. Throws
// StatusError(PX_ERROR_INVALID_PARAMETER) for an unknown record size, a region
// that is empty or not inside the picture, a minimal percentage that is NaN
// or outside 0..100, a negative maximal count or time limit.
StopOptions ApplySearchOptions(const TPXSearchOptions* options, TPXDimensions searched, CompareSettings& settings);

}  // namespace pexora
