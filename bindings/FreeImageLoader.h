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

// FreeImage's calling convention: standard call on Windows, the platform's C
// convention elsewhere.
#ifdef _WIN32
#define FI_CALL __stdcall
#else
#define FI_CALL
#endif

// FreeImage's file-name functions take UTF-16 names on Windows (the "U"
// exports); elsewhere those exports do nothing, and the 8-bit exports are used
// with UTF-8 names.
#ifdef _WIN32
using FIFileName = const wchar_t*;
#else
using FIFileName = const char*;
#endif

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

using t_FreeImage_GetFileType = FREE_IMAGE_FORMAT(FI_CALL*)(FIFileName FileName, std::int32_t Size);
using t_FreeImage_GetFIFFromFilename = FREE_IMAGE_FORMAT(FI_CALL*)(FIFileName FileName);
using t_FreeImage_Load = FIBITMAP*(FI_CALL*)(FREE_IMAGE_FORMAT Fif, FIFileName FileName, std::int32_t Flags);
using t_FreeImage_GetInfoHeader = BITMAPINFOHEADER*(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_GetInfo = BITMAPINFO*(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_GetBPP = std::uint32_t(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_GetBits = std::uint8_t*(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_Unload = void(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_Initialise = void(FI_CALL*)(FIBOOL LoadLocalPluginsOnly);
using t_FreeImage_DeInitialise = void(FI_CALL*)();
using t_FreeImage_Save = FIBOOL(FI_CALL*)(FREE_IMAGE_FORMAT Fif, FIBITMAP* Dib, FIFileName FileName,
                                         std::int32_t Flags);
using t_FreeImage_Allocate = FIBITMAP*(FI_CALL*)(std::int32_t Width, std::int32_t Height, std::int32_t Bpp,
                                                 std::uint32_t RedMask, std::uint32_t GreenMask,
                                                 std::uint32_t BlueMask);
using t_FreeImage_GetColorsUsed = std::uint32_t(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_GetHeight = std::uint32_t(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_GetWidth = std::uint32_t(FI_CALL*)(FIBITMAP* Dib);
using t_FreeImage_Rescale = FIBITMAP*(FI_CALL*)(FIBITMAP* Dib, std::int32_t DstWidth, std::int32_t DstHeight,
                                                FREE_IMAGE_FILTER Filter);

inline constexpr const char16_t* FIDLL = u"FreeImage.dll";

// Export names, in the order they are resolved. A 32-bit Windows build uses
// the decorated standard-call names, a 64-bit Windows build the plain "U"
// names; elsewhere the 8-bit file-name exports stand in for the "U" ones.
#if defined(_WIN32) && !defined(_WIN64)
inline constexpr const char* NAME_FreeImage_GetFileType = "_FreeImage_GetFileTypeU@8";
inline constexpr const char* NAME_FreeImage_GetFIFFromFilename = "_FreeImage_GetFIFFromFilenameU@4";
inline constexpr const char* NAME_FreeImage_Load = "_FreeImage_LoadU@12";
inline constexpr const char* NAME_FreeImage_GetInfoHeader = "_FreeImage_GetInfoHeader@4";
inline constexpr const char* NAME_FreeImage_GetInfo = "_FreeImage_GetInfo@4";
inline constexpr const char* NAME_FreeImage_GetBPP = "_FreeImage_GetBPP@4";
inline constexpr const char* NAME_FreeImage_GetBits = "_FreeImage_GetBits@4";
inline constexpr const char* NAME_FreeImage_Unload = "_FreeImage_Unload@4";
inline constexpr const char* NAME_FreeImage_Initialise = "_FreeImage_Initialise@4";
inline constexpr const char* NAME_FreeImage_DeInitialise = "_FreeImage_DeInitialise@0";
inline constexpr const char* NAME_FreeImage_Save = "_FreeImage_SaveU@16";
inline constexpr const char* NAME_FreeImage_Allocate = "_FreeImage_Allocate@24";
inline constexpr const char* NAME_FreeImage_GetColorsUsed = "_FreeImage_GetColorsUsed@4";
inline constexpr const char* NAME_FreeImage_GetHeight = "_FreeImage_GetHeight@4";
inline constexpr const char* NAME_FreeImage_GetWidth = "_FreeImage_GetWidth@4";
inline constexpr const char* NAME_FreeImage_Rescale = "_FreeImage_Rescale@16";
#elif defined(_WIN32)
inline constexpr const char* NAME_FreeImage_GetFileType = "FreeImage_GetFileTypeU";
inline constexpr const char* NAME_FreeImage_GetFIFFromFilename = "FreeImage_GetFIFFromFilenameU";
inline constexpr const char* NAME_FreeImage_Load = "FreeImage_LoadU";
inline constexpr const char* NAME_FreeImage_Save = "FreeImage_SaveU";
#else
inline constexpr const char* NAME_FreeImage_GetFileType = "FreeImage_GetFileType";
inline constexpr const char* NAME_FreeImage_GetFIFFromFilename = "FreeImage_GetFIFFromFilename";
inline constexpr const char* NAME_FreeImage_Load = "FreeImage_Load";
inline constexpr const char* NAME_FreeImage_Save = "FreeImage_Save";
#endif
#if !defined(_WIN32) || defined(_WIN64)
inline constexpr const char* NAME_FreeImage_GetInfoHeader = "FreeImage_GetInfoHeader";
inline constexpr const char* NAME_FreeImage_GetInfo = "FreeImage_GetInfo";
inline constexpr const char* NAME_FreeImage_GetBPP = "FreeImage_GetBPP";
inline constexpr const char* NAME_FreeImage_GetBits = "FreeImage_GetBits";
inline constexpr const char* NAME_FreeImage_Unload = "FreeImage_Unload";
inline constexpr const char* NAME_FreeImage_Initialise = "FreeImage_Initialise";
inline constexpr const char* NAME_FreeImage_DeInitialise = "FreeImage_DeInitialise";
inline constexpr const char* NAME_FreeImage_Allocate = "FreeImage_Allocate";
inline constexpr const char* NAME_FreeImage_GetColorsUsed = "FreeImage_GetColorsUsed";
inline constexpr const char* NAME_FreeImage_GetHeight = "FreeImage_GetHeight";
inline constexpr const char* NAME_FreeImage_GetWidth = "FreeImage_GetWidth";
inline constexpr const char* NAME_FreeImage_Rescale = "FreeImage_Rescale";
#endif

// Set by the first successful load and kept from then on, also by the unload.
extern PlatformLibrary::HMODULE FreeImageDLLHandle;
// True only after a load that found all sixteen entry points, until the unload.
// Every service checks it first.
extern bool FreeImageDLLLoaded;

// The entry points; null until resolved. They may only be called while
// FreeImageDLLLoaded is true.
extern t_FreeImage_GetFileType FIL_FreeImage_GetFileType;
extern t_FreeImage_GetFIFFromFilename FIL_FreeImage_GetFIFFromFilename;
extern t_FreeImage_Load FIL_FreeImage_Load;
extern t_FreeImage_GetInfoHeader FIL_FreeImage_GetInfoHeader;
extern t_FreeImage_GetInfo FIL_FreeImage_GetInfo;
extern t_FreeImage_GetBPP FIL_FreeImage_GetBPP;
extern t_FreeImage_GetBits FIL_FreeImage_GetBits;
extern t_FreeImage_Unload FIL_FreeImage_Unload;
extern t_FreeImage_Initialise FIL_FreeImage_Initialise;
extern t_FreeImage_DeInitialise FIL_FreeImage_DeInitialise;
extern t_FreeImage_Save FIL_FreeImage_Save;
extern t_FreeImage_Allocate FIL_FreeImage_Allocate;
extern t_FreeImage_GetColorsUsed FIL_FreeImage_GetColorsUsed;
extern t_FreeImage_GetHeight FIL_FreeImage_GetHeight;
extern t_FreeImage_GetWidth FIL_FreeImage_GetWidth;
extern t_FreeImage_Rescale FIL_FreeImage_Rescale;

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
// touched. A picture whose pixels cannot be put into a bitmap (FreeImage's
// types with 16 bits per sample or floating-point samples) leaves an empty
// bitmap there, and the result is still true. Handle, the window the bitmap is
// meant for, is not used: this platform has no window device contexts. Never
// throws; the caller owns whatever PicBitmap holds afterwards.
bool FreeImageLoadImage(const QString& FileName, std::unique_ptr<QImage>& PicBitmap, QWidget* Handle);

}  // namespace FreeImageLoader
