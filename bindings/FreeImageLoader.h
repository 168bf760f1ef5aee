// Run-time binding of FreeImage ("FreeImage.dll"): the programs load it when
// they start, resolve its sixteen entry points and unload it at the end. It
// gives the window two services: the FreeImage format of a picture file and the
// decoding of a picture file into a bitmap for a preview. Every failure ends in
// a return value; nothing is reported to the user and nothing is thrown.
//
// Nothing links against FreeImage and its header is not used: the few types
// that cross the boundary are declared here with FreeImage's published layouts.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

#include "PlatformLibrary.h"

class QWidget;

namespace FreeImageLoader {

// FreeImage's file-name functions take UTF-16 names only on Windows (the "U"
// exports); here those exports do nothing, and the 8-bit exports are bound in
// their place and handed UTF-8 names.
using FIFileName = const char*;

// The decoded image: opaque, owned by FreeImage.
struct FIBITMAP;

using FREE_IMAGE_FORMAT = std::int32_t;
using FREE_IMAGE_FILTER = std::int32_t;
using FIBOOL = std::int32_t;

struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// Colour-table entry, in the byte order of a little-endian device bitmap.
struct RGBQUAD {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
  std::uint8_t rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

// The header followed by the colour table (or, for BI_BITFIELDS, the three
// 32-bit colour masks red, green, blue).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
static_assert(sizeof(BITMAPINFO) == 44);

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

// Format values of FreeImage's FREE_IMAGE_FORMAT that this unit names.
inline constexpr FREE_IMAGE_FORMAT FIF_UNKNOWN = -1;
inline constexpr FREE_IMAGE_FORMAT FIF_JPEG = 2;
inline constexpr FREE_IMAGE_FORMAT FIF_MNG = 6;
inline constexpr FREE_IMAGE_FORMAT FIF_PCD = 9;
inline constexpr FREE_IMAGE_FORMAT FIF_TARGA = 17;
inline constexpr FREE_IMAGE_FORMAT FIF_WBMP = 19;
inline constexpr FREE_IMAGE_FORMAT FIF_CUT = 21;

// Load flags: FreeImage's defaults, or the accurate (slower) JPEG decoding.
inline constexpr std::int32_t FI_LOAD_DEFAULT = 0;
inline constexpr std::int32_t JPEG_ACCURATE = 2;

// The size argument handed to FreeImage_GetFileType.
inline constexpr std::int32_t FI_FILE_TYPE_SIZE = 16;

inline constexpr const char16_t* FIDLL = u"FreeImage.dll";

// FreeImage's image types (FREE_IMAGE_TYPE) that this unit names: standard
// bitmaps of up to 8 bits a channel, and the types with 16-bit, 32-bit or
// floating-point samples.
using FREE_IMAGE_TYPE = std::int32_t;
inline constexpr FREE_IMAGE_TYPE FIT_BITMAP = 1;
inline constexpr FREE_IMAGE_TYPE FIT_UINT16 = 2;
inline constexpr FREE_IMAGE_TYPE FIT_FLOAT = 6;
inline constexpr FREE_IMAGE_TYPE FIT_RGB16 = 9;
inline constexpr FREE_IMAGE_TYPE FIT_RGBA16 = 10;
inline constexpr FREE_IMAGE_TYPE FIT_RGBF = 11;
inline constexpr FREE_IMAGE_TYPE FIT_RGBAF = 12;

// FreeImage's tone-mapping operators (FREE_IMAGE_TMO) that this unit uses.
using FREE_IMAGE_TMO = std::int32_t;
inline constexpr FREE_IMAGE_TMO FITMO_DRAGO03 = 0;

// The sixteen entry points, in the order they are resolved: the variable's
// name after "FIL_FreeImage_", the export's name, the result and the
// parameters. A library counts as loaded only when it has every one of them.
#define FREEIMAGE_ENTRY_POINTS(X)                                                                                     \
  X(GetFileType, "FreeImage_GetFileType", FREE_IMAGE_FORMAT, (FIFileName FileName, std::int32_t Size))                \
  X(GetFIFFromFilename, "FreeImage_GetFIFFromFilename", FREE_IMAGE_FORMAT, (FIFileName FileName))                     \
  X(Load, "FreeImage_Load", FIBITMAP*, (FREE_IMAGE_FORMAT Fif, FIFileName FileName, std::int32_t Flags))              \
  X(GetInfoHeader, "FreeImage_GetInfoHeader", BITMAPINFOHEADER*, (FIBITMAP * Dib))                                    \
  X(GetInfo, "FreeImage_GetInfo", BITMAPINFO*, (FIBITMAP * Dib))                                                      \
  X(GetBPP, "FreeImage_GetBPP", std::uint32_t, (FIBITMAP * Dib))                                                      \
  X(GetBits, "FreeImage_GetBits", std::uint8_t*, (FIBITMAP * Dib))                                                    \
  X(Unload, "FreeImage_Unload", void, (FIBITMAP * Dib))                                                               \
  X(Initialise, "FreeImage_Initialise", void, (FIBOOL LoadLocalPluginsOnly))                                          \
  X(DeInitialise, "FreeImage_DeInitialise", void, ())                                                                 \
  X(Save, "FreeImage_Save", FIBOOL, (FREE_IMAGE_FORMAT Fif, FIBITMAP * Dib, FIFileName FileName, std::int32_t Flags)) \
  X(Allocate, "FreeImage_Allocate", FIBITMAP*,                                                                        \
    (std::int32_t Width, std::int32_t Height, std::int32_t Bpp, std::uint32_t RedMask, std::uint32_t GreenMask,       \
     std::uint32_t BlueMask))                                                                                         \
  X(GetColorsUsed, "FreeImage_GetColorsUsed", std::uint32_t, (FIBITMAP * Dib))                                        \
  X(GetHeight, "FreeImage_GetHeight", std::uint32_t, (FIBITMAP * Dib))                                                \
  X(GetWidth, "FreeImage_GetWidth", std::uint32_t, (FIBITMAP * Dib))                                                  \
  X(Rescale, "FreeImage_Rescale", FIBITMAP*,                                                                          \
    (FIBITMAP * Dib, std::int32_t DstWidth, std::int32_t DstHeight, FREE_IMAGE_FILTER Filter))

// Entry points bound besides the sixteen, for previews of pictures with more
// than 8 bits a channel or with floating-point samples. They do not count
// towards the library being loaded: without them such pictures give an empty
// preview.
#define FREEIMAGE_PREVIEW_ENTRY_POINTS(X)                                        \
  X(GetImageType, "FreeImage_GetImageType", FREE_IMAGE_TYPE, (FIBITMAP * Dib))   \
  X(ConvertTo8Bits, "FreeImage_ConvertTo8Bits", FIBITMAP*, (FIBITMAP * Dib))     \
  X(ConvertTo24Bits, "FreeImage_ConvertTo24Bits", FIBITMAP*, (FIBITMAP * Dib))   \
  X(ToneMapping, "FreeImage_ToneMapping", FIBITMAP*,                             \
    (FIBITMAP * Dib, FREE_IMAGE_TMO Tmo, double FirstParam, double SecondParam)) \
  X(ConvertToStandardType, "FreeImage_ConvertToStandardType", FIBITMAP*, (FIBITMAP * Src, FIBOOL ScaleLinear))

// For each entry point: its procedure type t_FreeImage_..., its export-name
// constant NAME_FreeImage_... and its variable FIL_FreeImage_..., null until
// resolved. The variables may only be called while FreeImageDLLLoaded is true.
#define FREEIMAGE_DECLARE_ENTRY_POINT(name, exportName, result, parameters) \
  using t_FreeImage_##name = result(*) parameters;                          \
  inline constexpr const char* NAME_FreeImage_##name = exportName;          \
  extern t_FreeImage_##name FIL_FreeImage_##name;
FREEIMAGE_ENTRY_POINTS(FREEIMAGE_DECLARE_ENTRY_POINT)
FREEIMAGE_PREVIEW_ENTRY_POINTS(FREEIMAGE_DECLARE_ENTRY_POINT)
#undef FREEIMAGE_DECLARE_ENTRY_POINT

// Set by the first successful load and kept from then on, also by the unload.
extern PlatformLibrary::HMODULE FreeImageDLLHandle;
// True only after a load that found all sixteen entry points, until the unload.
// Every service checks it first.
extern bool FreeImageDLLLoaded;

// Loads the library (once: a held handle is kept) and resolves the sixteen
// entry points; true when the library is loaded and all of them were found. A
// library that lacks one stays loaded, but the services stay off.
bool InitFreeImageLibrary();

// Unloads the library; true when it was unloaded. The handle and the entry
// points keep their values.
bool FreeFreeImageLibrary();

// The FreeImage format of the file: by its content, then by its name, then by
// a few extensions FreeImage may not name itself; -1 when it is not recognised
// or is an icon or animated cursor (".ICO", ".ANI"), which are never handed to
// FreeImage. Never throws.
std::int32_t FreeImageGetFileFormat(const QString& FileName);

// Decodes the file into a new bitmap of the picture's width and height
// (Format_RGB32, top row first, no alpha) stored in PicBitmap; true on success.
// When the library is not loaded or FreeImage yields no image, PicBitmap is not
// touched. Pictures with 16-bit samples show their top 8 bits; floating-point
// pictures are tone-mapped; FreeImage's other numeric types are scaled
// linearly. A picture that cannot be put into a bitmap leaves an empty bitmap
// there, and the result is still true. Handle, the window the bitmap is
// meant for, is not used: this platform has no window device contexts. Never
// throws; the caller owns whatever PicBitmap holds afterwards.
bool FreeImageLoadImage(const QString& FileName, std::unique_ptr<QImage>& PicBitmap, QWidget* Handle);

}  // namespace FreeImageLoader
