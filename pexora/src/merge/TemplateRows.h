// A search-for size's accepted ranges in rows, for sums of differences that
// read a row of searched values at a time (RowSums): per channel what
// tolerance 0 accepts, and the AHSL hue's reference, chroma and slack.
// Pixels that do not take part accept everything and weigh no hue, so that
// they add nothing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scan/SearchTemplate.h"

namespace pexora {

struct TemplateRows {
  // Channels from firstChannel on (FirstSummedChannel).
  TemplateRows(const SearchTemplate& t, int firstChannel);

  // Elements past the last row, so that a vector load from a row's last
  // pixels stays inside.
  static constexpr size_t kPadding = 128;

  int32_t width = 0;
  int32_t height = 0;
  ColorModel model = ColorModel::kArgb;
  int firstChannel = 0;
  std::array<std::vector<uint16_t>, 4> low, high;  // by y * width + x; the hue's unused
  std::vector<uint16_t> hue, hueChroma, hueSlack;  // AHSL only
};

}  // namespace pexora
