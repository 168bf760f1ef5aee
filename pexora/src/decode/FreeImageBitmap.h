// FreeImage bitmaps as the library uses them: owned, quiet, and converted
// to and from 32-bit ARGB pictures.
#pragma once

#include <FreeImage.h>

#include <memory>

#include "core/Image.h"

namespace pexora {

struct BitmapDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct MemoryDeleter {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
using Memory = std::unique_ptr<FIMEMORY, MemoryDeleter>;

// Initialises FreeImage once per process, with its messages silenced. It is
// never deinitialised: its plugins stay alive when its own library
// destructor runs at exit, under calls still running.
void EnsureFreeImage();

// Brings any decoded bitmap to 32 bits per pixel with alpha; PX_ERROR_LOADING
// when FreeImage cannot.
Bitmap To32Bits(FIBITMAP* dib);

// The picture of a 32-bit bitmap, top row first; its size is checked against
// the library's limits (PX_ERROR_LOADING, PX_ERROR_NOT_ENOUGH_MEMORY).
Image FromBitmap32(FIBITMAP* dib);

// A 32-bit bitmap of the picture; PX_ERROR_NOT_ENOUGH_MEMORY when FreeImage
// cannot allocate it.
Bitmap ToBitmap32(const Image& image);

}  // namespace pexora
