#include "PictureCodec.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "BmpDecoder.h"
#include "DecodeChecks.h"
#include "GifDecoder.h"
#include "JpegDecoder.h"
#include "Limits.h"
#include "StatusError.h"
#include "TiffDecoder.h"
#include "pexora/pexora.h"

namespace pexora {

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct MemoryDeleter {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
using Memory = std::unique_ptr<FIMEMORY, MemoryDeleter>;

void QuietMessage(FREE_IMAGE_FORMAT, const char*) {}

// FreeImage counts its initialisations: this one keeps its plugins alive
// when its own library destructor runs at exit, under calls still running.
void EnsureFreeImage() {
  static std::once_flag once;
  std::call_once(once, [] {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(QuietMessage);
  });
}

// Brings any decoded bitmap to 32 bits per pixel with alpha.
Bitmap To32Bits(FIBITMAP* dib) {
  Bitmap standard;
  switch (FreeImage_GetImageType(dib)) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16:
      break;
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
      const BYTE* p = line + 4 * x;
      out[x] = (uint32_t{p[FI_RGBA_ALPHA]} << 24) | (uint32_t{p[FI_RGBA_RED]} << 16) |
               (uint32_t{p[FI_RGBA_GREEN]} << 8) | uint32_t{p[FI_RGBA_BLUE]};
    }
  }
  return image;
}

Bitmap ToBitmap32(const Image& image) {
  Bitmap dib(FreeImage_Allocate(image.width, image.height, 32, FI_RGBA_RED_MASK,
                                FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
  if (!dib) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  for (int32_t y = 0; y < image.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), image.height - 1 - y);
    const uint32_t* in = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    for (int32_t x = 0; x < image.width; ++x) {
      BYTE* p = line + 4 * x;
      p[FI_RGBA_ALPHA] = static_cast<BYTE>(AlphaOf(in[x]));
      p[FI_RGBA_RED] = static_cast<BYTE>(RedOf(in[x]));
      p[FI_RGBA_GREEN] = static_cast<BYTE>(GreenOf(in[x]));
      p[FI_RGBA_BLUE] = static_cast<BYTE>(BlueOf(in[x]));
    }
  }
  return dib;
}

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length) {
  return size >= length && std::memcmp(data, signature, length) == 0;
}

enum class FileFormat { kUnknown, kPng, kJpeg, kBmp, kGif, kTiff };

// The format told by the file's first bytes, among the formats this library
// reads. FreeImage's own decoders of the rarer formats do not withstand
// hostile files (fuzzing found out-of-bounds accesses in them), so only these
// are read.
FileFormat SniffFormat(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return FileFormat::kPng;
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return FileFormat::kJpeg;
  if (StartsWith(data, size, "BM", 2)) return FileFormat::kBmp;
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return FileFormat::kGif;
  if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4)) return FileFormat::kTiff;
  return FileFormat::kUnknown;
}

// PNG goes through FreeImage, which hands it to libpng and passes libpng's
// errors on: a file cut short fails.
Image DecodePng(const uint8_t* data, size_t size) {
  EnsureFreeImage();
  Memory memory(FreeImage_OpenMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)));
  if (!memory) FailLoading();
  // The header alone first, so that a file that claims a huge size is
  // refused before its pixels are allocated.
  Bitmap header(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), FIF_LOAD_NOPIXELS));
  if (!header) FailLoading();
  CheckPictureSize(FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()));
  FreeImage_SeekMemory(memory.get(), 0, SEEK_SET);
  Bitmap decoded(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), 0));
  if (!decoded || !FreeImage_HasPixels(decoded.get())) FailLoading();
  CheckPictureSize(FreeImage_GetWidth(decoded.get()), FreeImage_GetHeight(decoded.get()));
  Bitmap argb = To32Bits(decoded.get());
  return FromBitmap32(argb.get());
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) FailLoading();
  const auto size = std::filesystem::file_size(path, error);
  if (error) FailLoading();
  if (size > static_cast<uintmax_t>(kMaxFileBytes)) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) FailLoading();
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    FailLoading();
  }
  return bytes;
}

}  // namespace

bool IsKnownResampler(int32_t resampler) {
  return resampler >= PX_RESAMPLER_BOX && resampler <= PX_RESAMPLER_LANCZOS3;
}

Image DecodePictureBytes(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0 || size > static_cast<size_t>(kMaxFileBytes)) FailLoading();
  switch (SniffFormat(data, size)) {
    case FileFormat::kPng: return DecodePng(data, size);
    case FileFormat::kJpeg: return DecodeJpeg(data, size);
    case FileFormat::kBmp: return DecodeBmp(data, size);
    case FileFormat::kGif: return DecodeGif(data, size);
    case FileFormat::kTiff: return DecodeTiff(data, size);
    case FileFormat::kUnknown: break;
  }
  FailLoading();
}

Image DecodePictureFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return DecodePictureBytes(bytes.data(), bytes.size());
}

Image Resample(const Image& picture, int32_t width, int32_t height, int32_t resampler) {
  EnsureFreeImage();
  if (int64_t{width} * height > kMaxPixels) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  const auto filter = static_cast<FREE_IMAGE_FILTER>(resampler);
  const bool opaque = std::all_of(picture.pixels.begin(), picture.pixels.end(),
                                  [](uint32_t p) { return AlphaOf(p) == 255; });
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

}  // namespace pexora
