// Writes small pictures in every format the library is likely to be handed
// into the folder given as the only argument: the fuzzer's seeds.
#include <FreeImage.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

FIBITMAP* Picture(int width, int height, unsigned bpp) {
  FIBITMAP* dib = FreeImage_Allocate(width, height, 32);
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, y);
    for (int x = 0; x < width; ++x) {
      line[4 * x + FI_RGBA_RED] = BYTE(x * 255 / width);
      line[4 * x + FI_RGBA_GREEN] = BYTE(y * 255 / height);
      line[4 * x + FI_RGBA_BLUE] = BYTE((x ^ y) * 16);
      line[4 * x + FI_RGBA_ALPHA] = BYTE((x + y) % 3 == 0 ? 0 : 200);
    }
  }
  if (bpp == 32) return dib;
  FIBITMAP* converted = bpp == 24  ? FreeImage_ConvertTo24Bits(dib)
                        : bpp == 8 ? FreeImage_ColorQuantize(FreeImage_ConvertTo24Bits(dib), FIQ_WUQUANT)
                        : bpp == 1 ? FreeImage_Threshold(dib, 128)
                                   : FreeImage_ConvertTo16Bits565(dib);
  FreeImage_Unload(dib);
  return converted;
}

std::string U16(unsigned v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string U32(unsigned v) { return U16(v & 0xFFFF) + U16(v >> 16); }

// Bitmaps that FreeImage does not write: header versions 4 and 5 with bit
// fields, RLE8 and RLE4 with every escape, and the OS/2 core header.
std::vector<std::pair<std::string, std::string>> HandMadeBitmaps() {
  const auto bitmap = [](unsigned headerBytes, int width, int height, unsigned bits, unsigned compression,
                         const std::string& extra, const std::string& pixels) {
    std::string header = U32(headerBytes);
    if (headerBytes == 12) {
      header += U16(unsigned(width)) + U16(unsigned(height)) + U16(1) + U16(bits);
    } else {
      header += U32(unsigned(width)) + U32(unsigned(height)) + U16(1) + U16(bits) + U32(compression) +
                U32(unsigned(pixels.size())) + U32(2835) + U32(2835) + U32(0) + U32(0);
      header.resize(headerBytes, '\0');
    }
    const unsigned offset = 14 + unsigned(header.size() + extra.size());
    return "BM" + U32(offset + unsigned(pixels.size())) + U32(0) + U32(offset) + header + extra + pixels;
  };
  std::string palette;
  for (int i = 0; i < 256; ++i) palette += std::string(3, char(i * 7)) + '\0';
  std::string v5 = U32(124) + U32(3) + U32(2) + U16(1) + U16(32) + U32(3) + U32(24) + U32(0) + U32(0) + U32(0) +
                   U32(0) + U32(0xFF0000) + U32(0xFF00) + U32(0xFF) + U32(0xFF000000);
  v5.resize(124, '\0');
  std::string v5File = "BM" + U32(14 + 124 + 24) + U32(0) + U32(14 + 124) + v5;
  for (int i = 0; i < 6; ++i) v5File += U32(0x80FF0000u + unsigned(i) * 0x1020);
  const std::string rle8 = std::string("\x03\x05\x00\x03\x01\x02\x03\x00\x00\x00\x02\x01\x01\x02\x07\x00\x01", 17);
  const std::string rle4 = std::string("\x00\x03\x12\x30\x01\x50\x00\x00\x02\x34\x00\x01", 12);
  const std::string rgb = std::string("\x01\x02\x03\x04\x05\x06\x00\x00\x07\x08\x09\x0A\x0B\x0C\x00\x00", 16);
  return {{"v5-bitfields.bmp", v5File},
          {"rle8.bmp", bitmap(40, 4, 3, 8, 1, palette, rle8)},
          {"rle4.bmp", bitmap(40, 4, 2, 4, 2, palette.substr(0, 64), rle4)},
          {"os2-core.bmp", bitmap(12, 2, 2, 24, 0, "", rgb)}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  struct {
    FREE_IMAGE_FORMAT format;
    unsigned bpp;
    const char* name;
    int flags;
  } seeds[] = {
      {FIF_PNG, 32, "rgba.png", 0},   {FIF_PNG, 8, "palette.png", 0}, {FIF_PNG, 1, "mono.png", 0},
      {FIF_BMP, 24, "rgb.bmp", 0},    {FIF_BMP, 16, "rgb565.bmp", 0}, {FIF_JPEG, 24, "photo.jpg", 85},
      {FIF_GIF, 8, "palette.gif", 0}, {FIF_TIFF, 32, "rgba.tif", 0},  {FIF_TARGA, 32, "rgba.tga", 0},
      {FIF_PPM, 24, "rgb.ppm", 0},    {FIF_ICO, 32, "icon.ico", 0},
  };
  int failures = 0;
  for (const auto& seed : seeds) {
    FIBITMAP* dib = Picture(seed.format == FIF_ICO ? 16 : 23, seed.format == FIF_ICO ? 16 : 17, seed.bpp);
    const std::string path = folder + "/" + seed.name;
    if (dib == nullptr || !FreeImage_Save(seed.format, dib, path.c_str(), seed.flags)) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      ++failures;
    }
    if (dib != nullptr) FreeImage_Unload(dib);
  }
  for (const auto& [name, bytes] : HandMadeBitmaps()) {
    const std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      ++failures;
    }
    if (file != nullptr) std::fclose(file);
  }
  return failures == 0 ? 0 : 1;
}
