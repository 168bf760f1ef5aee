// Box sums of the searched picture's channel planes, from integral images:
// the sum of a channel over any rectangle in four look-ups.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/StopToken.h"
#include "image/ChannelPlanes.h"
#include "scan/CompareSettings.h"

namespace pexora {

class PlaneSums {
 public:
  // Integral images of the channels that sums of differences read from: all
  // but the compared-by-weight AHSL hue, and not alpha when it is masked or
  // 255 everywhere (its boxes are known); the channels on up to `threads`
  // threads. Checks `stop` after every row.
  PlaneSums(const ChannelPlanes& planes, ColorModel model, int firstChannel, const StopToken& stop = StopToken::Never(),
            unsigned threads = 1);

  // The memory the integral images of a width x height picture take.
  static int64_t Bytes(int64_t width, int64_t height, int channels);

  // The sum of channel c over the rectangle at (x, y), exact when it stays
  // below 2^32 (kept modulo 2^32: a box of 65536 pixels of 16 bits at most).
  uint32_t Box(int c, int32_t x, int32_t y, int32_t width, int32_t height) const {
    const uint32_t* s = sums_[static_cast<size_t>(c)].get();
    if (s == nullptr) return OpaqueBox(width, height);
    const size_t stride = static_cast<size_t>(width_) + 1;
    const size_t top = static_cast<size_t>(y) * stride,
                 bottom = (static_cast<size_t>(y) + static_cast<size_t>(height)) * stride;
    const size_t left = static_cast<size_t>(x), right = static_cast<size_t>(x) + static_cast<size_t>(width);
    return s[bottom + right] - s[bottom + left] - s[top + right] + s[top + left];
  }

  // The integral image of channel c: Stride() values a row, height + 1 rows;
  // null for an alpha of 255 everywhere, whose boxes are OpaqueBox.
  const uint32_t* Plane(int c) const { return sums_[static_cast<size_t>(c)].get(); }
  static uint32_t OpaqueBox(int32_t width, int32_t height) {
    return 255u * static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
  }
  size_t Stride() const { return static_cast<size_t>(width_) + 1; }

 private:
  int32_t width_ = 0;
  // Each (width + 1) x (height + 1), the first row and column 0.
  std::array<std::unique_ptr<uint32_t[]>, 4> sums_;
};

// The box sums that sums of differences by `settings` read from, when they
// take no more than kMaxBoxSumBytes; null past that (larger pictures go
// without bounds).
std::unique_ptr<PlaneSums> BoxSumsWithin(const ChannelPlanes& planes, const CompareSettings& settings,
                                         unsigned threads);

}  // namespace pexora
