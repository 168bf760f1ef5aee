// Decoding GIF with giflib.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Image.h"

namespace pexora {

// The first frame, at its own size, interlaced or not; its transparent colour
// (from the graphic control extension before it) has alpha 0, every other
// colour is opaque. Throws StatusError: PX_ERROR_LOADING for a broken file,
// including one whose pixel data ends early, and PX_ERROR_NOT_ENOUGH_MEMORY
// above kMaxPixels.
Image DecodeGif(const uint8_t* data, size_t size);

}  // namespace pexora
