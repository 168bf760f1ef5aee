// Lanes hold neighbouring positions; per block and channel four loads give
// their box sums, whose distance from the block's accepted sums adds to each
// lane's bound, saturating at the cap.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "merge/BoundRows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>

#include "merge/BoundRows.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// How far a block's box sum lies outside the sums of its accepted ranges.
inline uint32_t DistanceOutside(uint32_t box, uint32_t low, uint32_t high) {
  return box < low ? low - box : box > high ? box - high : 0;
}

void BoundsOfRowVectors(const PlaneSums& sums, const SumBounds& bounds, int level, int32_t x0, int32_t y, int32_t count,
                        uint32_t* out) {
  const hn::ScalableTag<uint32_t> d;
  const size_t lanes = hn::Lanes(d);
  const size_t n = static_cast<size_t>(count);
  const auto cap = hn::Set(d, kBoundRowCap);
  std::fill(out, out + n, uint32_t{0});
  const size_t stride = sums.Stride();
  for (const SumBounds::Block& b : bounds.Blocks(level)) {
    const size_t left = static_cast<size_t>(x0) + static_cast<size_t>(b.x);
    const size_t top = (static_cast<size_t>(y) + static_cast<size_t>(b.y)) * stride + left;
    const size_t bottom = top + static_cast<size_t>(b.height) * stride;
    const size_t width = static_cast<size_t>(b.width);
    for (const int c : bounds.Channels()) {
      const uint32_t* const s = sums.Plane(c);
      // Box sums of blocks of at most 65536 pixels stay below 2^32.
      const auto lowValue = static_cast<uint32_t>(b.low[static_cast<size_t>(c)]);
      const auto highValue = static_cast<uint32_t>(b.high[static_cast<size_t>(c)]);
      if (s == nullptr) {
        // The same box at every position.
        const uint32_t box = PlaneSums::OpaqueBox(b.width, b.height);
        const uint32_t distance = std::min(DistanceOutside(box, lowValue, highValue), kBoundRowCap);
        for (size_t i = 0; i < n; ++i) out[i] = std::min(out[i] + distance, kBoundRowCap);
        continue;
      }
      const auto low = hn::Set(d, lowValue);
      const auto high = hn::Set(d, highValue);
      size_t i = 0;
      for (; i + lanes <= n; i += lanes) {
        const auto box = hn::Add(hn::Sub(hn::LoadU(d, s + bottom + i + width), hn::LoadU(d, s + bottom + i)),
                                 hn::Sub(hn::LoadU(d, s + top + i), hn::LoadU(d, s + top + i + width)));
        const auto distance = hn::Add(hn::Sub(hn::Max(low, box), box), hn::Sub(hn::Max(box, high), high));
        hn::StoreU(hn::Min(hn::Add(hn::LoadU(d, out + i), hn::Min(distance, cap)), cap), d, out + i);
      }
      for (; i < n; ++i) {
        const uint32_t box = s[bottom + i + width] - s[bottom + i] - s[top + i + width] + s[top + i];
        const uint32_t distance = DistanceOutside(box, lowValue, highValue);
        out[i] = std::min(out[i] + std::min(distance, kBoundRowCap), kBoundRowCap);
      }
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pexora {

HWY_EXPORT(BoundsOfRowVectors);

void BoundsOfRow(const PlaneSums& sums, const SumBounds& bounds, int level, int32_t x0, int32_t y, int32_t count,
                 uint32_t* out) {
  HWY_DYNAMIC_DISPATCH(BoundsOfRowVectors)(sums, bounds, level, x0, y, count, out);
}

}  // namespace pexora
#endif
