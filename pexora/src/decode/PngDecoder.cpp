#include "decode/PngDecoder.h"

#include <cstdio>

#include "decode/DecodeChecks.h"
#include "decode/FreeImageBitmap.h"

namespace pexora {

Image DecodePng(const uint8_t* data, size_t size) {
  EnsureFreeImage();
  Memory memory(FreeImage_OpenMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)));
  if (!memory) FailLoading();
  // The header alone first, so that a file that claims a huge size is
  // refused before its pixels are allocated.
  Bitmap header(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), FIF_LOAD_NOPIXELS));
  if (!header) FailLoading();
  CheckPictureSize(FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()));
  FreeImage_SeekMemory(memory.get(), 0, SEEK_SET);
  Bitmap decoded(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), 0));
  if (!decoded || !FreeImage_HasPixels(decoded.get())) FailLoading();
  CheckPictureSize(FreeImage_GetWidth(decoded.get()), FreeImage_GetHeight(decoded.get()));
  Bitmap argb = To32Bits(decoded.get());
  return FromBitmap32(argb.get());
}

}  // namespace pexora
