#include "Painter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

double segmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double len2 = dx * dx + dy * dy;
  const double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0.0;
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

}  // namespace

void Painter::fill(double x0, double y0, double x1, double y1, const Distance& distance, const Shader& shader) {
  const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
  const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
  const int ix1 = std::min(picture_.width, static_cast<int>(std::ceil(x1)));
  const int iy1 = std::min(picture_.height, static_cast<int>(std::ceil(y1)));
  for (int y = iy0; y < iy1; ++y) {
    for (int x = ix0; x < ix1; ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      const double coverage = std::clamp(0.5 - distance(cx, cy), 0.0, 1.0);
      if (coverage > 0) blend(x, y, shader(cx, cy), coverage);
    }
  }
}

void Painter::blend(int x, int y, Colour c, double coverage) {
  Rgba& dst = picture_.at(x, y);
  const double sa = std::clamp(c.a * coverage, 0.0, 1.0);
  const double da = dst.a / 255.0;
  const double oa = sa + da * (1 - sa);
  if (oa <= 0) return;
  const auto channel = [&](double s, uint8_t d) { return (s * sa + d * da * (1 - sa)) / oa; };
  dst = {toByte(channel(c.r, dst.r)), toByte(channel(c.g, dst.g)), toByte(channel(c.b, dst.b)), toByte(oa * 255)};
}

void Painter::rect(double x, double y, double w, double h, const Shader& shader) {
  fill(
      x, y, x + w, y + h,
      [=](double px, double py) { return std::max(std::max(x - px, px - (x + w)), std::max(y - py, py - (y + h))); },
      shader);
}

void Painter::rect(double x, double y, double w, double h, Colour c) { rect(x, y, w, h, solid(c)); }

void Painter::roundedRect(double x, double y, double w, double h, double radius, const Shader& shader) {
  const double cx = x + w / 2, cy = y + h / 2, hx = w / 2 - radius, hy = h / 2 - radius;
  fill(
      x - 1, y - 1, x + w + 1, y + h + 1,
      [=](double px, double py) {
        const double qx = std::abs(px - cx) - hx, qy = std::abs(py - cy) - hy;
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
      },
      shader);
}

void Painter::roundedRect(double x, double y, double w, double h, double radius, Colour c) {
  roundedRect(x, y, w, h, radius, solid(c));
}

void Painter::disc(double cx, double cy, double radius, const Shader& shader) {
  fill(
      cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1,
      [=](double px, double py) { return std::hypot(px - cx, py - cy) - radius; }, shader);
}

void Painter::disc(double cx, double cy, double radius, Colour c) { disc(cx, cy, radius, solid(c)); }

void Painter::ring(double cx, double cy, double radius, double thickness, Colour c) {
  const double outer = radius + thickness / 2 + 1;
  fill(
      cx - outer, cy - outer, cx + outer, cy + outer,
      [=](double px, double py) { return std::abs(std::hypot(px - cx, py - cy) - radius) - thickness / 2; }, solid(c));
}

void Painter::line(double x0, double y0, double x1, double y1, double thickness, Colour c) {
  const double pad = thickness / 2 + 1;
  fill(
      std::min(x0, x1) - pad, std::min(y0, y1) - pad, std::max(x0, x1) + pad, std::max(y0, y1) + pad,
      [=](double px, double py) { return segmentDistance(px, py, x0, y0, x1, y1) - thickness / 2; }, solid(c));
}

void Painter::polygon(const std::vector<std::pair<double, double>>& points, const Shader& shader) {
  double x0 = std::numeric_limits<double>::max(), y0 = x0, x1 = -x0, y1 = -x0;
  for (const auto& [px, py] : points) {
    x0 = std::min(x0, px), y0 = std::min(y0, py), x1 = std::max(x1, px), y1 = std::max(y1, py);
  }
  fill(
      x0 - 1, y0 - 1, x1 + 1, y1 + 1,
      [&points](double px, double py) {
        // Distance to the outline, negative inside (even-odd rule).
        double best = std::numeric_limits<double>::max();
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
          const auto [xi, yi] = points[i];
          const auto [xj, yj] = points[j];
          best = std::min(best, segmentDistance(px, py, xi, yi, xj, yj));
          if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? -best : best;
      },
      shader);
}

void Painter::polygon(const std::vector<std::pair<double, double>>& points, Colour c) { polygon(points, solid(c)); }

Painter::Shader Painter::solid(Colour c) {
  return [c](double, double) { return c; };
}

Painter::Shader Painter::linear(double x0, double y0, Colour c0, double x1, double y1, Colour c1) {
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  return [=](double px, double py) {
    const double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0;
    return Colour::mix(c0, c1, t);
  };
}
