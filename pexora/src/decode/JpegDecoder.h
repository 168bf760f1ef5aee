// Decoding JPEG with libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Image.h"

namespace pexora {

// Baseline and progressive, grey, YCbCr, RGB and CMYK, decoded with the
// accurate integer transform; opaque. Throws StatusError: PX_ERROR_LOADING
// for a broken file, including one whose compressed data ends early or is
// corrupt, and PX_ERROR_NOT_ENOUGH_MEMORY above kMaxPixels or when the
// decoder would need more than kMaxDecoderBytes.
Image DecodeJpeg(const uint8_t* data, size_t size);

}  // namespace pexora
