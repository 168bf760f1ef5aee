#include "ScalarCheck.h"

#include <algorithm>
#include <cstdlib>

int ScalarCheck::differences(const Picture& searchIn, const Picture& searchFor, Place at, Tolerances t, bool alphaMask,
                             int stopAbove) {
  int count = 0;
  for (int y = 0; y < searchFor.height; ++y) {
    for (int x = 0; x < searchFor.width; ++x) {
      const Rgba& f = searchFor.at(x, y);
      const Rgba& s = searchIn.at(at.x + x, at.y + y);
      bool differs;
      if (alphaMask) {
        if (f.a == 0) continue;
        // The searched value lies outside every composite a * F + (1 - a) * B
        // over an opaque background B, widened by the tolerance.
        const auto outside = [a = f.a](int of, int in, int tolerance) {
          const int low = (a * of + 254) / 255 - tolerance;
          const int high = (a * of + (255 - a) * 255) / 255 + tolerance;
          return in < low || in > high;
        };
        differs = outside(f.r, s.r, t.r) || outside(f.g, s.g, t.g) || outside(f.b, s.b, t.b);
      } else {
        differs = std::abs(f.a - s.a) > t.a || std::abs(f.r - s.r) > t.r || std::abs(f.g - s.g) > t.g ||
                  std::abs(f.b - s.b) > t.b;
      }
      if (differs && ++count > stopAbove) return count;
    }
  }
  return count;
}

int ScalarCheck::closestElsewhere(const Picture& searchIn, const Picture& searchFor, Place at, Tolerances tolerances,
                                  bool alphaMask, int cap) {
  const int w = searchFor.width, h = searchFor.height;
  int closest = cap + 1;
  for (int y = 0; y + h <= searchIn.height; ++y)
    for (int x = 0; x + w <= searchIn.width; ++x)
      if (x >= at.x + w || at.x >= x + w || y >= at.y + h || at.y >= y + h)
        closest = std::min(closest, differences(searchIn, searchFor, {x, y}, tolerances, alphaMask, closest));
  return closest;
}
