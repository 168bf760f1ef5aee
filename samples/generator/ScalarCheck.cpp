#include "ScalarCheck.h"

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

std::vector<ScalarCheck::Place> ScalarCheck::matches(const Picture& searchIn, const Picture& searchFor,
                                                     Tolerances tolerances, bool alphaMask, int differenceTolerance) {
  std::vector<Place> found;
  for (int y = 0; y + searchFor.height <= searchIn.height; ++y)
    for (int x = 0; x + searchFor.width <= searchIn.width; ++x)
      if (differences(searchIn, searchFor, {x, y}, tolerances, alphaMask, differenceTolerance) <= differenceTolerance)
        found.push_back({x, y});
  return found;
}
