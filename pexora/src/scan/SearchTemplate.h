// The search-for picture at one size, prepared for the scan: its pixels that
// take part, in the order they are tested, each with the values of a
// searched pixel that it accepts and its offset in the searched picture's
// planes.
//
// Pixels are tested coarse to fine (every 64th pixel of every 64th row first,
// then the grid halves), so that the first tests are spread over the whole
// picture and a wrong position is usually rejected after few of them. A pixel
// that accepts every value of every compared channel can never differ: it is
// counted as compared but never tested, only summed.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/Image.h"
#include "image/RunBounds.h"
#include "scan/CompareSettings.h"

namespace pexora {

struct TemplatePixel {
  int32_t x = 0;
  int32_t y = 0;
  int64_t offset = 0;  // y * searched width + x
  // Per width of kRunWidths: RunOffset(x, y) in the searched picture's run bounds.
  std::array<int64_t, kRunWidths.size()> runOffset{};
  // Channel c of a searched pixel passes when its value lies in
  // low[c]..high[c]; exactLow[c]..exactHigh[c] is what tolerance 0 accepts.
  // Not used for the AHSL hue, which is weighted (below).
  std::array<uint16_t, 4> low{};
  std::array<uint16_t, 4> high{};
  std::array<uint16_t, 4> exactLow{};
  std::array<uint16_t, 4> exactHigh{};
  // AHSL: the hue passes when WeightedHueDistance(searched hue, hue,
  // min(searched chroma, hueChroma)) is at most hueLimit; hueSlack is the part
  // of hueLimit that tolerance 0 accepts.
  uint16_t hue = 0;
  uint16_t hueChroma = 0;
  uint16_t hueLimit = 0;
  uint16_t hueSlack = 0;
};

struct SearchTemplate {
  int32_t width = 0;
  int32_t height = 0;
  ColorModel model = ColorModel::kArgb;
  int firstChannel = 0;  // 1 with an alpha mask: the A plane is not compared
  // The first `tested` pixels in their rejecting order, then those that never differ.
  std::vector<TemplatePixel> pixels;
  size_t tested = 0;
  // Every tested pixel accepts alpha 255.
  bool acceptsOpaque = false;
  // Every pixel's alpha is 255: against opaque searched pixels its alpha
  // adds nothing to a sum of differences.
  bool exactlyOpaque = false;

  int64_t Compared() const { return static_cast<int64_t>(pixels.size()); }
};

SearchTemplate MakeSearchTemplate(const Image& picture, const CompareSettings& settings, int32_t searchedWidth);

// The memory of a SearchTemplate of `pixels` pixels, and what its making
// takes besides (the sorted copy of its pixels and their sort keys).
int64_t TemplateBytes(int64_t pixels);
int64_t TemplateBuildingBytes(int64_t pixels);

}  // namespace pexora
