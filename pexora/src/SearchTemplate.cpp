#include "SearchTemplate.h"

#include <algorithm>

#include "HslColor.h"

namespace pexora {

namespace {

// The coarsest grid (a power of two up to 64) that holds both coordinates.
int GridLevel(int32_t x, int32_t y) {
  int level = 6;
  while (level > 0 && (((x | y) & ((1 << level) - 1)) != 0)) --level;
  return level;
}

}  // namespace

SearchTemplate MakeSearchTemplate(const Image& picture, const CompareSettings& settings,
                                  int32_t searchedWidth) {
  SearchTemplate t;
  t.width = picture.width;
  t.height = picture.height;
  t.model = settings.model;
  t.firstChannel = settings.alphaMask ? 1 : 0;
  t.pixels.reserve(picture.pixels.size());
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t argb = picture.At(x, y);
      const uint32_t alpha = AlphaOf(argb);
      if (settings.alphaMask && alpha == 0) continue;
      TemplatePixel p;
      p.x = x;
      p.y = y;
      p.offset = int64_t{y} * searchedWidth + x;
      p.value[0] = static_cast<uint16_t>(alpha);
      if (settings.model == ColorModel::kArgb) {
        p.value[1] = static_cast<uint16_t>(RedOf(argb));
        p.value[2] = static_cast<uint16_t>(GreenOf(argb));
        p.value[3] = static_cast<uint16_t>(BlueOf(argb));
      } else {
        const Hsl16 hsl = ToHsl16(argb);
        p.value[1] = hsl.hue;
        p.value[2] = hsl.saturation;
        p.value[3] = hsl.lightness;
        p.hueMask = hsl.grey ? 0 : 0xFFFF;
      }
      p.weight = static_cast<uint16_t>(settings.alphaMask ? alpha : 255);
      for (int c = 0; c < 4; ++c) {
        uint32_t limit = settings.threshold[c];
        // With a mask, |d| * alpha / 255 > T exactly when |d| > floor(255 T / alpha).
        if (settings.alphaMask) limit = c == 0 ? 65535 : (255 * limit) / alpha;
        p.threshold[c] = static_cast<uint16_t>(std::min<uint32_t>(limit, 65535));
      }
      t.pixels.push_back(p);
    }
  }
  std::stable_sort(t.pixels.begin(), t.pixels.end(), [](const TemplatePixel& a, const TemplatePixel& b) {
    return GridLevel(a.x, a.y) > GridLevel(b.x, b.y);
  });
  return t;
}

}  // namespace pexora
