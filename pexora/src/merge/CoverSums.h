// The pixels that kept matches cover, as sums over rectangles (an integral
// image of the covered pixels): whether a rectangle overlaps a kept match in
// four loads, for filtering millions of candidates at once.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"

namespace pexora {

class CoverSums {
 public:
  // For rectangles inside x0 .. x0 + width - 1, y0 .. y0 + height - 1.
  CoverSums(int32_t x0, int32_t y0, int32_t width, int32_t height);

  // Covers what `kept` covers (and nothing else), looking for a stop
  // request every row.
  void Build(const std::vector<Match>& kept, const StopToken& stop);

  int64_t Pixels() const { return int64_t{width_} * height_; }

  // Whether m's rectangle holds a covered pixel, that is overlaps a match
  // that Build was given; m must lie inside the area.
  bool AnyCovered(const Match& m) const {
    const size_t left = static_cast<size_t>(m.x - x0_), top = static_cast<size_t>(m.y - y0_);
    const size_t right = left + static_cast<size_t>(m.width), bottom = top + static_cast<size_t>(m.height);
    const uint32_t* const upper = sums_.data() + top * stride_;
    const uint32_t* const lower = sums_.data() + bottom * stride_;
    return lower[right] - lower[left] - upper[right] + upper[left] != 0;
  }

 private:
  int32_t x0_, y0_, width_, height_;
  size_t stride_;
  std::vector<uint32_t> sums_;  // (height + 1) rows of width + 1
};

}  // namespace pexora
