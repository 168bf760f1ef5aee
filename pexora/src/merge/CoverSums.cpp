#include "merge/CoverSums.h"

#include <algorithm>

namespace pexora {

CoverSums::CoverSums(int32_t x0, int32_t y0, int32_t width, int32_t height)
    : x0_(x0),
      y0_(y0),
      width_(width),
      height_(height),
      stride_(static_cast<size_t>(width) + 1),
      sums_(stride_ * (static_cast<size_t>(height) + 1)) {}

void CoverSums::Build(const std::vector<Match>& kept, const StopToken& stop) {
  // The corners of each kept rectangle, +1 and -1, summed over rows and
  // columns, count the rectangles over each pixel; then the covered pixels
  // (count above 0) are summed into the integral image in place, a row
  // behind.
  std::fill(sums_.begin(), sums_.end(), 0);
  for (const Match& m : kept) {
    const size_t left = static_cast<size_t>(m.x - x0_), top = static_cast<size_t>(m.y - y0_);
    const size_t right = left + static_cast<size_t>(m.width), bottom = top + static_cast<size_t>(m.height);
    sums_[top * stride_ + left] += 1;
    sums_[top * stride_ + right] -= 1;
    sums_[bottom * stride_ + left] -= 1;
    sums_[bottom * stride_ + right] += 1;
  }
  const size_t width = static_cast<size_t>(width_), height = static_cast<size_t>(height_);
  std::vector<uint32_t> counts(stride_, 0), covered(stride_, 0);
  for (size_t y = 0; y < height; ++y) {
    stop.Check();
    uint32_t* const row = sums_.data() + y * stride_;
    // counts: the rectangles over each pixel of row y (corner sums of rows
    // up to y, summed along the row).
    uint32_t along = 0;
    for (size_t x = 0; x < width; ++x) {
      along += row[x];
      counts[x] += along;
    }
    // Row y of the integral image (pixels above it) goes where row y of the
    // corners was; row y + 1 keeps its corners until its turn.
    uint32_t coveredAlong = 0;
    for (size_t x = 0; x < width; ++x) {
      row[x + 1] = covered[x + 1];
      coveredAlong += counts[x] != 0 ? 1 : 0;
      covered[x + 1] += coveredAlong;
    }
    row[0] = 0;
  }
  std::copy(covered.begin(), covered.end(), sums_.begin() + static_cast<std::ptrdiff_t>(height * stride_));
}

}  // namespace pexora
