#include "scan/ScalarScan.h"

#include <algorithm>

#include "scan/PixelDifference.h"

namespace pexora {

namespace {
// Pixels between two looks for a stop request: some 100 to 300 microseconds.
constexpr size_t kStopInterval = size_t{1} << 16;
}  // namespace

void ScanRowScalar(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                   int64_t limit, int64_t* differences, const StopToken& stop) {
  size_t sinceStop = 0;
  for (int32_t k = 0; k < count; ++k) {
    const size_t base = in.Index(x0 + k, y);
    int64_t differing = 0;
    for (size_t begin = 0; begin < t.tested && differing <= limit; begin += kStopInterval) {
      const size_t end = std::min(t.tested, begin + kStopInterval);
      size_t i = begin;
      for (; i < end; ++i) {
        const TemplatePixel& p = t.pixels[i];
        if (PixelDiffers(in, base + static_cast<size_t>(p.offset), t, p) && ++differing > limit) break;
      }
      if ((sinceStop += i - begin) >= kStopInterval) {
        sinceStop = 0;
        stop.Check();
      }
    }
    differences[k] = differing;
  }
}

uint64_t SumOfDifferences(const ChannelPlanes& in, const SearchTemplate& t, int32_t x, int32_t y, uint64_t limit,
                          const StopToken& stop) {
  const size_t base = in.Index(x, y);
  uint64_t sum = 0;
  for (size_t begin = 0; begin < t.pixels.size() && sum <= limit; begin += kStopInterval) {
    if (begin > 0) stop.Check();
    const size_t end = std::min(t.pixels.size(), begin + kStopInterval);
    for (size_t i = begin; i < end; ++i) {
      sum += PixelDistance(in, base + static_cast<size_t>(t.pixels[i].offset), t, t.pixels[i]);
      if (sum > limit) break;
    }
  }
  return sum;
}

}  // namespace pexora
