// Hue, saturation and lightness of an ARGB pixel in 16-bit fixed point.
//
// Hue is a fraction of the full circle times 65536, taken modulo 65536;
// saturation and lightness are 0..1 times 65535. Everything is computed in
// integers, rounded to nearest, so that every part of the library that asks
// for the same pixel gets the same answer.
#pragma once

#include <cstdint>

namespace pexora {

struct Hsl16 {
  uint16_t hue = 0;
  uint16_t saturation = 0;
  uint16_t lightness = 0;
  bool grey = true;  // max == min: the hue means nothing
};

Hsl16 ToHsl16(uint32_t argb);

}  // namespace pexora
