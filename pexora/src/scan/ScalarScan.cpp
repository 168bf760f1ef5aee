#include "scan/ScalarScan.h"

#include "scan/PixelDifference.h"

namespace pexora {

void ScanRowScalar(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
                   int64_t limit, int64_t* differences) {
  for (int32_t k = 0; k < count; ++k) {
    const size_t base = in.Index(x0 + k, y);
    int64_t differing = 0;
    for (size_t i = 0; i < t.tested; ++i) {
      const TemplatePixel& p = t.pixels[i];
      if (PixelDiffers(in, base + static_cast<size_t>(p.offset), t, p) && ++differing > limit) break;
    }
    differences[k] = differing;
  }
}

uint64_t SumOfDifferences(const ChannelPlanes& in, const SearchTemplate& t, int32_t x, int32_t y, uint64_t limit) {
  const size_t base = in.Index(x, y);
  uint64_t sum = 0;
  for (const TemplatePixel& p : t.pixels) {
    sum += PixelDistance(in, base + static_cast<size_t>(p.offset), t, p);
    if (sum > limit) break;
  }
  return sum;
}

}  // namespace pexora
