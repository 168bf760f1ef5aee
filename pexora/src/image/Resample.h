// Resampling pictures, with FreeImage's rescaler.
#pragma once

#include <cstdint>

#include "core/Image.h"

namespace pexora {

// The picture resampled to width x height with one of the PX_RESAMPLER_...
// filters (the caller has checked the filter and the size); with alpha, the
// colours are weighted by it, so that transparent pixels lend them nothing.
Image Resample(const Image& picture, int32_t width, int32_t height, int32_t resampler);

// True for the six PX_RESAMPLER_... values.
bool IsKnownResampler(int32_t resampler);

// The working memory of Resample from width x height to newWidth x newHeight:
// the copies of the picture, FreeImage's intermediate picture and its table
// of filter weights (a block per output pixel, of a size that grows with the
// filter and the shrink factor). An upper bound, measured against FreeImage
// 3.18.
int64_t ResampleWorkingBytes(int64_t width, int64_t height, int64_t newWidth, int64_t newHeight, int32_t resampler);

}  // namespace pexora
