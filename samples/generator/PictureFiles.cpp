#include "PictureFiles.h"

#include <FreeImage.h>

#include <memory>
#include <stdexcept>

namespace {

struct Unload {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, Unload>;

Bitmap checked(FIBITMAP* dib, const std::string& what) {
  if (!dib) throw std::runtime_error("FreeImage failed: " + what);
  return Bitmap(dib);
}

Bitmap toBitmap(const Picture& picture, PictureFiles::Channels channels) {
  const bool alpha = channels == PictureFiles::Channels::Rgba;
  Bitmap dib = checked(FreeImage_Allocate(picture.width, picture.height, alpha ? 32 : 24), "allocate");
  const int step = alpha ? 4 : 3;
  for (int y = 0; y < picture.height; ++y) {
    BYTE* row = FreeImage_GetScanLine(dib.get(), picture.height - 1 - y);  // DIBs are bottom-up
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.at(x, y);
      BYTE* px = row + x * step;
      px[FI_RGBA_RED] = p.r;
      px[FI_RGBA_GREEN] = p.g;
      px[FI_RGBA_BLUE] = p.b;
      if (alpha) px[FI_RGBA_ALPHA] = p.a;
    }
  }
  return dib;
}

Picture fromBitmap(FIBITMAP* source) {
  Bitmap dib = checked(FreeImage_ConvertTo32Bits(source), "convert to 32 bits");
  const int width = static_cast<int>(FreeImage_GetWidth(dib.get()));
  const int height = static_cast<int>(FreeImage_GetHeight(dib.get()));
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    const BYTE* row = FreeImage_GetScanLine(dib.get(), height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const BYTE* px = row + x * 4;
      picture.at(x, y) = {px[FI_RGBA_RED], px[FI_RGBA_GREEN], px[FI_RGBA_BLUE], px[FI_RGBA_ALPHA]};
    }
  }
  return picture;
}

}  // namespace

using PictureFiles::Channels;

void PictureFiles::savePng(const Picture& picture, const std::string& path, Channels channels) {
  Bitmap dib = toBitmap(picture, channels);
  if (!FreeImage_Save(FIF_PNG, dib.get(), path.c_str(), PNG_Z_BEST_COMPRESSION))
    throw std::runtime_error("cannot write " + path);
}

void PictureFiles::saveJpeg(const Picture& picture, const std::string& path, int quality) {
  Bitmap dib = toBitmap(picture, Channels::Rgb);
  // The low bits of the flags are the quality (1..100).
  if (!FreeImage_Save(FIF_JPEG, dib.get(), path.c_str(),
                      quality | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE | JPEG_BASELINE))
    throw std::runtime_error("cannot write " + path);
}

Picture PictureFiles::load(const std::string& path, bool accurate) {
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) throw std::runtime_error("unknown picture format: " + path);
  const int flags = format == FIF_JPEG && accurate ? JPEG_ACCURATE : 0;
  Bitmap dib = checked(FreeImage_Load(format, path.c_str(), flags), "load " + path);
  return fromBitmap(dib.get());
}

Picture PictureFiles::rescale(const Picture& picture, int width, int height, int filter) {
  Bitmap dib = toBitmap(picture, Channels::Rgba);
  Bitmap scaled =
      checked(FreeImage_Rescale(dib.get(), width, height, static_cast<FREE_IMAGE_FILTER>(filter)), "rescale");
  return fromBitmap(scaled.get());
}
