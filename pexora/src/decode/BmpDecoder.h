// Decoding Windows and OS/2 bitmaps (BMP).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Image.h"

namespace pexora {

// Every header version (OS/2 core, Windows 3, 4 and 5), 1, 4 and 8 bits with
// a palette, 16, 24 and 32 bits, bit-field masks with or without alpha,
// RLE4 and RLE8, bottom-up and top-down. Throws StatusError: PX_ERROR_LOADING
// for a broken or unsupported file, including one whose pixel data is cut
// short, and PX_ERROR_NOT_ENOUGH_MEMORY above kMaxPixels.
Image DecodeBmp(const uint8_t* data, size_t size);

}  // namespace pexora
