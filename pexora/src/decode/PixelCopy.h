// A picture handed over in the caller's memory, copied into an Image.
#pragma once

#include <cstdint>

#include "core/Image.h"

namespace pexora {

// Copies height rows of width 32-bit ARGB words, rows `stride` bytes apart,
// top row first. Throws StatusError: PX_ERROR_DIMENSIONS for a width or height
// below 1, PX_ERROR_INVALID_PARAMETER for null pixels or a stride below
// 4 * width, PX_ERROR_NOT_ENOUGH_MEMORY above kMaxPixels.
Image CopyPixels(int32_t width, int32_t height, int32_t stride, const void* pixels);

}  // namespace pexora
