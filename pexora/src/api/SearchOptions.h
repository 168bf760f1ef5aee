// The options record a caller may pass to a comparison: read by its size and
// brought into the comparison's settings.
#pragma once

#include <cstdint>

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

// The Size field of the record at `options`, which comes first and says how
// much of the record there is.
uint32_t SearchOptionsSize(const TPXSearchOptions* options);
// Whether a record of this size is one the library knows: 1.0's or today's.
bool IsKnownSearchOptionsSize(uint32_t size);

// The record at `options` (null: every field zero), read as far as its known
// size goes; the fields past it count as zero. A record of 1.0's size has no
// stop fields.
TPXSearchOptions ReadSearchOptions(const TPXSearchOptions* options);

// Whether the region lies inside a picture of the given size and is not empty.
bool IsInside(const TPXRect& region, TPXDimensions picture);

// Brings checked options (CheckCompareArguments) into `settings` and gives
// what stops the comparison.
StopOptions ApplySearchOptions(const TPXSearchOptions& options, CompareSettings& settings);

}  // namespace pexora
