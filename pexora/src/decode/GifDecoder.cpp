#include "decode/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "decode/DecodeChecks.h"

namespace pexora {

namespace {

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* buffer, int count) {
  auto& reader = *static_cast<MemoryReader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), reader.size - reader.position);
  std::memcpy(buffer, reader.data + reader.position, n);
  reader.position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
  }
};

void Check(int result) {
  if (result == GIF_ERROR) FailLoading();
}

Image DecodeFrame(GifFileType* gif, int transparent) {
  const GifImageDesc& frame = gif->Image;
  CheckPictureSize(frame.Width, frame.Height);
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr) FailLoading();
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) {
    // Indices past the colour map are black.
    const GifColorType c = i < colours->ColorCount ? colours->Colors[i] : GifColorType{0, 0, 0};
    palette[i] = (i == transparent ? 0u : 0xFF000000u) | uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
  }
  Image image;
  image.width = frame.Width;
  image.height = frame.Height;
  const size_t width = static_cast<size_t>(frame.Width);
  std::vector<GifPixelType> line(width);
  const auto readRow = [&](uint32_t* out) {
    Check(DGifGetLine(gif, line.data(), frame.Width));
    for (size_t x = 0; x < width; ++x) out[x] = palette[line[x]];
  };
  if (frame.Interlace) {
    image.pixels.resize(static_cast<size_t>(image.PixelCount()));
    static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < frame.Height; y += kStep[pass]) {
        readRow(image.pixels.data() + static_cast<size_t>(y) * width);
      }
    }
  } else {
    // Rows are added as they come, so that a file whose data ends early
    // fails before the whole picture's memory is touched.
    image.pixels.reserve(static_cast<size_t>(image.PixelCount()));
    for (int y = 0; y < frame.Height; ++y) {
      image.pixels.resize(image.pixels.size() + width);
      readRow(image.pixels.data() + image.pixels.size() - width);
    }
  }
  return image;
}

}  // namespace

Image DecodeGif(const uint8_t* data, size_t size) {
  MemoryReader reader{data, size};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadBytes, &error));
  if (!gif) FailLoading();
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    Check(DGifGetRecordType(gif.get(), &type));
    if (type == IMAGE_DESC_RECORD_TYPE) {
      Check(DGifGetImageDesc(gif.get()));
      return DecodeFrame(gif.get(), transparent);
    }
    if (type != EXTENSION_RECORD_TYPE) FailLoading();  // the file ends before its first frame
    int code = 0;
    GifByteType* block = nullptr;
    Check(DGifGetExtension(gif.get(), &code, &block));
    GraphicsControlBlock control;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
        DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
      transparent = control.TransparentColor;
    }
    while (block != nullptr) Check(DGifGetExtensionNext(gif.get(), &block));
  }
}

}  // namespace pexora
