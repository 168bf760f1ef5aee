#include "image/Resample.h"

#include <algorithm>
#include <cmath>

#include "core/Limits.h"
#include "core/StatusError.h"
#include "decode/FreeImageBitmap.h"
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

bool IsKnownResampler(int32_t resampler) { return resampler >= PX_RESAMPLER_BOX && resampler <= PX_RESAMPLER_LANCZOS3; }

Image Resample(const Image& picture, int32_t width, int32_t height, int32_t resampler) {
  EnsureFreeImage();
  if (int64_t{width} * height > kMaxPixels) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  const auto filter = static_cast<FREE_IMAGE_FILTER>(resampler);
  const bool opaque =
      std::all_of(picture.pixels.begin(), picture.pixels.end(), [](uint32_t p) { return AlphaOf(p) == 255; });
  if (opaque) {
    Bitmap source = ToBitmap32(picture);
    Bitmap scaled(FreeImage_Rescale(source.get(), width, height, filter));
    if (!scaled) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
    Bitmap argb = To32Bits(scaled.get());
    return FromBitmap32(argb.get());
  }

  // With transparency, each colour is weighted by its alpha before filtering
  // (premultiplied) and divided by the filtered alpha after, so that the
  // colour of transparent pixels, which nobody sees, does not bleed into the
  // visible ones. In 16 bits with alpha scaled to 128 x A, which leaves room
  // for the overshoot of the sharper filters.
  constexpr uint32_t kAlphaScale = 128;
  Bitmap source(FreeImage_AllocateT(FIT_RGBA16, picture.width, picture.height));
  if (!source) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  const auto premultiplied = [](uint32_t colour, uint32_t alpha) {
    return static_cast<WORD>((2 * colour * alpha * kAlphaScale + 255) / 510);
  };
  for (int32_t y = 0; y < picture.height; ++y) {
    auto* line = reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(source.get(), picture.height - 1 - y));
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y), alpha = AlphaOf(p);
      line[x] = {premultiplied(RedOf(p), alpha), premultiplied(GreenOf(p), alpha), premultiplied(BlueOf(p), alpha),
                 static_cast<WORD>(alpha * kAlphaScale)};
    }
  }
  Bitmap scaled(FreeImage_Rescale(source.get(), width, height, filter));
  if (!scaled) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(image.PixelCount()));
  for (int32_t y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const FIRGBA16*>(FreeImage_GetScanLine(scaled.get(), height - 1 - y));
    uint32_t* out = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t weight = line[x].alpha;
      const uint32_t alpha = std::min<uint32_t>(255, (weight + kAlphaScale / 2) / kAlphaScale);
      if (alpha == 0) {
        out[x] = 0;  // transparent: the colour means nothing
        continue;
      }
      const auto divided = [weight](uint32_t colour) {
        return std::min<uint32_t>(255, (2 * colour * 255 + weight) / (2 * weight));
      };
      out[x] = (alpha << 24) | (divided(line[x].red) << 16) | (divided(line[x].green) << 8) | divided(line[x].blue);
    }
  }
  return image;
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

}  // namespace pexora
