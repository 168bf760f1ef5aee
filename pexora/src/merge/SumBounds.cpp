#include "merge/SumBounds.h"

#include <algorithm>
#include <tuple>

namespace pexora {

SumBounds::SumBounds(const SearchTemplate& t, int firstChannel) {
  for (int c = firstChannel; c < 4; ++c) {
    if (!(t.model == ColorModel::kAhsl && c == 1)) channels_.push_back(c);
  }
  // The pixels that take part (not those an alpha mask leaves out), by place.
  const size_t width = static_cast<size_t>(t.width);
  std::vector<const TemplatePixel*> at(width * static_cast<size_t>(t.height), nullptr);
  for (const TemplatePixel& p : t.pixels) at[static_cast<size_t>(p.y) * width + static_cast<size_t>(p.x)] = &p;
  const int32_t longest = std::max(t.width, t.height);
  // A block whose pixels all take part, with its sums; false for one that
  // holds a pixel an alpha mask leaves out.
  const auto whole = [&](int32_t bx, int32_t by, int32_t side, Block& b) {
    b = {bx, by, std::min(side, t.width - bx), std::min(side, t.height - by), {}, {}};
    for (int32_t y = b.y; y < b.y + b.height; ++y) {
      for (int32_t x = b.x; x < b.x + b.width; ++x) {
        const TemplatePixel* p = at[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
        if (p == nullptr) return false;
        for (const int c : channels_) {
          b.low[static_cast<size_t>(c)] += p->exactLow[static_cast<size_t>(c)];
          b.high[static_cast<size_t>(c)] += p->exactHigh[static_cast<size_t>(c)];
        }
      }
    }
    return true;
  };
  // Blocks of 4 a side as a level of their own took longer than the exact
  // sum; they stand in for blocks of 16 that are not whole, as those of 16
  // do for blocks of 256 and 64. Between 256 (a handful of blocks for a
  // picture of 480 x 270) and 16 (510 of them), the blocks of 64 rule out
  // most candidates at a twelfth of the cost of the next level: the 480 x
  // 270 search wide open had refined 551,000 candidates to blocks of 16.
  // A box of 256 x 256 of 16-bit values still sums below 2^32.
  // A block of 64 stands for its blocks of 16 only inside a whole block of
  // 256, where the level of 256 summed it whole too: elsewhere that level
  // summed the blocks of 16, and one block of 64 over them could bound less.
  const int32_t across = (t.width + 255) / 256;
  std::vector<bool> whole256;
  for (const int32_t side : {256, 64, 16}) {
    if (side != 256 && side >= longest) continue;
    const int32_t part = side == 16 ? 4 : 16;
    std::vector<Block> blocks;
    Block b{};
    for (int32_t by = 0; by < t.height; by += side) {
      for (int32_t bx = 0; bx < t.width; bx += side) {
        const bool inWhole =
            side != 64 ||
            whole256[static_cast<size_t>(by / 256) * static_cast<size_t>(across) + static_cast<size_t>(bx / 256)];
        const bool isWhole = inWhole && whole(bx, by, side, b);
        if (side == 256) whole256.push_back(isWhole);
        if (isWhole) {
          blocks.push_back(b);
          continue;
        }
        for (int32_t y = by; y < std::min(t.height, by + side); y += part) {
          for (int32_t x = bx; x < std::min(t.width, bx + side); x += part) {
            if (whole(x, y, part, b)) blocks.push_back(b);
          }
        }
      }
    }
    // A level whose blocks leave most pixels out bounds too little to pay
    // for itself: the sums it cannot rule out are refined once more, in the
    // merge's sequential part (a masked icon at 20 x 20 has hardly a whole
    // block of 16 inside). At least 30 % paid best on the tutorial's icon
    // (10 % to 90 % tried).
    int64_t covered = 0;
    for (const Block& k : blocks) covered += int64_t{k.width} * k.height;
    const auto pixels = static_cast<int64_t>(t.pixels.size());
    if (10 * covered < 3 * pixels) continue;
    // The same blocks as the level before (no whole block of 64 anywhere)
    // would cost a level and bound nothing more. Blocks in reading order.
    std::sort(blocks.begin(), blocks.end(),
              [](const Block& a, const Block& k) { return std::tie(a.y, a.x) < std::tie(k.y, k.x); });
    const auto same = [](const Block& a, const Block& k) {
      return a.x == k.x && a.y == k.y && a.width == k.width && a.height == k.height;
    };
    if (!levels_.empty() &&
        std::equal(blocks.begin(), blocks.end(), levels_.back().begin(), levels_.back().end(), same))
      continue;
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
