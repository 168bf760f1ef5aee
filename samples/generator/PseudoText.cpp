#include "PseudoText.h"

#include <array>

namespace {

struct Stroke {
  double x0, y0, x1, y1;  // in a glyph box of 1 x 1, y downwards
};

// The strokes of a seven-segment box with its diagonals and a few hooks.
constexpr std::array<Stroke, 13> kStrokes{{
    {0, 0, 1, 0},
    {0, 0.5, 1, 0.5},
    {0, 1, 1, 1},  // bars
    {0, 0, 0, 0.5},
    {0, 0.5, 0, 1},
    {1, 0, 1, 0.5},
    {1, 0.5, 1, 1},  // sides
    {0, 0, 1, 1},
    {1, 0, 0, 1},
    {0.5, 0, 0.5, 1},  // diagonals, stem
    {0, 1, 0.5, 0.5},
    {0.5, 0.5, 1, 1},
    {0, 0.25, 0.5, 0},  // hooks
}};

}  // namespace

void PseudoText::line(Painter& painter, Prng& rng, double x, double baseline, double height, double maxWidth,
                      double thickness, Colour colour) {
  const double glyphWidth = 0.55 * height, advance = 0.8 * height;
  const double end = x + maxWidth;
  double pen = x;
  while (true) {
    const int letters = rng.range(2, 8);
    if (pen + letters * advance > end) break;
    for (int i = 0; i < letters; ++i) {
      // Some glyphs are small letters (half height), some tall.
      const bool tall = rng.unit() < 0.3;
      const double top = baseline - (tall ? height : height * 0.6);
      const double h = baseline - top;
      const int strokes = rng.range(2, 4);
      for (int s = 0; s < strokes; ++s) {
        const Stroke& k = kStrokes[rng.range(0, static_cast<int>(kStrokes.size()) - 1)];
        painter.line(pen + k.x0 * glyphWidth, top + k.y0 * h, pen + k.x1 * glyphWidth, top + k.y1 * h, thickness,
                     colour);
      }
      pen += advance;
    }
    pen += advance * 0.9;  // the space between words
  }
}
