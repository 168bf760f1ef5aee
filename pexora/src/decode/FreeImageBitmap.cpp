#include "decode/FreeImageBitmap.h"

#include <mutex>

#include "core/StatusError.h"
#include "decode/DecodeChecks.h"
#include "pexora/pexora.h"

namespace pexora {

namespace {

void QuietMessage(FREE_IMAGE_FORMAT, const char*) {}

}  // namespace

void EnsureFreeImage() {
  static std::once_flag once;
  std::call_once(once, [] {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(QuietMessage);
  });
}

Bitmap To32Bits(FIBITMAP* dib) {
  Bitmap standard;
  switch (FreeImage_GetImageType(dib)) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16: break;
    case FIT_RGBF:
    case FIT_RGBAF:
      standard.reset(FreeImage_ToneMapping(dib, FITMO_DRAGO03));
      if (!standard) FailLoading();
      dib = standard.get();
      break;
    default:
      standard.reset(FreeImage_ConvertToStandardType(dib, TRUE));
      if (!standard) FailLoading();
      dib = standard.get();
      break;
  }
  Bitmap converted(FreeImage_ConvertTo32Bits(dib));
  if (!converted) FailLoading();
  return converted;
}

Image FromBitmap32(FIBITMAP* dib) {
  Image image;
  image.width = static_cast<int32_t>(FreeImage_GetWidth(dib));
  image.height = static_cast<int32_t>(FreeImage_GetHeight(dib));
  CheckPictureSize(image.width, image.height);
  image.pixels.resize(static_cast<size_t>(image.PixelCount()));
  for (int32_t y = 0; y < image.height; ++y) {
    // FreeImage keeps the bottom row first.
    const BYTE* line = FreeImage_GetScanLine(dib, image.height - 1 - y);
    uint32_t* out = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    for (int32_t x = 0; x < image.width; ++x) {
      const BYTE* p = line + 4 * static_cast<size_t>(x);
      out[x] = (uint32_t{p[FI_RGBA_ALPHA]} << 24) | (uint32_t{p[FI_RGBA_RED]} << 16) |
               (uint32_t{p[FI_RGBA_GREEN]} << 8) | uint32_t{p[FI_RGBA_BLUE]};
    }
  }
  return image;
}

Bitmap ToBitmap32(const Image& image) {
  Bitmap dib(
      FreeImage_Allocate(image.width, image.height, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
  if (!dib) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  for (int32_t y = 0; y < image.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), image.height - 1 - y);
    const uint32_t* in = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    for (int32_t x = 0; x < image.width; ++x) {
      BYTE* p = line + 4 * static_cast<size_t>(x);
      p[FI_RGBA_ALPHA] = static_cast<BYTE>(AlphaOf(in[x]));
      p[FI_RGBA_RED] = static_cast<BYTE>(RedOf(in[x]));
      p[FI_RGBA_GREEN] = static_cast<BYTE>(GreenOf(in[x]));
      p[FI_RGBA_BLUE] = static_cast<BYTE>(BlueOf(in[x]));
    }
  }
  return dib;
}

}  // namespace pexora
