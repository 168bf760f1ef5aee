// The working memory of the library's big steps, estimated from the sizes
// involved, and the check that refuses a step above kMaxWorkingBytes before
// any of it is allocated.
#pragma once

#include <cstdint>

namespace pexora {

// Throws StatusError(PX_ERROR_NOT_ENOUGH_MEMORY) when bytes pass kMaxWorkingBytes.
void CheckWorkingBytes(int64_t bytes);

// Resampling a width x height picture to newWidth x newHeight (Resample, with
// FreeImage's rescaler, premultiplied in 16 bits when the picture has alpha):
// the copies of the picture, FreeImage's intermediate picture and its table
// of filter weights (a block per output pixel, of a size that grows with the
// filter and the shrink factor). An upper bound, measured against FreeImage
// 3.18.
int64_t ResampleWorkingBytes(int64_t width, int64_t height, int64_t newWidth, int64_t newHeight, int32_t resampler);

// The search-for picture prepared at one size (SearchTemplate), and what its
// making takes besides (the sorted copy of its pixels and their sort keys).
int64_t TemplateBytes(int64_t pixels);
int64_t TemplateBuildingBytes(int64_t pixels);

// What a matching position costs from the scan to the merged result: as a
// candidate (the scan's lists, gathered, sorted, grouped by percentage;
// measured 170 bytes), and more if it is also kept (measured up to 89).
inline constexpr int64_t kCandidateBytes = 176;
inline constexpr int64_t kKeptMatchBytes = 128;

// The most matching positions that `budget` bytes hold when at most
// `mostKept` of them can be kept after merging.
int64_t CandidatesWithin(int64_t budget, int64_t mostKept);

}  // namespace pexora
