// Scans a row of candidate positions one vector of positions at a time: the
// lanes hold neighbouring positions, so one search-for pixel is compared with
// as many searched pixels as a vector holds, with one broadcast of its values.
// The search-for pixels come in their rejecting order, and a vector of
// positions stops as soon as every lane's count has passed the limit. Blocks
// of positions that BlockRejection rejects at once are not scanned.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "scan/PositionScan.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>
#include <vector>

#include "image/HslColor.h"
#include "scan/BlockRejection.h"
#include "scan/ComparedChannels.h"
#include "scan/NarrowCounts-inl.h"
#include "scan/PositionScan.h"
#include "scan/ScalarScan.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Pixels tested between two checks for a vector whose lanes all failed.
constexpr size_t kCheckInterval = 8;
// Pixels tested, for all lanes at once, between two looks for a stop request:
// some 50 to 300 microseconds.
constexpr size_t kStopInterval = size_t{1} << 16;

// Lanes where value lies outside low..high are non-zero.
template <class D, class V>
HWY_INLINE V OutsideOf(D d, V value, uint16_t low, uint16_t high) {
  using T = hn::TFromD<D>;
  return hn::Or(hn::SaturatedSub(hn::Set(d, static_cast<T>(low)), value),
                hn::SaturatedSub(value, hn::Set(d, static_cast<T>(high))));
}

// The AHSL kernel: 16-bit planes in 16-bit lanes, counts saturating at 65535.
template <class D, bool kAhsl, int kFirstChannel>
void ScanVectors(D d, const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                 hn::TFromD<D> limit, const uint8_t* rejected, int64_t* differences, size_t& sinceStop,
                 const StopToken& stop) {
  using T = hn::TFromD<D>;
  static_assert(!kAhsl || sizeof(T) == 2, "the hue needs 16-bit lanes");
  const size_t lanes = hn::Lanes(d);
  static_assert(sizeof(T) == 2, "the AHSL planes hold 16 bits");
  const T* const planes[4] = {in.channel[0].data(), in.channel[1].data(), in.channel[2].data(), in.channel[3].data()};
  const TemplatePixel* const pixels = t.pixels.data();
  const size_t pixelCount = t.tested;
  const auto zero = hn::Zero(d);
  const auto one = hn::Set(d, T{1});
  const auto limitVector = hn::Set(d, limit);
  HWY_ALIGN T counted[hn::MaxLanes(d)];

  for (int32_t bx = 0; bx < count; bx += static_cast<int32_t>(lanes)) {
    const size_t valid = std::min<size_t>(lanes, static_cast<size_t>(count - bx));
    // Vectors whose every position a block rejected are not scanned.
    if (std::find(rejected + bx, rejected + bx + static_cast<int32_t>(valid), uint8_t{0}) ==
        rejected + bx + static_cast<int32_t>(valid)) {
      std::fill(differences + bx, differences + bx + static_cast<int32_t>(valid), int64_t{limit} + 1);
      continue;
    }
    const size_t base = in.Index(x0 + bx, y);
    // Lanes past the row's end start out failed, so they never hold a vector up.
    auto counts = hn::IfThenElse(hn::FirstN(d, valid), zero, hn::Set(d, static_cast<T>(~T{0})));
    size_t i = 0;
    while (i < pixelCount) {
      const size_t end = std::min(pixelCount, i + kCheckInterval);
      if ((sinceStop += kCheckInterval) >= kStopInterval) {
        sinceStop = 0;
        stop.Check();
      }
      for (; i < end; ++i) {
        const TemplatePixel& p = pixels[i];
        const size_t at = base + static_cast<size_t>(p.offset);
        auto over = zero;
        for (int c = kFirstChannel; c < 4; ++c) {
          if (kAhsl && c == 1) continue;  // the hue comes with the chroma
          const auto value = hn::LoadU(d, planes[c] + at);
          over = hn::Or(over, OutsideOf(d, value, p.low[c], p.high[c]));
          if constexpr (kAhsl) {
            // The hue distance weighted by the smaller chroma; nothing to test
            // where it cannot pass the limit.
            if (c == 2 && p.hueChroma != 0 && p.hueLimit < kMaxWeightedHueDistance) {
              const auto hue = hn::LoadU(d, planes[1] + at);
              const auto reference = hn::Set(d, p.hue);
              auto distance = hn::Or(hn::SaturatedSub(hue, reference), hn::SaturatedSub(reference, hue));
              distance = hn::Min(distance, hn::Sub(zero, distance));  // round the circle
              const auto weighted = hn::MulHigh(distance, hn::Min(value, hn::Set(d, p.hueChroma)));
              over = hn::Or(over, hn::SaturatedSub(weighted, hn::Set(d, p.hueLimit)));
            }
          }
        }
        counts = hn::SaturatedAdd(counts, hn::IfThenElseZero(hn::Ne(over, zero), one));
      }
      if (hn::AllFalse(d, hn::Eq(hn::SaturatedSub(counts, limitVector), zero))) break;
    }
    hn::Store(counts, d, counted);
    for (size_t k = 0; k < valid; ++k) differences[bx + static_cast<int32_t>(k)] = counted[k];
  }
}

// The ARGB kernel for every limit below 65535: 8-bit values in 8-bit lanes,
// twice as many as 16-bit ones, counted in NarrowCounts.
template <class D, int kFirstChannel>
void ScanNarrowVectors(D d, const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                       uint32_t limit, const uint8_t* rejected, int64_t* differences, size_t& sinceStop,
                       const StopToken& stop) {
  const auto lanes = static_cast<int32_t>(hn::Lanes(d));
  const uint8_t* const planes[4] = {in.narrow[0].data(), in.narrow[1].data(), in.narrow[2].data(), in.narrow[3].data()};
  const TemplatePixel* const pixels = t.pixels.data();
  const size_t pixelCount = t.tested;
  const auto zero = hn::Zero(d);
  const auto one = hn::Set(d, uint8_t{1});

  for (int32_t bx = 0; bx < count; bx += lanes) {
    const int32_t valid = std::min(lanes, count - bx);
    // Vectors whose every position a block rejected are not scanned.
    if (std::find(rejected + bx, rejected + bx + valid, uint8_t{0}) == rejected + bx + valid) {
      std::fill(differences + bx, differences + bx + valid, int64_t{limit} + 1);
      continue;
    }
    const size_t base = in.Index(x0 + bx, y);
    // Lanes past the row's end need nothing, so they never hold a vector up.
    NarrowCounts<D> counting(d, valid, limit);
    auto needs = counting.Needs();
    auto counts = zero;
    size_t i = 0;
    while (i < pixelCount && !counting.Passed()) {
      const size_t end = std::min(pixelCount, i + kCheckInterval);
      if ((sinceStop += kCheckInterval) >= kStopInterval) {
        sinceStop = 0;
        stop.Check();
      }
      for (; i < end; ++i) {
        const TemplatePixel& p = pixels[i];
        const size_t at = base + static_cast<size_t>(p.offset);
        auto over = zero;
        for (int c = kFirstChannel; c < 4; ++c) {
          over = hn::Or(over, OutsideOf(d, hn::LoadU(d, planes[c] + at), p.low[c], p.high[c]));
        }
        counts = hn::Add(counts, hn::IfThenElseZero(hn::Ne(over, zero), one));
      }
      counting.Check(i, counts, needs);
    }
    counting.Finish(counts);
    for (int32_t k = 0; k < valid; ++k) differences[bx + k] = counting.Total(k);
  }
}

// The kernel for a template: the compared channels and the colour model are
// template arguments, so that the inner loop carries no test of them.
template <class D>
void ScanWith(D d, const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
              hn::TFromD<D> limit, const uint8_t* rejected, int64_t* differences, size_t& sinceStop,
              const StopToken& stop) {
  if (FirstComparedChannel(in, t) == 0)
    return ScanVectors<D, true, 0>(d, in, t, y, x0, count, limit, rejected, differences, sinceStop, stop);
  ScanVectors<D, true, 1>(d, in, t, y, x0, count, limit, rejected, differences, sinceStop, stop);
}

void ScanRowNarrowVectors(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                          uint32_t limit, const uint8_t* rejected, int64_t* differences, size_t* sinceStop,
                          const StopToken* stop) {
  const hn::ScalableTag<uint8_t> d;
  if (FirstComparedChannel(in, t) == 0)
    return ScanNarrowVectors<decltype(d), 0>(d, in, t, y, x0, count, limit, rejected, differences, *sinceStop, *stop);
  ScanNarrowVectors<decltype(d), 1>(d, in, t, y, x0, count, limit, rejected, differences, *sinceStop, *stop);
}

void ScanRowVectors(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                    uint16_t limit, const uint8_t* rejected, int64_t* differences, size_t* sinceStop,
                    const StopToken* stop) {
  ScanWith(hn::ScalableTag<uint16_t>(), in, t, y, x0, count, limit, rejected, differences, *sinceStop, *stop);
}

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pexora {

HWY_EXPORT(ScanRowVectors);
HWY_EXPORT(ScanRowNarrowVectors);

void ScanRow(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count, int64_t limit,
             int64_t* differences, const StopToken& stop) {
  // Without a pixel that can differ, no position differs anywhere.
  if (t.tested == 0) {
    std::fill(differences, differences + count, int64_t{0});
    return;
  }
  // The AHSL counters saturate at 65535, so the vectors decide only limits
  // below that (and the ARGB totals are kept within 16 bits as well).
  if (limit >= 0xFFFF) return ScanRowScalar(in, t, y, x0, count, limit, differences, stop);
  thread_local std::vector<uint8_t> rejected;
  rejected.assign(static_cast<size_t>(count), 0);
  size_t sinceStop = 0;
  RejectBlocks(in, t, y, x0, count, limit, rejected.data(), sinceStop, stop);
  if (t.model == ColorModel::kArgb) {
    HWY_DYNAMIC_DISPATCH(ScanRowNarrowVectors)
    (in, t, y, x0, count, static_cast<uint32_t>(limit), rejected.data(), differences, &sinceStop, &stop);
  } else {
    HWY_DYNAMIC_DISPATCH(ScanRowVectors)
    (in, t, y, x0, count, static_cast<uint16_t>(limit), rejected.data(), differences, &sinceStop, &stop);
  }
}

}  // namespace pexora
#endif
