// Pictures made by the tests themselves, and a folder to write them into.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "ToUtf16.h"  // ToUtf16, which the tests use with the pictures' files
#include "core/Image.h"

namespace pexora::test {

// Independent random pixels; opaque unless withAlpha.
Image RandomPicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha = false);

// Smooth colour gradients with a few blocks of flat colour and mild noise,
// closer to a photograph than random pixels are.
Image NaturalPicture(int32_t width, int32_t height, uint32_t seed);

// Few distinct colours (often equal and grey pixels), so that many positions
// tie and hue is often undefined.
Image PalettePicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha = false);

// Large rectangles of flat colour, a few of them differing in one channel
// by one step, so that many positions tie exactly.
Image FlatPicture(int32_t width, int32_t height, uint32_t seed, bool withAlpha = false);

// Every pixel the same.
inline Image Uniform(int32_t width, int32_t height, uint32_t argb) {
  return Image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), argb)};
}

Image Crop(const Image& picture, int32_t x, int32_t y, int32_t width, int32_t height);

// Copies `part` into `picture` at (x, y), blending by the part's alpha.
void Paste(Image& picture, const Image& part, int32_t x, int32_t y);

// Copies the colour of every pixel of `part` with alpha above 0 into
// `picture` at (x, y), opaque: the visible part of an icon, exactly.
void Stamp(Image& picture, const Image& part, int32_t x, int32_t y);

// The picture rescaled with FreeImage's bilinear filter.
Image Rescaled(const Image& picture, int32_t width, int32_t height);

// A 48 x 48 round icon of two colours, transparent outside the circle.
Image RoundIcon();

enum class FileFormat { kPng, kBmp, kJpeg, kTiff, kGif };

// Writes the picture with FreeImage; JPEG at the given quality, GIF reduced
// to 256 colours; both opaque.
void SavePicture(const Image& picture, const std::filesystem::path& path, FileFormat format, int jpegQuality = 90);

// Reads a picture file with FreeImage's own loader and the given load flags,
// as 32-bit ARGB, top row first.
Image LoadPicture(const std::filesystem::path& path, int flags = 0);

// Writes a blank 1-bit PNG of the given size: a huge picture in a small file.
void SaveBlankMonochromePng(const std::filesystem::path& path, int32_t width, int32_t height);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path File(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace pexora::test
