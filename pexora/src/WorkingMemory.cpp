#include "WorkingMemory.h"

#include <algorithm>
#include <cmath>

#include "Limits.h"
#include "SearchTemplate.h"
#include "StatusError.h"
#include "pexora/pexora.h"

namespace pexora {

namespace {

// The half widths of FreeImage's filters, by PX_RESAMPLER_... value.
double FilterWidth(int32_t resampler) {
  switch (resampler) {
    case PX_RESAMPLER_BOX: return 0.5;
    case PX_RESAMPLER_BILINEAR: return 1.0;
    case PX_RESAMPLER_LANCZOS3: return 3.0;
    default: return 2.0;  // bicubic, B-spline, Catmull-Rom
  }
}

// One pass of FreeImage's resize engine along a side: per output pixel a
// 16-byte entry and a separately allocated block of weights (a malloc chunk
// of at least 32 bytes).
int64_t WeightTableBytes(int64_t source, int64_t target, int32_t resampler) {
  if (source == target) return 0;
  const double width = FilterWidth(resampler) * std::max(1.0, double(source) / double(target));
  const int64_t weights = 2 * static_cast<int64_t>(std::ceil(width)) + 1;
  const int64_t chunk = std::max<int64_t>(32, (8 * weights + 8 + 15) / 16 * 16);
  return target * (16 + chunk);
}

}  // namespace

void CheckWorkingBytes(int64_t bytes) {
  if (bytes > kMaxWorkingBytes) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
}

int64_t ResampleWorkingBytes(int64_t width, int64_t height, int64_t newWidth, int64_t newHeight, int32_t resampler) {
  // Bitmaps of 8 bytes a pixel (16-bit RGBA, premultiplied) for pictures with
  // alpha, 4 for opaque ones: the larger is counted.
  constexpr int64_t kPixelBytes = 8;
  // FreeImage filters along the side that shrinks first, or else the width,
  // into an intermediate picture when both sides change.
  int64_t intermediate = 0;
  if (width != newWidth && height != newHeight) {
    intermediate = kPixelBytes * (newWidth <= width ? newWidth * height : width * newHeight);
  }
  const int64_t weights =
      std::max(WeightTableBytes(width, newWidth, resampler), WeightTableBytes(height, newHeight, resampler));
  // The source as a bitmap; the result as a bitmap and the 32-bit picture
  // made of it (opaque: the result, its 32-bit copy and the picture).
  return kPixelBytes * width * height + 12 * newWidth * newHeight + intermediate + weights + (int64_t{1} << 20);
}

int64_t TemplateBytes(int64_t pixels) { return pixels * static_cast<int64_t>(sizeof(TemplatePixel)); }

// The pixels are sorted into a second list as large, by a key of a byte each.
int64_t TemplateBuildingBytes(int64_t pixels) { return TemplateBytes(pixels) + pixels; }

int64_t CandidatesWithin(int64_t budget, int64_t mostKept) {
  if (budget <= 0) return 0;
  const int64_t bothKinds = mostKept * (kCandidateBytes + kKeptMatchBytes);
  if (bothKinds >= budget) return budget / (kCandidateBytes + kKeptMatchBytes);
  return mostKept + (budget - bothKinds) / kCandidateBytes;
}

}  // namespace pexora
