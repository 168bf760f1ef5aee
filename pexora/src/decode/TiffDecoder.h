// Decoding TIFF with libtiff.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Image.h"

namespace pexora {

// The first picture of the file, in every layout libtiff's RGBA interface
// reads (1 to 16 bits, grey, palette, RGB, YCbCr, CMYK, strips and tiles,
// every compression it was built with), turned upright by the Orientation tag
// (all eight values), with straight alpha whether the file stores it
// associated (premultiplied) or not. libtiff's messages never reach the
// caller's streams. Throws StatusError: PX_ERROR_LOADING for a broken or
// unsupported file (floating-point samples among them), including one whose
// strips or tiles are missing or cut short, and PX_ERROR_NOT_ENOUGH_MEMORY
// above kMaxPixels or when one allocation of libtiff would pass
// kMaxDecoderBytes.
Image DecodeTiff(const uint8_t* data, size_t size);

}  // namespace pexora
