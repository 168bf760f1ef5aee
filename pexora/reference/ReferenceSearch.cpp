#include "ReferenceSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/HslColor.h"
#include "image/Resample.h"
#include "scan/CompareSettings.h"
#include "scan/MatchPercentage.h"

namespace pexora::reference {

namespace {

struct Rules {
  bool ahsl = false;
  bool alpha = false;
  uint32_t tolerance[4] = {0, 0, 0, 0};  // A, R, G, B or A, H, S, L in fixed point
};

// numerator / 255 rounded up, for numerator >= 0.
int64_t Ceil255(int64_t numerator) { return (numerator + 254) / 255; }

// How far value lies outside low255 / 255 .. high255 / 255 widened by the
// tolerance on both sides, in whole units rounded up; 0 within.
int64_t Beyond(int64_t value, int64_t low255, int64_t high255, int64_t tolerance) {
  const int64_t below = low255 - 255 * (value + tolerance), above = 255 * (value - tolerance) - high255;
  return below > 0 ? Ceil255(below) : above > 0 ? Ceil255(above) : 0;
}

// How far each compared channel of the searched pixel `in` lies outside what
// the search-for pixel `of` accepts at the given tolerances: A, R, G, B, or A,
// weighted hue, chroma, lightness. With the alpha types, `of` at alpha a may
// lie over any opaque background: a channel of value v then shows anything
// from a * v to a * v + (1 - a) * full, its chroma moves by up to (1 - a)
// either way, and its hue by up to (1 - a) / 6 of the circle at the chroma it
// keeps for certain. Without them `of` counts as opaque.
void Excess(const Rules& rules, uint32_t in, uint32_t of, const uint32_t tolerance[4], int64_t excess[4]) {
  const int64_t a = rules.alpha ? AlphaOf(of) : 255;
  const auto channel = [&](int64_t value, int64_t reference, int64_t full, int c) {
    excess[c] = Beyond(value, a * reference, a * reference + (255 - a) * full, tolerance[c]);
  };
  excess[0] = Beyond(AlphaOf(in), 255 * int64_t{AlphaOf(of)}, 255 * int64_t{AlphaOf(of)}, tolerance[0]);
  if (!rules.ahsl) {
    channel(RedOf(in), RedOf(of), 255, 1);
    channel(GreenOf(in), GreenOf(of), 255, 2);
    channel(BlueOf(in), BlueOf(of), 255, 3);
    return;
  }
  const Hsl16 searched = ToHsl16(in), wanted = ToHsl16(of);
  const int64_t spread = (255 - a) * 65535;
  const int64_t keptChroma = Ceil255(std::max<int64_t>(0, a * wanted.chroma - spread));
  const int64_t slack = (spread + 1529) / 1530;
  const int64_t hue = WeightedHueDistance(searched.hue, wanted.hue,
                                          static_cast<uint16_t>(std::min<int64_t>(searched.chroma, keptChroma)));
  excess[1] = std::max<int64_t>(0, hue - slack - tolerance[1]);
  excess[2] = Beyond(searched.chroma, a * wanted.chroma - spread, a * wanted.chroma + spread, tolerance[2]);
  channel(searched.lightness, wanted.lightness, 65535, 3);
}

bool Differs(const Rules& rules, uint32_t in, uint32_t of) {
  int64_t excess[4];
  Excess(rules, in, of, rules.tolerance, excess);
  for (int c = rules.alpha ? 1 : 0; c < 4; ++c) {
    if (excess[c] > 0) return true;
  }
  return false;
}

// How far the pixel lies outside what tolerance 0 accepts, over the compared
// channels.
uint64_t Distance(const Rules& rules, uint32_t in, uint32_t of) {
  static const uint32_t kNoTolerance[4] = {0, 0, 0, 0};
  int64_t excess[4];
  Excess(rules, in, of, kNoTolerance, excess);
  uint64_t sum = 0;
  for (int c = rules.alpha ? 1 : 0; c < 4; ++c) sum += static_cast<uint64_t>(excess[c]);
  return sum;
}

// An AHSL tolerance in fixed point as the public header states it: clamped to
// 0..1 (NaN as 0), multiplied by the scale in double precision, rounded down.
uint32_t Units(double tolerance, uint32_t scale) {
  const double clamped = tolerance >= 0.0 ? std::min(tolerance, 1.0) : 0.0;  // NaN fails the test
  return static_cast<uint32_t>(clamped * double(scale));
}

bool Better(const Match& a, const Match& b) {
  const __int128 pa = static_cast<__int128>(a.compared - a.difference) * b.compared;
  const __int128 pb = static_cast<__int128>(b.compared - b.difference) * a.compared;
  if (pa != pb) return pa > pb;
  if (a.sum != b.sum) return a.sum < b.sum;
  if (int64_t{a.width} * a.height != int64_t{b.width} * b.height) {
    return int64_t{a.width} * a.height > int64_t{b.width} * b.height;
  }
  if (a.y != b.y) return a.y < b.y;
  if (a.x != b.x) return a.x < b.x;
  return a.width > b.width;
}

bool Intersect(const Match& a, const Match& b) {
  const bool apartX = a.x + a.width <= b.x || b.x + b.width <= a.x;
  const bool apartY = a.y + a.height <= b.y || b.y + b.height <= a.y;
  return !apartX && !apartY;
}

void SearchOneSize(const Image& searched, const Image& target, const Rules& rules, int64_t tolerance,
                   std::vector<Match>& found) {
  int64_t compared = 0;
  for (uint32_t pixel : target.pixels) compared += (!rules.alpha || AlphaOf(pixel) != 0) ? 1 : 0;
  if (compared == 0) return;
  for (int32_t y = 0; y + target.height <= searched.height; ++y) {
    for (int32_t x = 0; x + target.width <= searched.width; ++x) {
      int64_t differing = 0;
      for (int32_t ty = 0; ty < target.height && differing <= tolerance; ++ty) {
        for (int32_t tx = 0; tx < target.width && differing <= tolerance; ++tx) {
          const uint32_t of = target.At(tx, ty);
          if (rules.alpha && AlphaOf(of) == 0) continue;
          if (Differs(rules, searched.At(x + tx, y + ty), of)) ++differing;
        }
      }
      if (differing > tolerance) continue;
      uint64_t sum = 0;
      for (int32_t ty = 0; ty < target.height; ++ty) {
        for (int32_t tx = 0; tx < target.width; ++tx) {
          const uint32_t of = target.At(tx, ty);
          if (rules.alpha && AlphaOf(of) == 0) continue;
          sum += Distance(rules, searched.At(x + tx, y + ty), of);
        }
      }
      found.push_back({x, y, target.width, target.height, differing, compared, sum});
    }
  }
}

Image Crop(const Image& picture, const TPXRect& r) {
  Image part;
  part.width = r.Width;
  part.height = r.Height;
  for (int32_t y = r.Y; y < r.Y + r.Height; ++y) {
    for (int32_t x = r.X; x < r.X + r.Width; ++x) part.pixels.push_back(picture.At(x, y));
  }
  return part;
}

}  // namespace

Outcome Search(const Image& whole, const Image& target, const TPXProcessParameters& p,
               const TPXSearchOptions* options) {
  Outcome outcome;
  const bool region = options != nullptr && options->UseRegion != 0;
  const Image searched = region ? Crop(whole, options->Region) : whole;
  Rules rules;
  const int type = p.CompareType;
  if (type < PX_COMPARE_TYPE_EXACT || type > PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA) {
    outcome.code = PX_ERROR_NOT_AVAILABLE;
    return outcome;
  }
  rules.ahsl = type == PX_COMPARE_TYPE_RELATIVE_AHSL || type == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  rules.alpha = type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA || type == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  if (type == PX_COMPARE_TYPE_RELATIVE_ARGB || type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA) {
    rules.tolerance[0] = p.ARGBATolerance;
    rules.tolerance[1] = p.ARGBRTolerance;
    rules.tolerance[2] = p.ARGBGTolerance;
    rules.tolerance[3] = p.ARGBBTolerance;
  } else if (rules.ahsl) {
    rules.tolerance[0] = Units(p.AHSLATolerance, 255);
    rules.tolerance[1] = Units(p.AHSLHTolerance, 65535);
    rules.tolerance[2] = Units(p.AHSLSTolerance, 65535);
    rules.tolerance[3] = Units(p.AHSLLTolerance, 65535);
  }
  const bool stretch = p.StretchCompare != 0;
  if (stretch && (p.StretchResampler < PX_RESAMPLER_BOX || p.StretchResampler > PX_RESAMPLER_LANCZOS3)) {
    outcome.code = PX_ERROR_NOT_AVAILABLE;
    return outcome;
  }

  std::vector<Image> sized;
  if (!stretch) {
    if (target.width <= searched.width && target.height <= searched.height) sized.push_back(target);
  } else {
    const bool wide = target.width >= target.height;
    const int longSide = wide ? target.width : target.height;
    const int shortSide = wide ? target.height : target.width;
    for (int l = 1; l <= std::max(searched.width, searched.height); ++l) {
      const int s = std::max(1, int(std::lround(double(l) * shortSide / longSide)));
      const int w = wide ? l : s, h = wide ? s : l;
      if (w < std::max(1, p.MinimalStretchSize.Width) || w > p.MaximalStretchSize.Width) continue;
      if (h < std::max(1, p.MinimalStretchSize.Height) || h > p.MaximalStretchSize.Height) continue;
      if (w > searched.width || h > searched.height) continue;
      if (w == target.width && h == target.height) {
        sized.push_back(target);
      } else {
        sized.push_back(Resample(target, w, h, p.StretchResampler));
      }
    }
  }
  if (sized.empty()) {
    outcome.code = PX_ERROR_DIMENSIONS;
    return outcome;
  }

  std::vector<Match> found;
  for (const Image& picture : sized) {
    SearchOneSize(searched, picture, rules, p.DifferenceTolerance, found);
  }
  if (options != nullptr) {
    std::erase_if(found, [options](const Match& m) {
      return MatchPercentage(m.compared, m.difference) < options->MinimalMatchPercentage;
    });
  }
  if (region) {
    for (Match& m : found) {
      m.x += options->Region.X;
      m.y += options->Region.Y;
    }
  }
  std::sort(found.begin(), found.end(), Better);
  for (const Match& m : found) {
    bool free = true;
    for (const Match& k : outcome.matches) free = free && !Intersect(m, k);
    if (free) outcome.matches.push_back(m);
    if (!outcome.matches.empty() && p.MultipleMatches == 0) break;
  }
  if (options != nullptr && options->MaximalMatchCount > 0 &&
      outcome.matches.size() > size_t(options->MaximalMatchCount)) {
    outcome.matches.resize(size_t(options->MaximalMatchCount));
  }
  return outcome;
}

}  // namespace pexora::reference
