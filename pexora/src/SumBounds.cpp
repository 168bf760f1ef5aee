#include "SumBounds.h"

#include <algorithm>

namespace pexora {

SumBounds::SumBounds(const SearchTemplate& t) {
  for (int c = t.firstChannel; c < 4; ++c) {
    if (!(t.model == ColorModel::kAhsl && c == 1)) channels_.push_back(c);
  }
  // The pixels that take part (not those an alpha mask leaves out), by place.
  const size_t width = static_cast<size_t>(t.width);
  std::vector<const TemplatePixel*> at(width * static_cast<size_t>(t.height), nullptr);
  for (const TemplatePixel& p : t.pixels) at[static_cast<size_t>(p.y) * width + static_cast<size_t>(p.x)] = &p;
  const int32_t longest = std::max(t.width, t.height);
  // A box of 256 x 256 of 16-bit values still sums below 2^32.
  // Blocks of 4 took longer than the exact sum a row at a time.
  for (const int32_t side : {256, 16}) {
    if (side != 256 && side >= longest) continue;
    std::vector<Block> blocks;
    for (int32_t by = 0; by < t.height; by += side) {
      for (int32_t bx = 0; bx < t.width; bx += side) {
        Block b{bx, by, std::min(side, t.width - bx), std::min(side, t.height - by), {}, {}};
        bool whole = true;
        for (int32_t y = b.y; whole && y < b.y + b.height; ++y) {
          for (int32_t x = b.x; x < b.x + b.width; ++x) {
            const TemplatePixel* p = at[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
            if (p == nullptr) {
              whole = false;
              break;
            }
            for (const int c : channels_) {
              b.low[static_cast<size_t>(c)] += p->exactLow[static_cast<size_t>(c)];
              b.high[static_cast<size_t>(c)] += p->exactHigh[static_cast<size_t>(c)];
            }
          }
        }
        if (whole) blocks.push_back(b);
      }
    }
    levels_.push_back(std::move(blocks));
  }
}

uint64_t SumBounds::Bound(const PlaneSums& sums, int level, int32_t x, int32_t y) const {
  uint64_t bound = 0;
  for (const Block& b : levels_[static_cast<size_t>(level)]) {
    for (const int c : channels_) {
      const uint64_t value = sums.Box(c, x + b.x, y + b.y, b.width, b.height);
      const uint64_t low = b.low[static_cast<size_t>(c)], high = b.high[static_cast<size_t>(c)];
      bound += value < low ? low - value : value > high ? value - high : 0;
    }
  }
  return bound;
}

}  // namespace pexora
