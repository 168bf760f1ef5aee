#include "BadgeIcon.h"

#include <cmath>
#include <numbers>

#include "Painter.h"

Picture paintBadgeIcon(int size) {
  // The transparent background carries the outline's colour, so that a
  // rescaled icon does not pick up a dark or light fringe from it.
  Picture picture(size, size, {70, 20, 10, 0});
  Painter p(picture);
  const double c = size / 2.0, r = size * 0.44;
  p.disc(c, c, r, Colour{70, 20, 10});
  p.disc(c, c, r - size * 0.05, [&](double x, double y) {
    const double t = std::hypot(x - c * 0.8, y - c * 0.7) / r;  // light from the upper left
    return Colour::mix({255, 196, 64}, {214, 52, 28}, t);
  });
  p.disc(c - r * 0.35, c - r * 0.45, r * 0.18, Colour{255, 255, 230, 0.55});  // highlight
  std::vector<std::pair<double, double>> star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    const double radius = (i % 2 ? 0.42 : 1.0) * r * 0.62;
    star.emplace_back(c + radius * std::cos(angle), c + r * 0.05 + radius * std::sin(angle));
  }
  p.polygon(star, Painter::linear(c, c - r * 0.6, {255, 255, 255}, c, c + r * 0.6, {200, 214, 255}));
  // A small notch at the lower right makes the shape asymmetric.
  p.disc(c + r * 0.72, c + r * 0.72, size * 0.09, Colour{40, 110, 200});
  return picture;
}
