#include "FreeImageLoader.h"

#include <QByteArray>
#include <QLocale>

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

namespace FreeImageLoader {

PlatformLibrary::HMODULE FreeImageDLLHandle = 0;
bool FreeImageDLLLoaded = false;

#define FREEIMAGE_DEFINE_ENTRY_POINT(name, exportName, result, parameters) \
  t_FreeImage_##name FIL_FreeImage_##name = nullptr;
FREEIMAGE_ENTRY_POINTS(FREEIMAGE_DEFINE_ENTRY_POINT)
FREEIMAGE_PREVIEW_ENTRY_POINTS(FREEIMAGE_DEFINE_ENTRY_POINT)
#undef FREEIMAGE_DEFINE_ENTRY_POINT

namespace {

template <typename T>
void Resolve(T& entryPoint, const char* name) {
  entryPoint = reinterpret_cast<T>(PlatformLibrary::GetProcAddress(FreeImageDLLHandle, name));
}

PlatformLibrary::HMODULE LoadFreeImage() {
  // The Windows loader is told not to show its message box for a missing file
  // while FreeImage loads (SetErrorMode with SEM_NOOPENFILEERRORBOX). The loader
  // here never shows one, so there is no error mode to set and restore.
#if defined(__i386__) || defined(__x86_64__)
  // A library's start-up code may change the x87 control word (precision,
  // rounding, exception masks); the program's settings, on which its
  // extended-precision conversions rely, are kept across the load.
  std::uint16_t controlWord = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(controlWord));
  const PlatformLibrary::HMODULE handle = PlatformLibrary::LoadLibraryW(FIDLL);
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(controlWord));
  return handle;
#else
  return PlatformLibrary::LoadLibraryW(FIDLL);
#endif
}

// The file name as FreeImage's 8-bit file-name functions take it: UTF-8.
struct NativeFileName {
  explicit NativeFileName(const QString& name) : text(name.toUtf8()) {}
  FIFileName c_str() const { return text.constData(); }
  QByteArray text;
};

// The extension of the file name's last component, with its leading dot;
// empty when that component has no dot.
QString Extension(const QString& fileName) {
  const qsizetype componentStart = fileName.lastIndexOf(u'/') + 1;
  const qsizetype dot = fileName.lastIndexOf(u'.');
  if (dot < componentStart) return {};
  return fileName.mid(dot);
}

QString AsciiUpper(QString text) {
  for (QChar& c : text)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
  return text;
}

// Formats FreeImage may not name from a file name, by extension.
FREE_IMAGE_FORMAT FormatByExtension(const QString& upperExtension) {
  if (upperExtension == u".TGA" || upperExtension == u".TARGA") return FIF_TARGA;
  if (upperExtension == u".MNG") return FIF_MNG;
  if (upperExtension == u".PCD") return FIF_PCD;
  if (upperExtension == u".WBMP") return FIF_WBMP;
  if (upperExtension == u".CUT") return FIF_CUT;
  return FIF_UNKNOWN;
}

// Releases a decoded image however the decoding ends.
class DecodedImage {
 public:
  explicit DecodedImage(FIBITMAP* dib) : dib_(dib) {}
  ~DecodedImage() {
    if (dib_) FIL_FreeImage_Unload(dib_);
  }
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;
  FIBITMAP* get() const { return dib_; }

 private:
  FIBITMAP* dib_;
};

// A picture of FreeImage's other image types brought to a standard bitmap of
// 8 bits a channel, or null when that cannot be done. 16-bit samples keep
// their top 8 bits, floating-point pictures (often beyond 0 to 1) are
// tone-mapped, and the other numeric types are scaled linearly from their
// lowest to their highest value.
FIBITMAP* StandardBitmap(FIBITMAP* dib, FREE_IMAGE_TYPE type) {
  switch (type) {
    case FIT_UINT16: return FIL_FreeImage_ConvertTo8Bits ? FIL_FreeImage_ConvertTo8Bits(dib) : nullptr;
    case FIT_RGB16:
    case FIT_RGBA16: return FIL_FreeImage_ConvertTo24Bits ? FIL_FreeImage_ConvertTo24Bits(dib) : nullptr;
    case FIT_FLOAT:
    case FIT_RGBF:
    case FIT_RGBAF: return FIL_FreeImage_ToneMapping ? FIL_FreeImage_ToneMapping(dib, FITMO_DRAGO03, 0, 0) : nullptr;
    default: return FIL_FreeImage_ConvertToStandardType ? FIL_FreeImage_ConvertToStandardType(dib, 1) : nullptr;
  }
}

// One colour channel of a BI_BITFIELDS pixel: where it sits and how wide it is.
struct Channel {
  explicit Channel(std::uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? m >> shift : 0) {}
  std::uint32_t Value(std::uint32_t pixel) const {
    if (max == 0) return 0;
    return (((pixel & mask) >> shift) * 255u + max / 2) / max;
  }
  std::uint32_t mask;
  int shift;
  std::uint32_t max;
};

// The device bitmap for a FreeImage DIB (bottom-up unless the height is
// negative, rows padded to 4 bytes, blue-green-red byte order), as the
// platform's device bitmaps are made from a DIB with a literal colour table:
// every pixel becomes opaque RGB, alpha is dropped. A null image when the DIB
// is not one that a device bitmap can be made of.
QImage DeviceBitmap(const BITMAPINFOHEADER& header, const BITMAPINFO& info, const std::uint8_t* bits) {
  const std::int64_t width = header.biWidth;
  const std::int64_t height = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
  const bool bottomUp = header.biHeight > 0;
  const unsigned bpp = header.biBitCount;
  if (!bits || width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return {};
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return {};
  // FreeImage marks its 16-bit pictures with their colour masks; a 16-bit DIB
  // without them holds one of its 16-bit-per-sample types (grey levels), which
  // no device bitmap shows.
  if (header.biCompression == BI_BITFIELDS ? bpp != 16 && bpp != 32 : header.biCompression != BI_RGB || bpp == 16)
    return {};

  const std::int64_t stride = ((width * bpp + 31) / 32) * 4;
  const RGBQUAD* palette = info.bmiColors;
  std::uint32_t paletteSize = 0;
  if (bpp <= 8) {
    paletteSize = header.biClrUsed != 0 ? header.biClrUsed : 1u << bpp;
    if (paletteSize > (1u << bpp)) paletteSize = 1u << bpp;
  }
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (header.biCompression == BI_BITFIELDS) {
    std::uint32_t given[3];
    std::memcpy(given, info.bmiColors, sizeof given);
    // FreeImage reads a 16-bit picture whose masks are all zero as 5-5-5.
    if (given[0] | given[1] | given[2])
      std::memcpy(masks, given, sizeof masks);
    else if (bpp == 32)
      return {};
  } else if (bpp == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
  if (image.isNull()) return {};

  auto paletteColour = [&](std::uint32_t index) -> QRgb {
    if (index >= paletteSize) return qRgb(0, 0, 0);
    const RGBQUAD& c = palette[index];
    return qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
  };

  for (std::int64_t y = 0; y < height; ++y) {
    const std::uint8_t* row = bits + (bottomUp ? height - 1 - y : y) * stride;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (std::int64_t x = 0; x < width; ++x) {
      switch (bpp) {
        case 1: out[x] = paletteColour((row[x / 8] >> (7 - x % 8)) & 1u); break;
        case 4: out[x] = paletteColour((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xFu); break;
        case 8: out[x] = paletteColour(row[x]); break;
        case 16: {
          const std::uint32_t pixel = row[2 * x] | (row[2 * x + 1] << 8);
          out[x] = qRgb(static_cast<int>(red.Value(pixel)), static_cast<int>(green.Value(pixel)),
                        static_cast<int>(blue.Value(pixel)));
          break;
        }
        case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
        case 32: {
          const std::uint8_t* p = row + 4 * x;
          const std::uint32_t pixel = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
          out[x] = qRgb(static_cast<int>(red.Value(pixel)), static_cast<int>(green.Value(pixel)),
                        static_cast<int>(blue.Value(pixel)));
          break;
        }
      }
    }
  }
  return image;
}

}  // namespace

bool InitFreeImageLibrary() {
  if (FreeImageDLLHandle == 0) FreeImageDLLHandle = LoadFreeImage();
  bool result = FreeImageDLLHandle != 0;
  if (FreeImageDLLHandle != 0) {
#define FREEIMAGE_RESOLVE(name, exportName, result, parameters) Resolve(FIL_FreeImage_##name, NAME_FreeImage_##name);
    FREEIMAGE_ENTRY_POINTS(FREEIMAGE_RESOLVE)
    FREEIMAGE_PREVIEW_ENTRY_POINTS(FREEIMAGE_RESOLVE)
#undef FREEIMAGE_RESOLVE
  }
#define FREEIMAGE_FOUND(name, exportName, result, parameters) &&FIL_FreeImage_##name
  if (!(true FREEIMAGE_ENTRY_POINTS(FREEIMAGE_FOUND))) result = false;
#undef FREEIMAGE_FOUND
  // An incomplete library stays loaded until the end; only the services stay off.
  if (result) FreeImageDLLLoaded = true;
  return result;
}

bool FreeFreeImageLibrary() {
  bool result = false;
  if (FreeImageDLLHandle != 0) {
    result = PlatformLibrary::FreeLibrary(FreeImageDLLHandle);
    if (result) FreeImageDLLLoaded = false;
  }
  return result;
}

std::int32_t FreeImageGetFileFormat(const QString& FileName) {
  std::int32_t result = FIF_UNKNOWN;
  if (!FreeImageDLLLoaded) return result;
  try {
    const QString extension = Extension(FileName);
    const QString asciiUpper = AsciiUpper(extension);
    // Icons and animated cursors are never handed to FreeImage.
    if (asciiUpper == u".ANI" || asciiUpper == u".ICO") return FIF_UNKNOWN;

    const NativeFileName name(FileName);
    result = FIL_FreeImage_GetFileType(name.c_str(), FI_FILE_TYPE_SIZE);
    if (result == FIF_UNKNOWN) result = FIL_FreeImage_GetFIFFromFilename(name.c_str());
    if (result != FIF_UNKNOWN) return result;

    result = FormatByExtension(QLocale::system().toUpper(extension));
    if (result != FIF_UNKNOWN) return result;
    throw std::runtime_error("The file \"" + FileName.toStdString() +
                             "\" cannot be displayed because KVR does not recognise the file type.");
  } catch (...) {
    // Not recognised, or FreeImage failed: either way the format is unknown.
    return FIF_UNKNOWN;
  }
}

bool FreeImageLoadImage(const QString& FileName, std::unique_ptr<QImage>& PicBitmap, QWidget* /*Handle*/) {
  try {
    if (!FreeImageDLLLoaded) return false;
    const FREE_IMAGE_FORMAT format = FreeImageGetFileFormat(FileName);
    const std::int32_t flags = format == FIF_JPEG ? JPEG_ACCURATE : FI_LOAD_DEFAULT;
    const NativeFileName name(FileName);
    // Also asked with an unknown format, for which FreeImage yields no image.
    const DecodedImage dib(FIL_FreeImage_Load(format, name.c_str(), flags));
    if (!dib.get()) return false;

    // Pictures beyond 8 bits a channel are shown through a standard copy.
    const FREE_IMAGE_TYPE type = FIL_FreeImage_GetImageType ? FIL_FreeImage_GetImageType(dib.get()) : FIT_BITMAP;
    const DecodedImage standard(type == FIT_BITMAP ? nullptr : StandardBitmap(dib.get(), type));
    FIBITMAP* shown = type == FIT_BITMAP ? dib.get() : standard.get();

    const BITMAPINFOHEADER* header = shown ? FIL_FreeImage_GetInfoHeader(shown) : nullptr;
    const BITMAPINFO* info = shown ? FIL_FreeImage_GetInfo(shown) : nullptr;

    PicBitmap = std::make_unique<QImage>();
    // There are no window device contexts here: the decoded pixels go into the
    // bitmap directly. A DIB that cannot be shown leaves the bitmap empty.
    const std::uint8_t* bits = shown ? FIL_FreeImage_GetBits(shown) : nullptr;
    if (header && info) *PicBitmap = DeviceBitmap(*header, *info, bits);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace FreeImageLoader
