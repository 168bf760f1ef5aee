#include "TestPictures.h"

#include <FreeImage.h>
#include <unistd.h>

#include <cmath>
#include <stdexcept>

namespace pexora::test {

namespace {

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

uint32_t Clamp8(double v) { return static_cast<uint32_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); }

// The pixels of a 32-bit FreeImage bitmap, which is released.
Image TakeBitmap32(FIBITMAP* dib) {
  const int32_t width = int32_t(FreeImage_GetWidth(dib)), height = int32_t(FreeImage_GetHeight(dib));
  Image out{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (int32_t y = 0; y < height; ++y) {
    const BYTE* line = FreeImage_GetScanLine(dib, height - 1 - y);
    for (int32_t x = 0; x < width; ++x) {
      out.pixels[size_t(y) * size_t(width) + size_t(x)] = Pack(line[4 * x + FI_RGBA_ALPHA], line[4 * x + FI_RGBA_RED],
                                                               line[4 * x + FI_RGBA_GREEN], line[4 * x + FI_RGBA_BLUE]);
    }
  }
  FreeImage_Unload(dib);
  return out;
}

}  // namespace

Image RandomPicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha) {
  std::mt19937 random(seed);
  Image image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (uint32_t& p : image.pixels) {
    p = static_cast<uint32_t>(random());
    if (!withAlpha) p |= 0xFF000000u;
  }
  return image;
}

Image NaturalPicture(int32_t width, int32_t height, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 3.0);
  struct Wave {
    double fx, fy, phase, amplitude;
  };
  Wave waves[3][6];
  for (auto& channel : waves) {
    for (auto& w : channel) {
      w = {unit(random) * 0.05, unit(random) * 0.05, unit(random) * 6.283, 10 + unit(random) * 30};
    }
  }
  Image image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      double c[3];
      for (int k = 0; k < 3; ++k) {
        c[k] = 128;
        for (const Wave& w : waves[k]) c[k] += w.amplitude * std::sin(w.fx * x + w.fy * y + w.phase);
        c[k] += noise(random);
      }
      image.pixels[size_t(y) * size_t(width) + size_t(x)] = Pack(255, Clamp8(c[0]), Clamp8(c[1]), Clamp8(c[2]));
    }
  }
  // Flat objects with edges.
  const int blocks = std::max(1, width * height / 20000);
  for (int i = 0; i < blocks; ++i) {
    const int32_t bw = 8 + int32_t(random() % 60), bh = 8 + int32_t(random() % 60);
    const int32_t bx = int32_t(random() % uint32_t(width)), by = int32_t(random() % uint32_t(height));
    const uint32_t colour = static_cast<uint32_t>(random()) | 0xFF000000u;
    for (int32_t y = by; y < std::min(height, by + bh); ++y) {
      for (int32_t x = bx; x < std::min(width, bx + bw); ++x)
        image.pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
  }
  return image;
}

Image PalettePicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha) {
  static const uint32_t palette[] = {0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFFFF0000, 0xFF00FF00,
                                     0xFF0000FF, 0xFFFF8000, 0xFF7F7F80, 0xFFFE0000, 0xFF0000FE};
  std::mt19937 random(seed);
  Image image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (uint32_t& p : image.pixels) {
    p = palette[random() % 10];
    if (withAlpha) {
      static const uint32_t alphas[] = {0, 1, 128, 254, 255};
      p = (p & 0x00FFFFFFu) | (alphas[random() % 5] << 24);
    }
  }
  return image;
}

Image FlatPicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha) {
  static const uint32_t colours[] = {0xFFFFFFFF, 0xFFFFFFFE, 0xFF202020, 0xFF3060C0, 0xFF3160C0, 0x80FFFFFF};
  std::mt19937 random(seed);
  Image image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), colours[0])};
  for (int i = 0; i < 5; ++i) {
    const int32_t x0 = int32_t(random() % uint32_t(width)), y0 = int32_t(random() % uint32_t(height));
    const int32_t x1 = std::min(width, x0 + 3 + int32_t(random() % uint32_t(width)));
    const int32_t y1 = std::min(height, y0 + 3 + int32_t(random() % uint32_t(height)));
    const uint32_t colour = colours[random() % (withAlpha ? 6 : 5)];
    for (int32_t y = y0; y < y1; ++y) {
      for (int32_t x = x0; x < x1; ++x) image.pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
  }
  return image;
}

Image Crop(const Image& picture, int32_t x, int32_t y, int32_t width, int32_t height) {
  Image part{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (int32_t j = 0; j < height; ++j) {
    for (int32_t i = 0; i < width; ++i) part.pixels[size_t(j) * size_t(width) + size_t(i)] = picture.At(x + i, y + j);
  }
  return part;
}

void Paste(Image& picture, const Image& part, int32_t x, int32_t y) {
  for (int32_t j = 0; j < part.height; ++j) {
    for (int32_t i = 0; i < part.width; ++i) {
      const uint32_t over = part.At(i, j);
      uint32_t& under = picture.pixels[size_t(y + j) * size_t(picture.width) + size_t(x + i)];
      const double a = AlphaOf(over) / 255.0;
      under = Pack(255, Clamp8(RedOf(over) * a + RedOf(under) * (1 - a)),
                   Clamp8(GreenOf(over) * a + GreenOf(under) * (1 - a)),
                   Clamp8(BlueOf(over) * a + BlueOf(under) * (1 - a)));
    }
  }
}

void Stamp(Image& picture, const Image& part, int32_t x, int32_t y) {
  for (int32_t j = 0; j < part.height; ++j) {
    for (int32_t i = 0; i < part.width; ++i) {
      const uint32_t over = part.At(i, j);
      if (AlphaOf(over) != 0)
        picture.pixels[size_t(y + j) * size_t(picture.width) + size_t(x + i)] = over | 0xFF000000u;
    }
  }
}

Image Rescaled(const Image& picture, int32_t width, int32_t height) {
  FIBITMAP* dib = FreeImage_Allocate(picture.width, picture.height, 32);
  for (int32_t y = 0; y < picture.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, picture.height - 1 - y);
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      line[4 * x + FI_RGBA_RED] = BYTE(RedOf(p));
      line[4 * x + FI_RGBA_GREEN] = BYTE(GreenOf(p));
      line[4 * x + FI_RGBA_BLUE] = BYTE(BlueOf(p));
      line[4 * x + FI_RGBA_ALPHA] = BYTE(AlphaOf(p));
    }
  }
  FIBITMAP* scaled = FreeImage_Rescale(dib, width, height, FILTER_BILINEAR);
  FreeImage_Unload(dib);
  if (scaled == nullptr) throw std::runtime_error("FreeImage_Rescale failed");
  return TakeBitmap32(scaled);
}

Image RoundIcon() {
  Image icon{48, 48, std::vector<uint32_t>(48 * 48)};
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const double r = std::hypot(x - 23.5, y - 23.5);
      const uint32_t alpha = r < 20 ? 255 : r < 23 ? uint32_t(255 * (23 - r) / 3) : 0;
      const uint32_t colour = ((x / 8 + y / 8) % 2) ? 0xE03010u : 0x2040F0u;
      icon.pixels[size_t(y) * 48 + size_t(x)] = (alpha << 24) | colour;
    }
  }
  return icon;
}

void SavePicture(const Image& picture, const std::filesystem::path& path, FileFormat format, int jpegQuality) {
  const bool opaque = format == FileFormat::kJpeg || format == FileFormat::kGif;
  FIBITMAP* dib = FreeImage_Allocate(picture.width, picture.height, opaque ? 24 : 32);
  if (dib == nullptr) throw std::runtime_error("FreeImage_Allocate failed");
  const int step = opaque ? 3 : 4;
  for (int32_t y = 0; y < picture.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, picture.height - 1 - y);
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      BYTE* out = line + step * x;
      out[FI_RGBA_RED] = BYTE(RedOf(p));
      out[FI_RGBA_GREEN] = BYTE(GreenOf(p));
      out[FI_RGBA_BLUE] = BYTE(BlueOf(p));
      if (!opaque) out[FI_RGBA_ALPHA] = BYTE(AlphaOf(p));
    }
  }
  FREE_IMAGE_FORMAT fif = FIF_PNG;
  int flags = 0;
  switch (format) {
    case FileFormat::kPng: fif = FIF_PNG; break;
    case FileFormat::kBmp: fif = FIF_BMP; break;
    case FileFormat::kTiff: fif = FIF_TIFF; break;
    case FileFormat::kJpeg:
      fif = FIF_JPEG;
      flags = jpegQuality;
      break;
    case FileFormat::kGif: {
      fif = FIF_GIF;
      FIBITMAP* palette = FreeImage_ColorQuantize(dib, FIQ_WUQUANT);
      FreeImage_Unload(dib);
      if (palette == nullptr) throw std::runtime_error("FreeImage_ColorQuantize failed");
      dib = palette;
      break;
    }
  }
  const bool saved = FreeImage_Save(fif, dib, path.string().c_str(), flags) != FALSE;
  FreeImage_Unload(dib);
  if (!saved) throw std::runtime_error("FreeImage_Save failed: " + path.string());
}

Image LoadPicture(const std::filesystem::path& path, int flags) {
  const std::string name = path.string();
  FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(name.c_str()), name.c_str(), flags);
  if (loaded == nullptr) throw std::runtime_error("FreeImage_Load failed: " + name);
  FIBITMAP* dib = FreeImage_ConvertTo32Bits(loaded);
  FreeImage_Unload(loaded);
  if (dib == nullptr) throw std::runtime_error("FreeImage_ConvertTo32Bits failed: " + name);
  return TakeBitmap32(dib);
}

void SaveBlankMonochromePng(const std::filesystem::path& path, int32_t width, int32_t height) {
  FIBITMAP* dib = FreeImage_Allocate(width, height, 1);
  if (dib == nullptr) throw std::runtime_error("FreeImage_Allocate failed");
  const bool saved = FreeImage_Save(FIF_PNG, dib, path.string().c_str(), PNG_Z_BEST_SPEED) != FALSE;
  FreeImage_Unload(dib);
  if (!saved) throw std::runtime_error("FreeImage_Save failed: " + path.string());
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pexora-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace pexora::test
