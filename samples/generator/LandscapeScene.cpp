#include "LandscapeScene.h"

#include <algorithm>
#include <cmath>

#include "Painter.h"
#include "Prng.h"
#include "ValueNoise.h"

Picture paintLandscapeScene(int width, int height, uint64_t seed) {
  Picture picture(width, height, {0, 0, 0, 255});
  Painter p(picture);
  Prng rng(seed);
  const ValueNoise noise(seed ^ 0x1A4Dull);
  // Work in scene units: the scene is 1000 wide and 750 high.
  const double k = width / 1000.0, kh = height / 750.0;
  const double horizon = 470;

  const auto ridge = [&](double u, double base, double amplitude, double scale, int layer) {
    return base - amplitude * noise.fractal(u, layer * 100.0, scale, 5, 0.5);
  };

  // Sky, clouds, sun and three mountain ranges above the horizon.
  const auto land = [&](double u, double v) {
    Colour sky = Colour::mix({60, 110, 190}, {235, 200, 160}, std::pow(std::clamp(v / horizon, 0.0, 1.0), 1.6));
    const double cloud = noise.fractal(u, v * 2.2, 160, 5);
    sky = Colour::mix(sky, {250, 245, 240}, std::clamp((cloud - 0.55) * 3.5, 0.0, 0.9));
    const double sun = std::hypot(u - 700, v - 250);
    sky = Colour::mix(sky, {255, 240, 190}, std::clamp(1.2 - sun / 120, 0.0, 1.0));
    const Colour ranges[3] = {{120, 120, 160}, {80, 95, 120}, {45, 70, 60}};
    for (int layer = 0; layer < 3; ++layer) {
      const double top = ridge(u, horizon + 10 - layer * 5, 260 - layer * 70, 420 - layer * 110, layer);
      const Colour rock = Colour::mix(ranges[layer], {20, 30, 25}, (v - top) / 400 + 0.2 * noise.fractal(u, v, 30, 3));
      sky = Colour::mix(sky, rock, (v - top) * kh / 1.5 + 0.5);  // anti-aliased ridge
    }
    return sky;
  };
  p.rect(0, 0, width, height, [&](double x, double y) {
    const double u = x / k, v = y / kh;
    if (v < horizon) return land(u, v);
    // The lake mirrors the land, rippled and darkened with depth.
    const double depth = (v - horizon) / (750 - horizon);
    const double ripple = std::sin(v * 0.9 + 6 * noise.fractal(u, v, 60, 2)) * 8 * depth;
    return Colour::mix(land(u + ripple, 2 * horizon - v), {20, 50, 70}, 0.3 + 0.5 * depth);
  });
  // Trees along the near shore, biggest in front.
  for (int i = 0; i < 28; ++i) {
    const double u = rng.uniform(0, 1000), base = rng.uniform(470, 520), h = rng.uniform(50, 130);
    const Colour green{rng.uniform(20, 50), rng.uniform(60, 100), rng.uniform(30, 50)};
    p.rect((u - 3) * k, (base - h * 0.2) * kh, 6 * k, h * 0.25 * kh, Colour{70, 45, 30});
    p.polygon({{u * k, (base - h) * kh},
               {(u - h * 0.28) * k, (base - h * 0.15) * kh},
               {(u + h * 0.28) * k, (base - h * 0.15) * kh}},
              green);
  }
  // A boat with a red sail.
  p.polygon({{610 * k, 600 * kh}, {700 * k, 600 * kh}, {685 * k, 620 * kh}, {625 * k, 620 * kh}}, Colour{110, 60, 30});
  p.polygon({{655 * k, 500 * kh}, {655 * k, 595 * kh}, {705 * k, 595 * kh}}, Colour{200, 40, 30});
  return picture;
}
