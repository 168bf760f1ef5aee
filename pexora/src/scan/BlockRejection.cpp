// One vector holds blocks of neighbouring positions side by side: lane k of a
// load from the run bounds covers the positions bx + k * W .. bx + k * W + W -
// 1, so one broadcast of a search-for pixel's ranges tests lanes x W
// positions at once.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "scan/BlockRejection.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>

#include "scan/BlockRejection.h"
#include "scan/ComparedChannels.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Pixels tested between two checks for a vector whose lanes all passed.
constexpr size_t kCheckInterval = 8;
// Pixels tested, for all lanes at once, between two looks for a stop request.
constexpr size_t kStopInterval = size_t{1} << 16;
// A vector of blocks gives up after this many times limit + 1 tests: blocks
// that have not passed the limit by then seldom do, and their positions are
// tested one by one anyway.
constexpr size_t kBudgetFactor = 4;

// The bounds in the plane type P.
HWY_INLINE const uint8_t* LowOf(const RunBounds& r, int c, uint8_t) { return r.narrowLow[c].data(); }
HWY_INLINE const uint8_t* HighOf(const RunBounds& r, int c, uint8_t) { return r.narrowHigh[c].data(); }
HWY_INLINE const uint16_t* LowOf(const RunBounds& r, int c, uint16_t) { return r.low[c].data(); }
HWY_INLINE const uint16_t* HighOf(const RunBounds& r, int c, uint16_t) { return r.high[c].data(); }

// Lanes of D loaded from bounds of type P, widened where P is narrower.
template <class D, class P>
HWY_INLINE hn::VFromD<D> LoadBounds(D d, const P* from) {
  if constexpr (sizeof(P) == sizeof(hn::TFromD<D>)) {
    return hn::LoadU(d, from);
  } else {
    return hn::PromoteTo(d, hn::LoadU(hn::Rebind<P, D>(), from));
  }
}

template <class D, class P, bool kAhsl, int kFirstChannel>
void RejectVectors(D d, P, const RunBounds& runs, const SearchTemplate& t, size_t level, int32_t y, int32_t x0,
                   int32_t count, hn::TFromD<D> limit, uint8_t* rejected, size_t& sinceStop, const StopToken& stop) {
  using T = hn::TFromD<D>;
  const int32_t w = runs.runWidth;
  const auto lanes = static_cast<int32_t>(hn::Lanes(d));
  const P* low[4] = {};
  const P* high[4] = {};
  for (int c = kFirstChannel; c < 4; ++c) {
    if (kAhsl && c == 1) continue;
    low[c] = LowOf(runs, c, P{});
    high[c] = HighOf(runs, c, P{});
  }
  const TemplatePixel* const pixels = t.pixels.data();
  const size_t budget = std::min(t.tested, kBudgetFactor * (size_t{limit} + 1));
  const auto zero = hn::Zero(d);
  const auto one = hn::Set(d, T{1});
  const auto limitVector = hn::Set(d, limit);
  HWY_ALIGN T counted[hn::MaxLanes(d)];
  const int32_t last = x0 + count - 1;

  for (int32_t bx = x0 / w * w; bx <= last; bx += lanes * w) {
    const int32_t valid = std::min(lanes, (last - bx) / w + 1);
    // Vectors whose positions wider blocks already rejected are not tried again.
    const uint8_t* const first = rejected + (std::max(x0, bx) - x0);
    const uint8_t* const stretchEnd = rejected + (std::min(last, bx + valid * w - 1) - x0 + 1);
    if (std::find(first, stretchEnd, uint8_t{0}) == stretchEnd) continue;
    const size_t base = runs.Index(bx, y);
    // Lanes past the row's end start out passed, so they never hold a vector up.
    auto counts = hn::IfThenElse(hn::FirstN(d, static_cast<size_t>(valid)), zero, hn::Set(d, static_cast<T>(~T{0})));
    size_t i = 0;
    while (i < budget) {
      const size_t end = std::min(budget, i + kCheckInterval);
      if ((sinceStop += kCheckInterval) >= kStopInterval) {
        sinceStop = 0;
        stop.Check();
      }
      for (; i < end; ++i) {
        const TemplatePixel& p = pixels[i];
        const size_t at = base + static_cast<size_t>(p.runOffset[level]);
        auto over = zero;
        for (int c = kFirstChannel; c < 4; ++c) {
          if (kAhsl && c == 1) continue;  // the hue is not bounded
          const auto least = LoadBounds(d, low[c] + at);
          const auto most = LoadBounds(d, high[c] + at);
          over = hn::Or(over, hn::Or(hn::SaturatedSub(hn::Set(d, static_cast<T>(p.low[c])), most),
                                     hn::SaturatedSub(least, hn::Set(d, static_cast<T>(p.high[c])))));
        }
        counts = hn::SaturatedAdd(counts, hn::IfThenElseZero(hn::Ne(over, zero), one));
      }
      if (hn::AllFalse(d, hn::Eq(hn::SaturatedSub(counts, limitVector), zero))) break;
    }
    hn::Store(counts, d, counted);
    for (int32_t k = 0; k < valid; ++k) {
      if (counted[k] <= limit) continue;
      const int32_t from = std::max(x0, bx + k * w), to = std::min(last, bx + k * w + w - 1);
      std::fill(rejected + (from - x0), rejected + (to - x0) + 1, uint8_t{1});
    }
  }
}

// The kernel for a template: its channels and colour model as template
// arguments, the bounds in 8 bits for ARGB and 16 for AHSL.
template <class D>
void RejectWith(D d, const RunBounds& runs, const SearchTemplate& t, int firstChannel, size_t level, int32_t y,
                int32_t x0, int32_t count, hn::TFromD<D> limit, uint8_t* rejected, size_t& sinceStop,
                const StopToken& stop) {
  if constexpr (sizeof(hn::TFromD<D>) == 2) {
    if (t.model == ColorModel::kAhsl) {
      if (firstChannel == 0)
        return RejectVectors<D, uint16_t, true, 0>(d, uint16_t{}, runs, t, level, y, x0, count, limit, rejected,
                                                   sinceStop, stop);
      return RejectVectors<D, uint16_t, true, 1>(d, uint16_t{}, runs, t, level, y, x0, count, limit, rejected,
                                                 sinceStop, stop);
    }
  }
  if (firstChannel == 0)
    return RejectVectors<D, uint8_t, false, 0>(d, uint8_t{}, runs, t, level, y, x0, count, limit, rejected, sinceStop,
                                               stop);
  RejectVectors<D, uint8_t, false, 1>(d, uint8_t{}, runs, t, level, y, x0, count, limit, rejected, sinceStop, stop);
}

void RejectNarrowBlocks(const RunBounds& runs, const SearchTemplate& t, int firstChannel, size_t level, int32_t y,
                        int32_t x0, int32_t count, uint8_t limit, uint8_t* rejected, size_t* sinceStop,
                        const StopToken* stop) {
  RejectWith(hn::ScalableTag<uint8_t>(), runs, t, firstChannel, level, y, x0, count, limit, rejected, *sinceStop,
             *stop);
}

void RejectWideBlocks(const RunBounds& runs, const SearchTemplate& t, int firstChannel, size_t level, int32_t y,
                      int32_t x0, int32_t count, uint16_t limit, uint8_t* rejected, size_t* sinceStop,
                      const StopToken* stop) {
  RejectWith(hn::ScalableTag<uint16_t>(), runs, t, firstChannel, level, y, x0, count, limit, rejected, *sinceStop,
             *stop);
}

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pexora {

HWY_EXPORT(RejectNarrowBlocks);
HWY_EXPORT(RejectWideBlocks);

void RejectBlocks(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count, int64_t limit,
                  uint8_t* rejected, size_t& sinceStop, const StopToken& stop) {
  if (limit >= 0xFFFF || t.tested == 0) return;
  const int firstChannel = FirstComparedChannel(in, t);
  for (size_t level = 0; level < in.runs.size(); ++level) {
    const RunBounds& runs = in.runs[level];
    // The counters saturate at 255 or 65535, so 8-bit lanes decide limits below 255 only.
    if (t.model == ColorModel::kArgb && limit < 0xFF) {
      HWY_DYNAMIC_DISPATCH(RejectNarrowBlocks)
      (runs, t, firstChannel, level, y, x0, count, static_cast<uint8_t>(limit), rejected, &sinceStop, &stop);
    } else {
      HWY_DYNAMIC_DISPATCH(RejectWideBlocks)
      (runs, t, firstChannel, level, y, x0, count, static_cast<uint16_t>(limit), rejected, &sinceStop, &stop);
    }
  }
}

}  // namespace pexora
#endif
