// Lower bounds of a size's sum of differences (SumOfDifferences) at a
// position, from box sums of the searched planes. For any set of search-for
// pixels, the distances of the searched values outside their ranges add up,
// per channel, to at least how far the set's sum of values lies outside the
// sum of its ranges. Levels split the search-for picture into blocks of
// 256, 64 and 16 pixels a side (where an alpha mask leaves pixels out, into
// the whole blocks of 16, 16 and 4 inside them; a level whose blocks hold
// less than 30 % of the pixels is left out): each level is at least as tight
// as the one before and costs more; the level after the last is the exact
// sum.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "merge/PlaneSums.h"
#include "scan/SearchTemplate.h"

namespace pexora {

class SumBounds {
 public:
  // Bounds of the channels from firstChannel on (FirstSummedChannel).
  SumBounds(const SearchTemplate& t, int firstChannel);

  // Levels of bounds; Levels() itself names the exact sum.
  int Levels() const { return static_cast<int>(levels_.size()); }

  // The bound of the given level at position (x, y); sums holds the box sums
  // of the planes the template is compared with.
  uint64_t Bound(const PlaneSums& sums, int level, int32_t x, int32_t y) const;

  // A block of the search-for picture whose pixels all take part, with the
  // sums of what tolerance 0 accepts per channel.
  struct Block {
    int32_t x, y, width, height;
    std::array<uint64_t, 4> low, high;
  };
  const std::vector<Block>& Blocks(int level) const { return levels_[static_cast<size_t>(level)]; }
  // The channels that the bounds read.
  const std::vector<int>& Channels() const { return channels_; }

 private:
  std::vector<int> channels_;
  std::vector<std::vector<Block>> levels_;
};

}  // namespace pexora
