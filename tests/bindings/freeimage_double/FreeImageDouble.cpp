// A stand-in for FreeImage with its sixteen exports under the 8-bit names.
// Built once complete and once per export left out (FI_DOUBLE_OMIT = the
// export's place, 1 to 16), and once with the Windows "U" names instead of the
// 8-bit ones (FI_DOUBLE_WIDE_NAMES).
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "FreeImageDoubleControl.h"

#ifndef FI_DOUBLE_OMIT
#define FI_DOUBLE_OMIT 0
#endif

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using FreeImageDouble::Control;
using FreeImageDouble::Throw;

Control control;

// Some libraries change the x87 control word while they load (precision,
// exception masks); the double does so too, to a value nobody keeps by
// accident: single precision, rounding toward zero.
__attribute__((constructor)) void ChangeTheFloatingPointControlWord() {
  const std::uint16_t changed = 0x0C7F;
  __asm__ __volatile__("fldcw %0" : : "m"(changed));
}

struct Header {
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

// The one picture the double decodes: 2 x 2, 24 bits, bottom-up. Top row red,
// green; bottom row blue, white.
struct Picture {
  Header header{40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0};
  std::uint8_t colourTableSpace[4] = {};
  std::uint8_t bits[16] = {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0,   // bottom: blue, white
                           0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0};  // top: red, green
} picture;

void Remember(const char* fileName) {
  std::strncpy(control.lastFileName, fileName ? fileName : "", sizeof control.lastFileName - 1);
}

void MaybeThrow(Throw where) {
  if (control.throwIn == where) throw std::runtime_error("failure inside the double");
}

}  // namespace

EXPORT Control* FreeImageDouble_Control() { return &control; }

#ifdef FI_DOUBLE_WIDE_NAMES
#define NAME_GETFILETYPE FreeImage_GetFileTypeU
#define NAME_GETFIF FreeImage_GetFIFFromFilenameU
#define NAME_LOAD FreeImage_LoadU
#define NAME_SAVE FreeImage_SaveU
#else
#define NAME_GETFILETYPE FreeImage_GetFileType
#define NAME_GETFIF FreeImage_GetFIFFromFilename
#define NAME_LOAD FreeImage_Load
#define NAME_SAVE FreeImage_Save
#endif

#if FI_DOUBLE_OMIT != 1
EXPORT std::int32_t NAME_GETFILETYPE(const char* fileName, std::int32_t size) {
  ++control.getFileTypeCalls;
  control.lastSize = size;
  Remember(fileName);
  MaybeThrow(Throw::InGetFileType);
  return control.fileType;
}
#endif
#if FI_DOUBLE_OMIT != 2
EXPORT std::int32_t NAME_GETFIF(const char* fileName) {
  ++control.fifFromFilenameCalls;
  Remember(fileName);
  return control.fifFromFilename;
}
#endif
#if FI_DOUBLE_OMIT != 3
EXPORT void* NAME_LOAD(std::int32_t format, const char* fileName, std::int32_t flags) {
  ++control.loadCalls;
  control.lastLoadFormat = format;
  control.lastLoadFlags = flags;
  Remember(fileName);
  MaybeThrow(Throw::InLoad);
  return control.loadGivesPicture ? &picture : nullptr;
}
#endif
#if FI_DOUBLE_OMIT != 4
EXPORT void* FreeImage_GetInfoHeader(void* dib) {
  MaybeThrow(Throw::InGetInfoHeader);
  return dib ? &picture.header : nullptr;
}
#endif
#if FI_DOUBLE_OMIT != 5
EXPORT void* FreeImage_GetInfo(void* dib) { return dib ? &picture.header : nullptr; }
#endif
#if FI_DOUBLE_OMIT != 6
EXPORT unsigned FreeImage_GetBPP(void*) { return 24; }
#endif
#if FI_DOUBLE_OMIT != 7
EXPORT std::uint8_t* FreeImage_GetBits(void* dib) {
  MaybeThrow(Throw::InGetBits);
  return dib ? picture.bits : nullptr;
}
#endif
#if FI_DOUBLE_OMIT != 8
EXPORT void FreeImage_Unload(void*) { ++control.unloadCalls; }
#endif
#if FI_DOUBLE_OMIT != 9
EXPORT void FreeImage_Initialise(std::int32_t) {}
#endif
#if FI_DOUBLE_OMIT != 10
EXPORT void FreeImage_DeInitialise() {}
#endif
#if FI_DOUBLE_OMIT != 11
EXPORT std::int32_t NAME_SAVE(std::int32_t, void*, const char*, std::int32_t) { return 0; }
#endif
#if FI_DOUBLE_OMIT != 12
EXPORT void* FreeImage_Allocate(std::int32_t, std::int32_t, std::int32_t, unsigned, unsigned, unsigned) {
  return nullptr;
}
#endif
#if FI_DOUBLE_OMIT != 13
EXPORT unsigned FreeImage_GetColorsUsed(void*) { return 0; }
#endif
#if FI_DOUBLE_OMIT != 14
EXPORT unsigned FreeImage_GetHeight(void*) { return 2; }
#endif
#if FI_DOUBLE_OMIT != 15
EXPORT unsigned FreeImage_GetWidth(void*) { return 2; }
#endif
#if FI_DOUBLE_OMIT != 16
EXPORT void* FreeImage_Rescale(void*, std::int32_t, std::int32_t, std::int32_t) { return nullptr; }
#endif
