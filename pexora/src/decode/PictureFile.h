// Decoding picture files: the format told by the contents, each format by
// its own decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Image.h"

namespace pexora {

// Decodes the picture file at the UTF-8 path into ARGB, top row first;
// pictures without alpha come out opaque. Throws StatusError with
// PX_ERROR_LOADING when the file is missing, unreadable or undecodable, and
// PX_ERROR_NOT_ENOUGH_MEMORY when it is larger than kMaxPixels.
Image DecodePictureFile(const std::string& path);

// The same for file contents held in memory. The format is told by the
// contents alone: PNG, JPEG, BMP, GIF or TIFF; anything else is
// PX_ERROR_LOADING.
Image DecodePictureBytes(const uint8_t* data, size_t size);

}  // namespace pexora
