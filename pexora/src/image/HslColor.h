// Hue, chroma and lightness of an ARGB pixel in 16-bit fixed point.
//
// Hue is a fraction of the full circle times 65536, taken modulo 65536 (0 for
// grey); chroma (max - min of R, G, B) and lightness ((max + min) / 2) are
// 0..1 times 65535. Everything is computed in integers, rounded to nearest,
// so that every part of the library that asks for the same pixel gets the
// same answer.
#pragma once

#include <algorithm>
#include <cstdint>

namespace pexora {

struct Hsl16 {
  uint16_t hue = 0;
  uint16_t chroma = 0;
  uint16_t lightness = 0;
};

Hsl16 ToHsl16(uint32_t argb);

// The largest value of WeightedHueDistance.
inline constexpr uint32_t kMaxWeightedHueDistance = 32767;

// The circular distance of two hues (0..32768, half the circle at most) times
// a chroma, in the units of chroma: floor(distance * chroma / 65536). Between
// vivid colours the hue counts fully; towards grey it fades out.
inline uint32_t WeightedHueDistance(uint16_t hueA, uint16_t hueB, uint16_t chroma) {
  const uint32_t apart = hueA > hueB ? uint32_t(hueA - hueB) : uint32_t(hueB - hueA);
  const uint32_t distance = std::min(apart, 65536 - apart);
  return (distance * chroma) >> 16;
}

}  // namespace pexora
