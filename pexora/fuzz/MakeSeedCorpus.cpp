// Writes small pictures in every format the library is likely to be handed
// into the folder given as the only argument: the fuzzer's seeds.
#include <FreeImage.h>

#include <cstdio>
#include <string>

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
  FIBITMAP* converted = bpp == 24   ? FreeImage_ConvertTo24Bits(dib)
                        : bpp == 8  ? FreeImage_ColorQuantize(FreeImage_ConvertTo24Bits(dib), FIQ_WUQUANT)
                        : bpp == 1  ? FreeImage_Threshold(dib, 128)
                                    : FreeImage_ConvertTo16Bits565(dib);
  FreeImage_Unload(dib);
  return converted;
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
      {FIF_PNG, 32, "rgba.png", 0}, {FIF_PNG, 8, "palette.png", 0}, {FIF_PNG, 1, "mono.png", 0},
      {FIF_BMP, 24, "rgb.bmp", 0},  {FIF_BMP, 16, "rgb565.bmp", 0}, {FIF_JPEG, 24, "photo.jpg", 85},
      {FIF_GIF, 8, "palette.gif", 0}, {FIF_TIFF, 32, "rgba.tif", 0}, {FIF_TARGA, 32, "rgba.tga", 0},
      {FIF_PPM, 24, "rgb.ppm", 0},  {FIF_ICO, 32, "icon.ico", 0},
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
  return failures == 0 ? 0 : 1;
}
