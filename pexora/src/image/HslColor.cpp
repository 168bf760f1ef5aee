#include "image/HslColor.h"

#include "core/Image.h"

namespace pexora {

namespace {

// numerator / denominator rounded to nearest, both non-negative.
uint32_t RoundedDivide(uint64_t numerator, uint64_t denominator) {
  return static_cast<uint32_t>((2 * numerator + denominator) / (2 * denominator));
}

}  // namespace

Hsl16 ToHsl16(uint32_t argb) {
  const int32_t r = static_cast<int32_t>(RedOf(argb));
  const int32_t g = static_cast<int32_t>(GreenOf(argb));
  const int32_t b = static_cast<int32_t>(BlueOf(argb));
  const int32_t high = std::max({r, g, b});
  const int32_t low = std::min({r, g, b});
  const int32_t delta = high - low;
  Hsl16 hsl;
  // L = (max + min) / 2 and C = max - min with channels in 0..1; 65535 / 255 = 257.
  hsl.lightness = static_cast<uint16_t>(RoundedDivide(uint64_t(high + low) * 65535, 510));
  hsl.chroma = static_cast<uint16_t>(delta * 257);
  if (delta == 0) return hsl;
  // Hue in sixths of the circle: sector * delta + offset, over 6 * delta.
  int32_t sixths;
  if (high == r) {
    sixths = g - b;
  } else if (high == g) {
    sixths = 2 * delta + (b - r);
  } else {
    sixths = 4 * delta + (r - g);
  }
  if (sixths < 0) sixths += 6 * delta;
  hsl.hue = static_cast<uint16_t>(RoundedDivide(uint64_t(sixths) * 65536, uint64_t(6) * delta) & 0xFFFFu);
  return hsl;
}

}  // namespace pexora
