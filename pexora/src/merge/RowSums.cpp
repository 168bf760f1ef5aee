// Lanes hold neighbouring pixels of a search-for row, widened to 32 bits so
// that the AHSL hue's product and the channels' distances add without care.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "merge/RowSums.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "merge/RowSums.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

template <bool kAhsl>
uint64_t SumRows(const ChannelPlanes& in, const TemplateRows& t, int32_t x, int32_t y, uint64_t limit) {
  const hn::ScalableTag<uint32_t> d;
  const hn::Rebind<uint16_t, decltype(d)> d16;
  const auto load = [&](const uint16_t* p) { return hn::PromoteTo(d, hn::LoadU(d16, p)); };
  const size_t lanes = hn::Lanes(d);
  const size_t width = static_cast<size_t>(t.width);
  uint64_t total = 0;
  for (int32_t r = 0; r < t.height; ++r) {
    const uint16_t* const searched[4] = {
        in.channel[0].data() + in.Index(x, y + r), in.channel[1].data() + in.Index(x, y + r),
        in.channel[2].data() + in.Index(x, y + r), in.channel[3].data() + in.Index(x, y + r)};
    const size_t row = static_cast<size_t>(r) * width;
    // Per lane at most 4 x 65535 x width / lanes for a row: within 32 bits.
    auto sum = hn::Zero(d);
    for (size_t i = 0; i < width; i += lanes) {
      auto distance = hn::Zero(d);
      for (int c = t.firstChannel; c < 4; ++c) {
        if (kAhsl && c == 1) continue;
        const auto value = load(searched[c] + i);
        const auto low = load(t.low[static_cast<size_t>(c)].data() + row + i);
        const auto high = load(t.high[static_cast<size_t>(c)].data() + row + i);
        distance = hn::Add(distance, hn::Add(hn::Sub(hn::Max(low, value), value), hn::Sub(hn::Max(value, high), high)));
      }
      if constexpr (kAhsl) {
        const auto hue = load(searched[1] + i), reference = load(t.hue.data() + row + i);
        const auto apart = hn::Sub(hn::Max(hue, reference), hn::Min(hue, reference));
        const auto around = hn::Min(apart, hn::Sub(hn::Set(d, 65536u), apart));
        const auto chroma = hn::Min(load(searched[2] + i), load(t.hueChroma.data() + row + i));
        const auto weighted = hn::ShiftRight<16>(hn::Mul(around, chroma));
        const auto slack = load(t.hueSlack.data() + row + i);
        distance = hn::Add(distance, hn::Sub(hn::Max(weighted, slack), slack));
      }
      sum = hn::Add(sum, hn::IfThenElseZero(hn::FirstN(d, width - i), distance));
    }
    total += hn::GetLane(hn::SumOfLanes(d, sum));
    if (total > limit) break;
  }
  return total;
}

uint64_t SumOfDifferencesVectors(const ChannelPlanes& in, const TemplateRows& t, int32_t x, int32_t y, uint64_t limit) {
  return t.model == ColorModel::kAhsl ? SumRows<true>(in, t, x, y, limit) : SumRows<false>(in, t, x, y, limit);
}

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pexora {

HWY_EXPORT(SumOfDifferencesVectors);

uint64_t SumOfDifferencesByRows(const ChannelPlanes& in, const TemplateRows& t, int32_t x, int32_t y, uint64_t limit) {
  return HWY_DYNAMIC_DISPATCH(SumOfDifferencesVectors)(in, t, x, y, limit);
}

}  // namespace pexora
#endif
