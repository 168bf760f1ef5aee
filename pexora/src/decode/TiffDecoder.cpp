#include "decode/TiffDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "decode/DecodeChecks.h"

namespace pexora {

namespace {

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  bool failed = false;  // libtiff reported an error
};

MemoryFile& FileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t count) {
  MemoryFile& file = FileOf(handle);
  if (count <= 0 || file.position >= file.size) return 0;
  const size_t n = std::min(static_cast<size_t>(count), file.size - file.position);
  std::memcpy(buffer, file.data + file.position, n);
  file.position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = FileOf(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = file.position;
  if (whence == SEEK_END) base = file.size;
  const uint64_t target = base + offset;
  if (target < base) return static_cast<toff_t>(-1);
  file.position = static_cast<size_t>(std::min<uint64_t>(target, SIZE_MAX));
  return target;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return FileOf(handle).size; }
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

// libtiff's errors mark the file as failed; its warnings are dropped. Both
// stay inside this handle: the process-wide handlers, which the caller may
// use for its own TIFF files, are not touched.
int OnError(TIFF*, void* user, const char*, const char*, va_list) {
  static_cast<MemoryFile*>(user)->failed = true;
  return 1;
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; }
uint32_t To8Bits(uint16_t value) { return (uint32_t{value} + 128) / 257; }

// libtiff's RGBA interface premultiplies unassociated alpha; these put
// routines keep it straight. Same arguments and skews as libtiff's own.
void PutStraightContig8(TIFFRGBAImage* image, uint32_t* out, uint32_t, uint32_t, uint32_t w, uint32_t h,
                        int32_t fromSkew, int32_t toSkew, unsigned char* in) {
  const int samples = image->samplesperpixel;
  for (; h > 0; --h, out += toSkew, in += static_cast<ptrdiff_t>(fromSkew) * samples) {
    for (uint32_t x = 0; x < w; ++x, in += samples) *out++ = Pack(in[0], in[1], in[2], in[3]);
  }
}

void PutStraightContig16(TIFFRGBAImage* image, uint32_t* out, uint32_t, uint32_t, uint32_t w, uint32_t h,
                         int32_t fromSkew, int32_t toSkew, unsigned char* bytes) {
  const int samples = image->samplesperpixel;
  auto* in = reinterpret_cast<uint16_t*>(bytes);
  for (; h > 0; --h, out += toSkew, in += static_cast<ptrdiff_t>(fromSkew) * samples) {
    for (uint32_t x = 0; x < w; ++x, in += samples) {
      *out++ = Pack(To8Bits(in[0]), To8Bits(in[1]), To8Bits(in[2]), To8Bits(in[3]));
    }
  }
}

void PutStraightSeparate8(TIFFRGBAImage*, uint32_t* out, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromSkew,
                          int32_t toSkew, unsigned char* r, unsigned char* g, unsigned char* b, unsigned char* a) {
  for (; h > 0; --h, out += toSkew, r += fromSkew, g += fromSkew, b += fromSkew, a += fromSkew) {
    for (uint32_t x = 0; x < w; ++x) *out++ = Pack(*r++, *g++, *b++, *a++);
  }
}

void PutStraightSeparate16(TIFFRGBAImage*, uint32_t* out, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromSkew,
                           int32_t toSkew, unsigned char* rb, unsigned char* gb, unsigned char* bb, unsigned char* ab) {
  auto *r = reinterpret_cast<uint16_t*>(rb), *g = reinterpret_cast<uint16_t*>(gb);
  auto *b = reinterpret_cast<uint16_t*>(bb), *a = reinterpret_cast<uint16_t*>(ab);
  for (; h > 0; --h, out += toSkew, r += fromSkew, g += fromSkew, b += fromSkew, a += fromSkew) {
    for (uint32_t x = 0; x < w; ++x) *out++ = Pack(To8Bits(*r++), To8Bits(*g++), To8Bits(*b++), To8Bits(*a++));
  }
}

void KeepAlphaStraight(TIFFRGBAImage& image) {
  if (image.alpha != EXTRASAMPLE_UNASSALPHA || image.photometric != PHOTOMETRIC_RGB) return;
  if (image.put.any == nullptr || (image.bitspersample != 8 && image.bitspersample != 16)) return;
  const bool eight = image.bitspersample == 8;
  if (image.isContig) {
    image.put.contig = eight ? PutStraightContig8 : PutStraightContig16;
  } else {
    image.put.separate = eight ? PutStraightSeparate8 : PutStraightSeparate16;
  }
}

// libtiff's 0xAABBGGRR, premultiplied or not, to straight 0xAARRGGBB.
uint32_t ToArgb(uint32_t abgr, bool premultiplied) {
  uint32_t r = abgr & 0xFFu, g = (abgr >> 8) & 0xFFu, b = (abgr >> 16) & 0xFFu;
  const uint32_t a = abgr >> 24;
  if (premultiplied && a != 255) {
    const auto straight = [a](uint32_t c) { return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a); };
    r = straight(r);
    g = straight(g);
    b = straight(b);
  }
  return a << 24 | r << 16 | g << 8 | b;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct RgbaImageEnder {
  void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

}  // namespace

Image DecodeTiff(const uint8_t* data, size_t size) {
  MemoryFile file{data, size};
  std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &file);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxDecoderBytes));
  std::unique_ptr<TIFF, TiffCloser> tiff(
      TIFFClientOpenExt("picture", "rm", &file, Read, Write, Seek, Close, Size, Map, Unmap, options.get()));
  if (!tiff || file.failed) FailLoading();

  uint32_t width = 0, height = 0;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height)) {
    FailLoading();
  }
  CheckPictureSize(width, height);
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tiff.get(), message)) FailLoading();
  TIFFRGBAImage rgba{};
  if (!TIFFRGBAImageBegin(&rgba, tiff.get(), 1, message)) FailLoading();
  std::unique_ptr<TIFFRGBAImage, RgbaImageEnder> ender(&rgba);
  if (file.failed) FailLoading();
  KeepAlphaStraight(rgba);
  // Orientations 1 to 4 are flips, which libtiff makes; 5 to 8 also swap
  // rows and columns, which libtiff does not: those are read as stored and
  // turned here.
  const uint16_t orientation = rgba.orientation;
  const bool transposed = orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
  rgba.req_orientation = transposed ? orientation : ORIENTATION_TOPLEFT;

  std::vector<uint32_t> raster(size_t{width} * height);
  if (!TIFFRGBAImageGet(&rgba, raster.data(), width, height) || file.failed) FailLoading();
  const bool premultiplied = rgba.alpha == EXTRASAMPLE_ASSOCALPHA;

  Image image;
  image.width = static_cast<int32_t>(transposed ? height : width);
  image.height = static_cast<int32_t>(transposed ? width : height);
  if (!transposed) {
    for (uint32_t& pixel : raster) pixel = ToArgb(pixel, premultiplied);
    image.pixels = std::move(raster);
    return image;
  }
  image.pixels.resize(raster.size());
  const size_t displayWidth = height, displayHeight = width;
  for (size_t y = 0; y < displayHeight; ++y) {
    for (size_t x = 0; x < displayWidth; ++x) {
      // Stored row 0 is the left (5, 8) or right (6, 7) side; stored column 0
      // the top (5, 6) or bottom (7, 8).
      const bool fromRight = orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
      const bool fromBottom = orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
      const size_t row = fromRight ? displayWidth - 1 - x : x;
      const size_t column = fromBottom ? displayHeight - 1 - y : y;
      image.pixels[y * displayWidth + x] = ToArgb(raster[row * width + column], premultiplied);
    }
  }
  return image;
}

}  // namespace pexora
