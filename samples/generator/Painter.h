#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "Colour.h"
#include "Picture.h"

// Paints anti-aliased shapes onto a picture with "over" blending. A shape is a
// signed distance in pixels (negative inside); a pixel is covered by
// clamp(0.5 - distance at its centre, 0, 1).
class Painter {
 public:
  using Distance = std::function<double(double x, double y)>;
  using Shader = std::function<Colour(double x, double y)>;

  explicit Painter(Picture& picture) : picture_(picture) {}

  // The general form: every pixel of the box [x0, x1) x [y0, y1) is blended
  // with shader's colour at the pixel centre, weighted by the shape's coverage.
  void fill(double x0, double y0, double x1, double y1, const Distance& distance, const Shader& shader);

  void rect(double x, double y, double w, double h, const Shader& shader);
  void rect(double x, double y, double w, double h, Colour c);
  void roundedRect(double x, double y, double w, double h, double radius, const Shader& shader);
  void roundedRect(double x, double y, double w, double h, double radius, Colour c);
  void disc(double cx, double cy, double radius, const Shader& shader);
  void disc(double cx, double cy, double radius, Colour c);
  void ring(double cx, double cy, double radius, double thickness, Colour c);
  void line(double x0, double y0, double x1, double y1, double thickness, Colour c);
  void polygon(const std::vector<std::pair<double, double>>& points, const Shader& shader);
  void polygon(const std::vector<std::pair<double, double>>& points, Colour c);

  static Shader solid(Colour c);
  static Shader linear(double x0, double y0, Colour c0, double x1, double y1, Colour c1);

 private:
  void blend(int x, int y, Colour c, double coverage);
  Picture& picture_;
};
