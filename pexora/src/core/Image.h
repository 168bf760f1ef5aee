// A decoded picture: 32-bit ARGB pixels (0xAARRGGBB), top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pexora {

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  int64_t PixelCount() const { return int64_t{width} * height; }
};

inline uint32_t AlphaOf(uint32_t argb) { return argb >> 24; }
inline uint32_t RedOf(uint32_t argb) { return (argb >> 16) & 0xFFu; }
inline uint32_t GreenOf(uint32_t argb) { return (argb >> 8) & 0xFFu; }
inline uint32_t BlueOf(uint32_t argb) { return argb & 0xFFu; }

}  // namespace pexora
