// The run bounds: per row a run's least and greatest values by doubling
// runs in vector registers (the best instruction set picked at run time),
// then spread over the phases.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/RunBounds.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>

#include "image/ChannelPlanes.h"
#include "image/RunBounds.h"

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// For x below width - step: least[x] = min(least[x], least[x + step]), most
// the same with max, in place: a vector reads what lies ahead of it before
// it writes.
template <class T>
void MinMaxAheadVectors(T* least, T* most, size_t width, size_t step) {
  if (width <= step) return;
  const hn::ScalableTag<T> d;
  const size_t lanes = hn::Lanes(d), end = width - step;
  size_t x = 0;
  for (; x + lanes <= end; x += lanes) {
    const auto low = hn::Min(hn::LoadU(d, least + x), hn::LoadU(d, least + x + step));
    const auto high = hn::Max(hn::LoadU(d, most + x), hn::LoadU(d, most + x + step));
    hn::StoreU(low, d, least + x);
    hn::StoreU(high, d, most + x);
  }
  for (; x < end; ++x) {
    least[x] = std::min(least[x], least[x + step]);
    most[x] = std::max(most[x], most[x + step]);
  }
}

void MinMaxAheadNarrow(uint8_t* least, uint8_t* most, size_t width, size_t step) {
  MinMaxAheadVectors(least, most, width, step);
}
void MinMaxAheadWide(uint16_t* least, uint16_t* most, size_t width, size_t step) {
  MinMaxAheadVectors(least, most, width, step);
}

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pexora {

HWY_EXPORT(MinMaxAheadNarrow);
HWY_EXPORT(MinMaxAheadWide);

namespace {

void MinMaxAhead(uint8_t* least, uint8_t* most, size_t width, size_t step) {
  HWY_DYNAMIC_DISPATCH(MinMaxAheadNarrow)(least, most, width, step);
}
void MinMaxAhead(uint16_t* least, uint16_t* most, size_t width, size_t step) {
  HWY_DYNAMIC_DISPATCH(MinMaxAheadWide)(least, most, width, step);
}

size_t RunElements(int32_t width, int32_t height, int32_t runWidth) {
  return RunStride(width, runWidth) * static_cast<size_t>(runWidth) * static_cast<size_t>(height) + kPlanePadding;
}

// The bounds of one plane: per row the least and greatest value of the run
// that starts at each x (runs doubled in place: a vector reads the values
// ahead of those it writes before it writes them), then spread over the
// phases, run by run, so that the reads go in order and each phase's row is
// written in order.
template <class T>
void BoundPlane(const std::vector<T>& plane, int32_t width, int32_t height, int32_t runWidth, size_t stride,
                std::vector<T>& low, std::vector<T>& high, const StopToken& stop) {
  // Every element is written below, the padding too.
  low.resize(RunElements(width, height, runWidth));
  high.resize(RunElements(width, height, runWidth));
  std::fill(low.end() - kPlanePadding, low.end(), T{0});
  std::fill(high.end() - kPlanePadding, high.end(), T{0});
  const size_t w = static_cast<size_t>(width), run = static_cast<size_t>(runWidth);
  std::vector<T> least(stride * run), most(stride * run);
  for (int32_t y = 0; y < height; ++y) {
    stop.Check();
    const T* const row = plane.data() + static_cast<size_t>(y) * w;
    std::copy(row, row + w, least.begin());
    std::copy(row, row + w, most.begin());
    for (size_t step = 1; step < run; step *= 2) MinMaxAhead(least.data(), most.data(), w, step);
    // Runs past the row's end (they start beyond it) hold nothing.
    std::fill(least.begin() + static_cast<std::ptrdiff_t>(w), least.end(), T{0});
    std::fill(most.begin() + static_cast<std::ptrdiff_t>(w), most.end(), T{0});
    const size_t at = static_cast<size_t>(y) * run * stride;
    for (size_t j = 0; j < stride; ++j) {
      const T* const fromLeast = least.data() + j * run;
      const T* const fromMost = most.data() + j * run;
      for (size_t phase = 0; phase < run; ++phase) {
        low[at + phase * stride + j] = fromLeast[phase];
        high[at + phase * stride + j] = fromMost[phase];
      }
    }
  }
}

}  // namespace

RunBounds MakeRunBounds(const ChannelPlanes& planes, bool narrow, int32_t runWidth, const StopToken& stop) {
  RunBounds runs;
  runs.runWidth = runWidth;
  runs.stride = RunStride(planes.width, runWidth);
  for (int c = 0; c < 4; ++c) {
    if (narrow) {
      BoundPlane(planes.narrow[c], planes.width, planes.height, runWidth, runs.stride, runs.narrowLow[c],
                 runs.narrowHigh[c], stop);
    } else if (c != 1) {
      BoundPlane(planes.channel[c], planes.width, planes.height, runWidth, runs.stride, runs.low[c], runs.high[c],
                 stop);
    }
  }
  return runs;
}

size_t RunBoundBytesFor(int32_t width, int32_t height, bool narrow, int32_t runWidth) {
  // Two bounds of four 8-bit channels, or of three 16-bit ones.
  const size_t elements = RunElements(width, height, runWidth);
  return narrow ? elements * 2 * 4 : elements * 2 * 3 * sizeof(uint16_t);
}

}  // namespace pexora
#endif
