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
      const int dr = std::abs(f.r - s.r), dg = std::abs(f.g - s.g), db = std::abs(f.b - s.b);
      bool differs;
      if (alphaMask) {
        if (f.a == 0) continue;
        // |d| * a / 255 > tolerance, in integers.
        differs = dr * f.a > t.r * 255 || dg * f.a > t.g * 255 || db * f.a > t.b * 255;
      } else {
        differs = std::abs(f.a - s.a) > t.a || dr > t.r || dg > t.g || db > t.b;
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
