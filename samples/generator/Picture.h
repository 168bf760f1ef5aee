#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

// An 8-bit RGBA picture, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;

  Picture() = default;
  Picture(int w, int h, Rgba fill = {}) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  Rgba& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgba& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

  Picture crop(int x, int y, int w, int h) const {
    Picture out(w, h);
    for (int row = 0; row < h; ++row)
      for (int col = 0; col < w; ++col) out.at(col, row) = at(x + col, y + row);
    return out;
  }
};
