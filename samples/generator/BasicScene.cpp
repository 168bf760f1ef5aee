#include "BasicScene.h"

#include <algorithm>
#include <cmath>

#include "Painter.h"
#include "Prng.h"
#include "PseudoText.h"
#include "ValueNoise.h"

namespace {

const Colour kTitleLeft{38, 84, 160}, kTitleRight{96, 150, 214};

void windowFrame(Painter& p, Prng& rng, double x, double y, double w, double h) {
  p.roundedRect(x + 4, y + 5, w, h, 6, Colour{0, 0, 0, 0.35});  // shadow
  p.roundedRect(x, y, w, h, 6, Colour{236, 238, 242});
  p.roundedRect(x, y, w, 24, 6, Painter::linear(x, y, kTitleLeft, x + w, y, kTitleRight));
  p.rect(x, y + 12, w, 12, Painter::linear(x, y, kTitleLeft, x + w, y, kTitleRight));
  PseudoText::line(p, rng, x + 10, y + 17, 10, w * 0.45, 1.3, Colour{250, 250, 255});
  const Colour buttons[3] = {{230, 80, 70}, {240, 190, 60}, {90, 190, 90}};
  for (int i = 0; i < 3; ++i) p.disc(x + w - 16 - 18 * i, y + 12, 5.5, buttons[i]);
}

void editor(Painter& p, Prng& rng, double x, double y, double w, double h) {
  windowFrame(p, rng, x, y, w, h);
  p.rect(x + 4, y + 28, w - 8, h - 32, Colour{252, 252, 250});
  p.rect(x + 4, y + 28, 30, h - 32, Colour{226, 229, 235});
  const Colour syntax[5] = {{40, 40, 48}, {160, 40, 140}, {30, 110, 40}, {30, 80, 190}, {180, 90, 20}};
  int row = 0;
  for (double baseline = y + 44; baseline < y + h - 8; baseline += 15, ++row) {
    PseudoText::line(p, rng, x + 8, baseline, 8, 22, 1.1, Colour{120, 124, 135});
    if (row % 7 == 3) p.rect(x + 36, baseline - 11, w - 44, 14, Colour{255, 246, 200});
    double pen = x + 40 + 12 * rng.range(0, 3);
    while (pen < x + w - 40) {
      const double width = std::min(x + w - 10 - pen, rng.uniform(25, 110));
      PseudoText::line(p, rng, pen, baseline, 9, width, 1.2, syntax[rng.range(0, 4)]);
      pen += width + rng.uniform(4, 14);
      if (rng.unit() < 0.12) break;
    }
  }
}

void photo(Painter& p, const ValueNoise& noise, double x, double y, double w, double h) {
  // Sky, hills and a sun, as a small landscape photograph.
  p.rect(x, y, w, h, [&](double px, double py) {
    const double t = (py - y) / h;
    const double n = noise.fractal(px, py, 24, 4);
    Colour sky = Colour::mix({70, 130, 210}, {190, 215, 240}, t / 0.55);
    sky = Colour::mix(sky, {255, 255, 255}, std::max(0.0, n - 0.55) * 2);  // clouds
    const Colour grass = Colour::mix({70, 140, 50}, {30, 80, 30}, (t - 0.5) * 2 + (n - 0.5) * 0.8);
    // The hills' outline, anti-aliased over one pixel.
    const double outline = y + h * (0.55 + 0.24 * (noise.fractal(px, 0, 40, 3) - 0.5));
    return Colour::mix(sky, grass, py - outline + 0.5);
  });
  p.disc(x + w * 0.78, y + h * 0.22, h * 0.11, Colour{255, 230, 120});
  for (int i = 0; i < 6; ++i) {
    const double tx = x + w * (0.08 + 0.11 * i), base = y + h * (0.78 + 0.03 * (i % 3));
    p.polygon({{tx, base - h * 0.28}, {tx - 9, base}, {tx + 9, base}}, Colour{25, 70 + 8.0 * i, 35});
  }
}

void chart(Painter& p, Prng& rng, double x, double y, double w, double h) {
  p.rect(x, y, w, h, Colour{255, 255, 255});
  for (double gy = y + 8; gy < y + h; gy += 14) p.line(x + 4, gy, x + w - 4, gy, 1, Colour{215, 220, 228});
  const Colour bars[3] = {{66, 133, 244}, {234, 67, 53}, {251, 188, 5}};
  const int groups = 7;
  const double gw = (w - 16) / groups;
  double prev = 0;
  for (int g = 0; g < groups; ++g) {
    for (int b = 0; b < 3; ++b) {
      const double bh = rng.uniform(0.15, 0.85) * (h - 16);
      p.rect(x + 8 + g * gw + b * gw / 4, y + h - 6 - bh, gw / 4 - 1, bh, bars[b]);
    }
    const double v = y + 10 + rng.uniform(0, h - 30);
    if (g > 0) p.line(x + 8 + (g - 0.5) * gw, prev, x + 8 + (g + 0.5) * gw, v, 2, Colour{20, 150, 110});
    p.disc(x + 8 + (g + 0.5) * gw, v, 2.6, Colour{20, 120, 90});
    prev = v;
  }
}

void table(Painter& p, Prng& rng, double x, double y, double w, double rows) {
  for (int r = 0; r < rows; ++r) {
    const double top = y + r * 16;
    p.rect(x, top, w, 16, r % 2 ? Colour{244, 246, 250} : Colour{232, 236, 244});
    p.disc(x + 9, top + 8, 4, Colour{rng.uniform(40, 220), rng.uniform(40, 220), rng.uniform(40, 220)});
    PseudoText::line(p, rng, x + 18, top + 12, 8, w * 0.5, 1.1, Colour{50, 54, 64});
    PseudoText::line(p, rng, x + w * 0.68, top + 12, 8, w * 0.3, 1.1, Colour{90, 96, 110});
  }
}

}  // namespace

Picture paintBasicScene(int width, int height, uint64_t seed) {
  Picture picture(width, height, {0, 0, 0, 255});
  Painter p(picture);
  Prng rng(seed);
  const ValueNoise noise(seed ^ 0x5EEDull);

  // Wallpaper: soft swirls of teal and violet with fine texture.
  p.rect(0, 0, width, height, [&](double x, double y) {
    const double n = noise.fractal(x, y, 90, 5, 0.55);
    const double fine = noise.fractal(x + 500, y, 6, 2);
    Colour c = Colour::mix({20, 90, 110}, {120, 60, 150}, n * 1.4 - 0.2 + x / width * 0.3);
    return Colour::mix(c, {250, 220, 180}, std::max(0.0, std::sin(x * 0.02 + n * 9) - 0.8) * 2)
        .scaled(0.85 + 0.3 * fine);
  });
  for (int i = 0; i < 14; ++i)  // desktop icons
    p.roundedRect(12, 12 + i * 34, 26, 26, 5, Colour{rng.uniform(60, 250), rng.uniform(60, 250), rng.uniform(60, 250)});

  editor(p, rng, 54, 28, 352, 318);

  const double wx = 328, wy = 150, ww = 296, wh = 292;
  windowFrame(p, rng, wx, wy, ww, wh);
  photo(p, noise, wx + 8, wy + 32, 150, 110);
  chart(p, rng, wx + 166, wy + 32, 122, 110);
  p.rect(wx + 8, wy + 150, ww - 16, 1, Colour{190, 195, 205});
  table(p, rng, wx + 8, wy + 156, ww - 16, 8);

  // Task bar with a clock.
  p.rect(0, height - 30, width, 30, Painter::linear(0, height - 30, {50, 56, 70}, 0, height, {24, 26, 34}));
  for (int i = 0; i < 9; ++i)
    p.roundedRect(44 + i * 34, height - 25, 22, 20, 4,
                  Colour{rng.uniform(80, 255), rng.uniform(80, 255), rng.uniform(80, 255)});
  PseudoText::line(p, rng, width - 70, height - 10, 10, 60, 1.3, Colour{235, 235, 240});

  // Grain: every pixel moves by a few levels.
  for (Rgba& px : picture.pixels) {
    const int g = rng.range(-4, 4);
    px.r = static_cast<uint8_t>(std::clamp(px.r + g, 0, 255));
    px.g = static_cast<uint8_t>(std::clamp(px.g + g, 0, 255));
    px.b = static_cast<uint8_t>(std::clamp(px.b + g, 0, 255));
  }
  return picture;
}
