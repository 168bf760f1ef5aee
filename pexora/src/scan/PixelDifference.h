// The per-pixel rule of the scan, in the fixed-point units of ChannelPlanes.
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/ChannelPlanes.h"
#include "image/HslColor.h"
#include "scan/SearchTemplate.h"

namespace pexora {

// How far value lies outside low..high; 0 inside.
inline uint32_t Outside(uint32_t value, uint32_t low, uint32_t high) {
  return value < low ? low - value : value > high ? value - high : 0;
}

// The AHSL hue distance between the searched pixel at index i and p, weighted
// by the smaller of the searched pixel's chroma and p.hueChroma.
inline uint32_t WeightedHue(const ChannelPlanes& in, size_t i, const TemplatePixel& p) {
  return WeightedHueDistance(in.channel[1][i], p.hue, std::min(in.channel[2][i], p.hueChroma));
}

inline bool PixelDiffers(const ChannelPlanes& in, size_t i, const SearchTemplate& t, const TemplatePixel& p) {
  for (int c = t.firstChannel; c < 4; ++c) {
    const bool out = t.model == ColorModel::kAhsl && c == 1 ? WeightedHue(in, i, p) > p.hueLimit
                                                            : Outside(in.channel[c][i], p.low[c], p.high[c]) > 0;
    if (out) return true;
  }
  return false;
}

// The sum over the compared channels of how far the searched pixel at index i
// lies outside what p accepts at tolerance 0.
inline uint32_t PixelDistance(const ChannelPlanes& in, size_t i, const SearchTemplate& t, const TemplatePixel& p) {
  uint32_t sum = 0;
  for (int c = t.firstChannel; c < 4; ++c) {
    if (t.model == ColorModel::kAhsl && c == 1) {
      const uint32_t hue = WeightedHue(in, i, p);
      sum += hue > p.hueSlack ? hue - p.hueSlack : 0;
    } else {
      sum += Outside(in.channel[c][i], p.exactLow[c], p.exactHigh[c]);
    }
  }
  return sum;
}

}  // namespace pexora
