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
#include "scan/NarrowCounts-inl.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Pixels tested between two checks for a vector whose lanes all passed.
constexpr size_t kCheckInterval = 8;
// Pixels tested, for all lanes at once, between two looks for a stop request.
constexpr size_t kStopInterval = size_t{1} << 16;
// A vector of blocks gives up after this many times limit + 1 tests, and its
// blocks that have not passed the limit by then are tested position by
// position. Bounds count fewer differences than positions do, so blocks often
// pass only after 2 to 4 times the tests: on photographs budgets of 2 and 4
// times were slower than 8, 16 or no budget at all.
constexpr size_t kBudgetFactor = 16;

// The AHSL kernel: 16-bit bounds of alpha, chroma and lightness in 16-bit
// lanes, counts saturating at 65535.
template <class D, int kFirstChannel>
void RejectWideVectors(D d, const RunBounds& runs, const SearchTemplate& t, size_t level, int32_t y, int32_t x0,
                       int32_t count, uint16_t limit, uint8_t* rejected, size_t& sinceStop, const StopToken& stop) {
  using T = uint16_t;
  const int32_t w = runs.runWidth;
  const auto lanes = static_cast<int32_t>(hn::Lanes(d));
  const T* low[4] = {};
  const T* high[4] = {};
  for (int c = kFirstChannel; c < 4; ++c) {
    low[c] = runs.low[c].data();
    high[c] = runs.high[c].data();
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
          if (c == 1) continue;  // the hue is not bounded
          const auto least = hn::LoadU(d, low[c] + at);
          const auto most = hn::LoadU(d, high[c] + at);
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

// The ARGB kernel: 8-bit bounds in 8-bit lanes at every limit below 65535,
// counted in NarrowCounts.
template <class D, int kFirstChannel>
void RejectNarrowVectors(D d, const RunBounds& runs, const SearchTemplate& t, size_t level, int32_t y, int32_t x0,
                         int32_t count, uint32_t limit, uint8_t* rejected, size_t& sinceStop, const StopToken& stop) {
  const int32_t w = runs.runWidth;
  const auto lanes = static_cast<int32_t>(hn::Lanes(d));
  const uint8_t* low[4] = {};
  const uint8_t* high[4] = {};
  for (int c = kFirstChannel; c < 4; ++c) {
    low[c] = runs.narrowLow[c].data();
    high[c] = runs.narrowHigh[c].data();
  }
  const TemplatePixel* const pixels = t.pixels.data();
  const size_t budget = std::min(t.tested, kBudgetFactor * (size_t{limit} + 1));
  const auto zero = hn::Zero(d);
  const auto one = hn::Set(d, uint8_t{1});
  const int32_t last = x0 + count - 1;

  for (int32_t bx = x0 / w * w; bx <= last; bx += lanes * w) {
    const int32_t valid = std::min(lanes, (last - bx) / w + 1);
    // Vectors whose positions wider blocks already rejected are not tried again.
    const uint8_t* const first = rejected + (std::max(x0, bx) - x0);
    const uint8_t* const stretchEnd = rejected + (std::min(last, bx + valid * w - 1) - x0 + 1);
    if (std::find(first, stretchEnd, uint8_t{0}) == stretchEnd) continue;
    const size_t base = runs.Index(bx, y);
    // Lanes past the row's end need nothing, so they never hold a vector up.
    NarrowCounts<D> counting(d, valid, limit);
    auto needs = counting.Needs();
    auto counts = zero;
    size_t i = 0;
    while (i < budget && !counting.Passed()) {
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
          const auto least = hn::LoadU(d, low[c] + at);
          const auto most = hn::LoadU(d, high[c] + at);
          over = hn::Or(over, hn::Or(hn::SaturatedSub(hn::Set(d, static_cast<uint8_t>(p.low[c])), most),
                                     hn::SaturatedSub(least, hn::Set(d, static_cast<uint8_t>(p.high[c])))));
        }
        counts = hn::Add(counts, hn::IfThenElseZero(hn::Ne(over, zero), one));
      }
      counting.Check(i, counts, needs);
    }
    counting.Finish(counts);
    for (int32_t k = 0; k < valid; ++k) {
      if (counting.Total(k) <= limit) continue;
      const int32_t from = std::max(x0, bx + k * w), to = std::min(last, bx + k * w + w - 1);
      std::fill(rejected + (from - x0), rejected + (to - x0) + 1, uint8_t{1});
    }
  }
}

void RejectNarrowBlocks(const RunBounds& runs, const SearchTemplate& t, int firstChannel, size_t level, int32_t y,
                        int32_t x0, int32_t count, uint32_t limit, uint8_t* rejected, size_t* sinceStop,
                        const StopToken* stop) {
  const hn::ScalableTag<uint8_t> d;
  if (firstChannel == 0)
    return RejectNarrowVectors<decltype(d), 0>(d, runs, t, level, y, x0, count, limit, rejected, *sinceStop, *stop);
  RejectNarrowVectors<decltype(d), 1>(d, runs, t, level, y, x0, count, limit, rejected, *sinceStop, *stop);
}

void RejectWideBlocks(const RunBounds& runs, const SearchTemplate& t, int firstChannel, size_t level, int32_t y,
                      int32_t x0, int32_t count, uint16_t limit, uint8_t* rejected, size_t* sinceStop,
                      const StopToken* stop) {
  const hn::ScalableTag<uint16_t> d;
  if (firstChannel == 0)
    return RejectWideVectors<decltype(d), 0>(d, runs, t, level, y, x0, count, limit, rejected, *sinceStop, *stop);
  RejectWideVectors<decltype(d), 1>(d, runs, t, level, y, x0, count, limit, rejected, *sinceStop, *stop);
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
  // Bounds made for an earlier scan serve every limit; below the least
  // limit that pays they are not made for this one alone.
  const int64_t from = in.runBounds->searchedAgain.load() ? kRunBoundsAgainFromLimit : kRunBoundsFromLimit;
  const std::vector<RunBounds>& all = limit >= from ? RunBoundsOf(in, stop) : MadeRunBounds(in);
  const int firstChannel = FirstComparedChannel(in, t);
  for (size_t level = 0; level < all.size(); ++level) {
    const RunBounds& runs = all[level];
    // ARGB bounds fit 8-bit lanes at every limit; the AHSL ones need 16 bits.
    if (t.model == ColorModel::kArgb) {
      HWY_DYNAMIC_DISPATCH(RejectNarrowBlocks)
      (runs, t, firstChannel, level, y, x0, count, static_cast<uint32_t>(limit), rejected, &sinceStop, &stop);
    } else {
      HWY_DYNAMIC_DISPATCH(RejectWideBlocks)
      (runs, t, firstChannel, level, y, x0, count, static_cast<uint16_t>(limit), rejected, &sinceStop, &stop);
    }
  }
}

}  // namespace pexora
#endif
