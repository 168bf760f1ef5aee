// The search-for picture at one size, prepared for the scan: its pixels that
// take part, in the order they are tested, each with its channel values, its
// own thresholds and its offset in the searched picture's planes.
//
// Pixels are tested coarse to fine (every 64th pixel of every 64th row first,
// then the grid halves), so that the first tests are spread over the whole
// picture and a wrong position is usually rejected after few of them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "CompareSettings.h"
#include "Image.h"

namespace pexora {

struct TemplatePixel {
  int32_t x = 0;
  int32_t y = 0;
  int64_t offset = 0;  // y * searched width + x
  std::array<uint16_t, 4> value{};
  std::array<uint16_t, 4> threshold{};
  uint16_t hueMask = 0;  // AHSL: 0xFFFF unless the pixel is grey
  uint16_t weight = 0;   // 255, or the pixel's alpha with an alpha mask
};

struct SearchTemplate {
  int32_t width = 0;
  int32_t height = 0;
  ColorModel model = ColorModel::kArgb;
  int firstChannel = 0;  // 1 with an alpha mask: the A plane is not compared
  std::vector<TemplatePixel> pixels;

  int64_t Compared() const { return static_cast<int64_t>(pixels.size()); }
};

SearchTemplate MakeSearchTemplate(const Image& picture, const CompareSettings& settings,
                                  int32_t searchedWidth);

}  // namespace pexora
