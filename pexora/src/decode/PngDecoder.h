// Decoding PNG, through FreeImage and libpng.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Image.h"

namespace pexora {

// Every PNG colour type and depth, brought to ARGB (pictures without alpha
// come out opaque). Throws StatusError: PX_ERROR_LOADING for a broken file,
// also one cut short (libpng's errors are passed on), and
// PX_ERROR_NOT_ENOUGH_MEMORY above kMaxPixels, told from the header before
// the pixels are allocated.
Image DecodePng(const uint8_t* data, size_t size);

}  // namespace pexora
