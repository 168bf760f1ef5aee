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

// Channel c accepts exactLow..exactHigh at tolerance 0, widened by the
// tolerance on both sides within 0..full.
void Accept(TemplatePixel& p, int c, uint32_t exactLow, uint32_t exactHigh, uint32_t tolerance, uint32_t full) {
  p.exactLow[c] = static_cast<uint16_t>(exactLow);
  p.exactHigh[c] = static_cast<uint16_t>(exactHigh);
  p.low[c] = static_cast<uint16_t>(exactLow > tolerance ? exactLow - tolerance : 0);
  p.high[c] = static_cast<uint16_t>(std::min<uint32_t>(full, exactHigh + tolerance));
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
      // With a mask, |d| * alpha / 255 > T exactly when |d| > floor(255 T / alpha).
      const auto tolerance = [&](int c) {
        const uint32_t limit = settings.tolerance[c];
        return settings.alphaMask ? std::min<uint32_t>(65535, 255 * limit / alpha) : limit;
      };
      Accept(p, 0, alpha, alpha, tolerance(0), 255);
      if (settings.model == ColorModel::kArgb) {
        const uint32_t value[4] = {alpha, RedOf(argb), GreenOf(argb), BlueOf(argb)};
        for (int c = 1; c < 4; ++c) Accept(p, c, value[c], value[c], tolerance(c), 255);
      } else {
        const Hsl16 hsl = ToHsl16(argb);
        p.hue = hsl.hue;
        p.hueChroma = hsl.chroma;
        p.hueLimit = static_cast<uint16_t>(tolerance(1));
        Accept(p, 1, 0, 65535, 0, 65535);
        Accept(p, 2, hsl.chroma, hsl.chroma, tolerance(2), 65535);
        Accept(p, 3, hsl.lightness, hsl.lightness, tolerance(3), 65535);
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
