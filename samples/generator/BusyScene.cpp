#include "BusyScene.h"

#include <cmath>

#include "Painter.h"
#include "Prng.h"
#include "ValueNoise.h"

namespace {

Colour randomColour(Prng& rng) { return {rng.uniform(0, 255), rng.uniform(0, 255), rng.uniform(0, 255)}; }

}  // namespace

Picture paintBusyScene(int width, int height, uint64_t seed) {
  Picture picture(width, height, {0, 0, 0, 255});
  Painter p(picture);
  Prng rng(seed);
  const ValueNoise noise(seed ^ 0xB05Eull);

  p.rect(0, 0, width, height, [&](double x, double y) {
    const double n = noise.fractal(x, y, 70, 4);
    return Colour::mix({40, 120, 90}, {230, 210, 150}, n * 1.6 - 0.3);
  });
  // Diagonal stripes across part of the ground.
  for (int i = 0; i < 12; ++i) {
    const double x = rng.uniform(-100, width);
    p.line(x, 0, x + 160, height, rng.uniform(3, 12), randomColour(rng).withAlpha(0.6));
  }
  for (int i = 0; i < 150; ++i) {
    const double x = rng.uniform(-20, width), y = rng.uniform(-20, height), s = rng.uniform(6, 46);
    const Colour c = randomColour(rng).withAlpha(rng.uniform(0.6, 1.0));
    switch (rng.range(0, 5)) {
      case 0: p.rect(x, y, s, s * rng.uniform(0.3, 1.5), c); break;
      case 1: p.disc(x, y, s / 2, c); break;
      case 2: p.ring(x, y, s / 2, rng.uniform(2, 6), c); break;
      case 3: p.line(x, y, x + rng.uniform(-60, 60), y + rng.uniform(-60, 60), rng.uniform(1.5, 5), c); break;
      case 4:
        p.roundedRect(x, y, s * 1.4, s, s * 0.2, Painter::linear(x, y, c, x + s, y + s, randomColour(rng)));
        break;
      default: p.polygon({{x, y}, {x + s, y + rng.uniform(-s, s)}, {x + rng.uniform(-s, s), y + s}}, c); break;
    }
  }
  return picture;
}
