// Decoding picture files and resampling pictures, with FreeImage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Image.h"

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

// The picture resampled to width x height with one of the PX_RESAMPLER_...
// filters (the caller has checked the filter and the size); with alpha, the
// colours are weighted by it, so that transparent pixels lend them nothing.
Image Resample(const Image& picture, int32_t width, int32_t height, int32_t resampler);

// True for the six PX_RESAMPLER_... values.
bool IsKnownResampler(int32_t resampler);

}  // namespace pexora
