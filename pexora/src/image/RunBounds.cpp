#include "image/RunBounds.h"

#include <algorithm>

#include "image/ChannelPlanes.h"

namespace pexora {

namespace {

size_t RunElements(int32_t width, int32_t height, int32_t runWidth) {
  return RunStride(width, runWidth) * static_cast<size_t>(runWidth) * static_cast<size_t>(height) + kPlanePadding;
}

// The bounds of one plane: per row the least and greatest value of every run
// that starts at each x (runs doubled in place, each pass reading the values
// ahead of the one it writes), then spread over the phases.
template <class T>
void BoundPlane(const std::vector<T>& plane, int32_t width, int32_t height, int32_t runWidth, size_t stride,
                std::vector<T>& low, std::vector<T>& high, const StopToken& stop) {
  low.assign(RunElements(width, height, runWidth), 0);
  high.assign(RunElements(width, height, runWidth), 0);
  std::vector<T> least(static_cast<size_t>(width)), most(static_cast<size_t>(width));
  for (int32_t y = 0; y < height; ++y) {
    stop.Check();
    const auto row = plane.begin() + static_cast<std::ptrdiff_t>(y) * width;
    std::copy(row, row + width, least.begin());
    std::copy(row, row + width, most.begin());
    for (int32_t step = 1; step < runWidth; step *= 2) {
      for (int32_t x = 0; x + step < width; ++x) {
        least[x] = std::min(least[x], least[x + step]);
        most[x] = std::max(most[x], most[x + step]);
      }
    }
    for (int32_t phase = 0; phase < runWidth; ++phase) {
      const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(runWidth) + static_cast<size_t>(phase)) * stride;
      for (int32_t x = phase, j = 0; x < width; x += runWidth, ++j) {
        low[at + static_cast<size_t>(j)] = least[x];
        high[at + static_cast<size_t>(j)] = most[x];
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
