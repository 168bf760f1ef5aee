#include "scan/SearchTemplate.h"

#include <algorithm>
#include <array>

#include "image/HslColor.h"

namespace pexora {

namespace {

// The coarsest grid (a power of two up to 64) that holds both coordinates.
int GridLevel(int32_t x, int32_t y) {
  int level = 6;
  while (level > 0 && (((x | y) & ((1 << level) - 1)) != 0)) --level;
  return level;
}

struct Range {
  uint32_t low = 0;
  uint32_t high = 0;
};

// The values that a channel of value v (0..full) shows when a pixel of alpha
// a (1..255) lies over some opaque background: from a * v over the darkest
// background to a * v + (1 - a) * full over the lightest, alpha on the 0..1
// scale. The exact range of the composite rounded inward to whole units.
Range OverAnyBackground(uint32_t value, uint32_t alpha, uint32_t full) {
  return {(alpha * value + 254) / 255, (alpha * value + (255 - alpha) * full) / 255};
}

// The chroma (0..65535) that a pixel of chroma c and alpha a shows over some
// opaque background: a background moves a composite's chroma by at most
// (1 - a), both ways.
Range ChromaOverAnyBackground(uint32_t chroma, uint32_t alpha) {
  const int64_t scaled = int64_t{alpha} * chroma, spread = int64_t{255 - alpha} * 65535;
  return {static_cast<uint32_t>(std::max<int64_t>(0, (scaled - spread + 254) / 255)),
          static_cast<uint32_t>((scaled + spread) / 255)};
}

// How far any background moves the hue of a pixel of alpha a, weighted by the
// chroma the pixel keeps over any background: (1 - a) / 6 of the circle at
// most (a sixth of the hue circle spans one unit of chroma), rounded up.
uint32_t HueSlackOverAnyBackground(uint32_t alpha) { return ((255 - alpha) * 65535 + 1529) / 1530; }

// Channel c accepts exactLow..exactHigh at tolerance 0, widened by the
// tolerance on both sides within 0..full.
void Accept(TemplatePixel& p, int c, uint32_t exactLow, uint32_t exactHigh, uint32_t tolerance, uint32_t full) {
  p.exactLow[c] = static_cast<uint16_t>(exactLow);
  p.exactHigh[c] = static_cast<uint16_t>(exactHigh);
  p.low[c] = static_cast<uint16_t>(exactLow > tolerance ? exactLow - tolerance : 0);
  p.high[c] = static_cast<uint16_t>(std::min<uint32_t>(full, exactHigh + tolerance));
}

// True when no searched pixel can lie outside what p accepts in a compared
// channel: alpha and the ARGB channels span 0..255, the AHSL chroma and
// lightness 0..65535, and the weighted hue is not tested without chroma or
// when its limit reaches the largest distance.
bool NeverDiffers(const TemplatePixel& p, ColorModel model, int firstChannel) {
  for (int c = firstChannel; c < 4; ++c) {
    if (model == ColorModel::kAhsl && c == 1) {
      if (p.hueChroma != 0 && p.hueLimit < kMaxWeightedHueDistance) return false;
      continue;
    }
    const uint32_t full = model == ColorModel::kAhsl && c > 0 ? 65535 : 255;
    if (p.low[c] != 0 || p.high[c] != full) return false;
  }
  return true;
}

}  // namespace

SearchTemplate MakeSearchTemplate(const Image& picture, const CompareSettings& settings, int32_t searchedWidth) {
  SearchTemplate t;
  t.width = picture.width;
  t.height = picture.height;
  t.model = settings.model;
  t.firstChannel = settings.alphaMask ? 1 : 0;
  t.pixels.reserve(picture.pixels.size());
  for (int32_t y = 0; y < picture.height; ++y) {
    settings.stop->Check();
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t argb = picture.At(x, y);
      const uint32_t alpha = AlphaOf(argb);
      if (settings.alphaMask && alpha == 0) continue;
      TemplatePixel p;
      p.x = x;
      p.y = y;
      p.offset = int64_t{y} * searchedWidth + x;
      for (size_t r = 0; r < kRunWidths.size(); ++r)
        p.runOffset[r] = RunOffset(x, y, kRunWidths[r], RunStride(searchedWidth, kRunWidths[r]));
      // Without a mask the colour counts as it is, as if opaque.
      const uint32_t opacity = settings.alphaMask ? alpha : 255;
      const auto& tolerance = settings.tolerance;
      Accept(p, 0, alpha, alpha, tolerance[0], 255);
      if (settings.model == ColorModel::kArgb) {
        const uint32_t value[4] = {alpha, RedOf(argb), GreenOf(argb), BlueOf(argb)};
        for (int c = 1; c < 4; ++c) {
          const Range range = OverAnyBackground(value[c], opacity, 255);
          Accept(p, c, range.low, range.high, tolerance[c], 255);
        }
      } else {
        const Hsl16 hsl = ToHsl16(argb);
        const Range chroma = ChromaOverAnyBackground(hsl.chroma, opacity);
        const Range lightness = OverAnyBackground(hsl.lightness, opacity, 65535);
        p.hue = hsl.hue;
        p.hueChroma = static_cast<uint16_t>(chroma.low);
        p.hueSlack = static_cast<uint16_t>(HueSlackOverAnyBackground(opacity));
        p.hueLimit = static_cast<uint16_t>(std::min<uint32_t>(65535, tolerance[1] + p.hueSlack));
        Accept(p, 1, 0, 65535, 0, 65535);
        Accept(p, 2, chroma.low, chroma.high, tolerance[2], 65535);
        Accept(p, 3, lightness.low, lightness.high, tolerance[3], 65535);
      }
      t.pixels.push_back(p);
    }
  }
  // Tested pixels first, coarsest grid first, else in row order: a stable
  // counting sort by that key.
  constexpr int kKeys = 14;
  std::vector<uint8_t> key(t.pixels.size());
  std::array<size_t, kKeys + 1> start{};
  constexpr size_t kStopInterval = size_t{1} << 16;
  for (size_t i = 0; i < t.pixels.size(); ++i) {
    if (i % kStopInterval == 0) settings.stop->Check();
    const TemplatePixel& p = t.pixels[i];
    const bool never = NeverDiffers(p, t.model, t.firstChannel);
    key[i] = static_cast<uint8_t>((never ? 7 : 0) + 6 - GridLevel(p.x, p.y));
    ++start[key[i] + 1];
    t.tested += never ? 0 : 1;
  }
  for (int k = 0; k < kKeys; ++k) start[k + 1] += start[k];
  std::vector<TemplatePixel> sorted(t.pixels.size());
  for (size_t i = 0; i < t.pixels.size(); ++i) {
    if (i % kStopInterval == 0) settings.stop->Check();
    sorted[start[key[i]]++] = t.pixels[i];
  }
  t.pixels = std::move(sorted);
  t.acceptsOpaque = std::all_of(t.pixels.begin(), t.pixels.begin() + static_cast<std::ptrdiff_t>(t.tested),
                                [](const TemplatePixel& p) { return p.high[0] == 255; });
  t.exactlyOpaque =
      std::all_of(t.pixels.begin(), t.pixels.end(), [](const TemplatePixel& p) { return p.exactLow[0] == 255; });
  return t;
}

int64_t TemplateBytes(int64_t pixels) { return pixels * static_cast<int64_t>(sizeof(TemplatePixel)); }

// The pixels are sorted into a second list as large, by a key of a byte each.
int64_t TemplateBuildingBytes(int64_t pixels) { return TemplateBytes(pixels) + pixels; }

}  // namespace pexora
