// Checks shared by the picture decoders.
#pragma once

#include <cstdint>

#include "core/Limits.h"
#include "core/StatusError.h"
#include "pexora/pexora.h"

namespace pexora {

// The file is not a picture this library can read, or its pixels are missing.
[[noreturn]] inline void FailLoading() { throw StatusError(PX_ERROR_LOADING); }

// A size read from a file: sides below 1 are a broken file, more than
// kMaxPixels pixels are refused before anything is allocated for them.
inline void CheckPictureSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) FailLoading();
  if (width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels) {
    throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace pexora
