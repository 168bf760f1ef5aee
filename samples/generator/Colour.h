#pragma once

#include <algorithm>

// A colour with channels in 0..255 and coverage (alpha) in 0..1, for painting.
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;

  static Colour mix(const Colour& p, const Colour& q, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
  }

  Colour withAlpha(double alpha) const { return {r, g, b, alpha}; }
  Colour scaled(double f) const { return {r * f, g * f, b * f, a}; }
};
