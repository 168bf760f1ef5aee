#include "FreeImageLoaderTestPictures.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstring>

namespace FreeImageLoaderTestPictures {

namespace {

FREE_IMAGE_FORMAT Fif(Format format) {
  switch (format) {
    case Format::Bmp: return FIF_BMP;
    case Format::Png: return FIF_PNG;
    case Format::Jpeg: return FIF_JPEG;
    case Format::Targa: return FIF_TARGA;
    case Format::Ico: return FIF_ICO;
  }
  return FIF_UNKNOWN;
}

unsigned Bpp(Depth depth) {
  switch (depth) {
    case Depth::Bits1: return 1;
    case Depth::Bits4: return 4;
    case Depth::Bits8: return 8;
    case Depth::Bits16_555:
    case Depth::Bits16_565: return 16;
    case Depth::Bits24: return 24;
    case Depth::Bits32: return 32;
  }
  return 0;
}

std::uint32_t R(std::uint32_t c) { return (c >> 16) & 0xFF; }
std::uint32_t G(std::uint32_t c) { return (c >> 8) & 0xFF; }
std::uint32_t B(std::uint32_t c) { return c & 0xFF; }

QByteArray Name(const QString& path) { return path.toUtf8(); }

}  // namespace

bool Write(const QString& path, const Pixels& pixels, Depth depth, Format format) {
  const unsigned bpp = Bpp(depth);
  FIBITMAP* dib = depth == Depth::Bits16_565   ? FreeImage_Allocate(pixels.width, pixels.height, 16, FI16_565_RED_MASK,
                                                                    FI16_565_GREEN_MASK, FI16_565_BLUE_MASK)
                  : depth == Depth::Bits16_555 ? FreeImage_Allocate(pixels.width, pixels.height, 16, FI16_555_RED_MASK,
                                                                    FI16_555_GREEN_MASK, FI16_555_BLUE_MASK)
                                               : FreeImage_Allocate(pixels.width, pixels.height, static_cast<int>(bpp));
  if (!dib) return false;

  std::vector<std::uint32_t> colours;  // palette depths: colour i sits at index size - 1 - i
  if (bpp <= 8) {
    RGBQUAD* palette = FreeImage_GetPalette(dib);
    std::memset(palette, 0, sizeof(RGBQUAD) << bpp);
  }
  for (int y = 0; y < pixels.height; ++y) {
    // FreeImage counts rows from the bottom.
    BYTE* line = FreeImage_GetScanLine(dib, pixels.height - 1 - y);
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t c = pixels.At(x, y);
      if (bpp <= 8) {
        auto found = std::find(colours.begin(), colours.end(), c & 0xFFFFFF);
        if (found == colours.end()) {
          colours.push_back(c & 0xFFFFFF);
          found = colours.end() - 1;
        }
        BYTE index = static_cast<BYTE>((1u << bpp) - 1 - (found - colours.begin()));
        RGBQUAD& entry = FreeImage_GetPalette(dib)[index];
        entry.rgbRed = static_cast<BYTE>(R(c));
        entry.rgbGreen = static_cast<BYTE>(G(c));
        entry.rgbBlue = static_cast<BYTE>(B(c));
        FreeImage_SetPixelIndex(dib, x, pixels.height - 1 - y, &index);
      } else if (bpp == 16) {
        const std::uint16_t word =
            depth == Depth::Bits16_565
                ? static_cast<std::uint16_t>(((R(c) >> 3) << 11) | ((G(c) >> 2) << 5) | (B(c) >> 3))
                : static_cast<std::uint16_t>(((R(c) >> 3) << 10) | ((G(c) >> 3) << 5) | (B(c) >> 3));
        std::memcpy(line + 2 * x, &word, 2);
      } else {
        BYTE* p = line + x * (bpp / 8);
        p[FI_RGBA_RED] = static_cast<BYTE>(R(c));
        p[FI_RGBA_GREEN] = static_cast<BYTE>(G(c));
        p[FI_RGBA_BLUE] = static_cast<BYTE>(B(c));
        if (bpp == 32) p[FI_RGBA_ALPHA] = static_cast<BYTE>(c >> 24);
      }
    }
  }
  const int flags = format == Format::Jpeg ? JPEG_QUALITYSUPERB : 0;
  const bool saved = FreeImage_Save(Fif(format), dib, Name(path).constData(), flags) != 0;
  FreeImage_Unload(dib);
  return saved;
}

ReadBack Read(const QString& path) {
  ReadBack result;
  const QByteArray name = Name(path);
  FIBITMAP* dib = FreeImage_Load(FreeImage_GetFileType(name.constData(), 0), name.constData(), 0);
  if (!dib) return result;
  result.bpp = FreeImage_GetBPP(dib);
  if (result.bpp == 16) result.greenMask = FreeImage_GetGreenMask(dib);
  FreeImage_Unload(dib);
  return result;
}

bool WriteSpecial(const QString& path, Special kind) {
  const int width = 3, height = 2;
  FREE_IMAGE_TYPE type = FIT_UINT16;
  FREE_IMAGE_FORMAT fif = FIF_PNG;
  switch (kind) {
    case Special::Grey16Png: type = FIT_UINT16; break;
    case Special::Rgb16Png: type = FIT_RGB16; break;
    case Special::Rgba16Png: type = FIT_RGBA16; break;
    case Special::FloatPfm:
      type = FIT_FLOAT;
      fif = FIF_PFM;
      break;
    case Special::RgbFloatPfm:
      type = FIT_RGBF;
      fif = FIF_PFM;
      break;
  }
  FIBITMAP* dib = FreeImage_AllocateT(type, width, height);
  if (!dib) return false;
  const unsigned bytesPerPixel = FreeImage_GetBPP(dib) / 8;
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, y);
    for (unsigned i = 0; i < width * bytesPerPixel; ++i) line[i] = static_cast<BYTE>(40 * y + 7 * i);
  }
  if (type == FIT_FLOAT || type == FIT_RGBF) {
    for (int y = 0; y < height; ++y) {
      auto* values = reinterpret_cast<float*>(FreeImage_GetScanLine(dib, y));
      for (unsigned i = 0; i < width * bytesPerPixel / 4; ++i) values[i] = 0.1f * static_cast<float>(i + y);
    }
  }
  const bool saved = FreeImage_Save(fif, dib, Name(path).constData(), 0) != 0;
  FreeImage_Unload(dib);
  return saved;
}

}  // namespace FreeImageLoaderTestPictures
