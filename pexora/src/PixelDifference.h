// The per-pixel rule of the scan, in the fixed-point units of ChannelPlanes.
#pragma once

#include <cstdint>

#include "ChannelPlanes.h"
#include "SearchTemplate.h"

namespace pexora {

// The difference of channel c between the searched picture's pixel at index i
// and the template pixel p: absolute, circular for the hue (at most 32768),
// and 0 for the hue when either pixel is grey.
inline uint32_t ChannelDifference(const ChannelPlanes& in, size_t i, const SearchTemplate& t,
                                  const TemplatePixel& p, int c) {
  const int32_t a = in.channel[c][i];
  const int32_t b = p.value[c];
  uint32_t d = static_cast<uint32_t>(a > b ? a - b : b - a);
  if (c == 1 && t.model == ColorModel::kAhsl) {
    if (d > 32768) d = 65536 - d;
    if ((in.hueMask[i] & p.hueMask) == 0) d = 0;
  }
  return d;
}

inline bool PixelDiffers(const ChannelPlanes& in, size_t i, const SearchTemplate& t, const TemplatePixel& p) {
  for (int c = t.firstChannel; c < 4; ++c) {
    if (ChannelDifference(in, i, t, p, c) > p.threshold[c]) return true;
  }
  return false;
}

}  // namespace pexora
