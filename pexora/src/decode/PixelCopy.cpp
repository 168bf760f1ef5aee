#include "decode/PixelCopy.h"

#include <cstring>

#include "core/Limits.h"
#include "core/StatusError.h"
#include "pexora/pexora.h"

namespace pexora {

Image CopyPixels(int32_t width, int32_t height, int32_t stride, const void* pixels) {
  if (width < 1 || height < 1) throw StatusError(PX_ERROR_DIMENSIONS);
  if (pixels == nullptr || int64_t{stride} < 4 * int64_t{width}) throw StatusError(PX_ERROR_INVALID_PARAMETER);
  if (int64_t{width} * height > kMaxPixels) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(image.PixelCount()));
  const auto* row = static_cast<const unsigned char*>(pixels);
  const size_t rowBytes = 4 * static_cast<size_t>(width);
  for (int32_t y = 0; y < height; ++y, row += stride) {
    // Rows need not be 4-byte aligned: copy bytes, not words.
    std::memcpy(image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), row, rowBytes);
  }
  return image;
}

}  // namespace pexora
