// Small pictures for the FreeImage loader's tests, written by FreeImage itself
// (the tests link it for that; the loader never does).
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace FreeImageLoaderTestPictures {

enum class Depth { Bits1, Bits4, Bits8, Bits16_555, Bits16_565, Bits24, Bits32 };
enum class Format { Bmp, Png, Jpeg, Targa, Ico };

// Pixels as 0xAARRGGBB, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Writes the pixels at the given depth. With a palette, the colours are given
// places from the end of the colour table, in the order they first appear. At
// 16 bits each channel keeps its top 5 (or 6) bits.
bool Write(const QString& path, const Pixels& pixels, Depth depth, Format format);

// What FreeImage reads back from a file: its bit depth and, for 16 bits, its
// green mask (0x03E0 for 5-5-5, 0x07E0 for 5-6-5). bpp 0 when it cannot.
struct ReadBack {
  unsigned bpp = 0;
  std::uint32_t greenMask = 0;
};
ReadBack Read(const QString& path);

// FreeImage's types beyond standard bitmaps, 3 x 2 pixels of a gradient.
enum class Special { Grey16Png, Rgb16Png, Rgba16Png, FloatPfm, RgbFloatPfm };
bool WriteSpecial(const QString& path, Special kind);

}  // namespace FreeImageLoaderTestPictures
