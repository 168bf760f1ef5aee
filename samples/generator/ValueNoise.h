#pragma once

#include <cstdint>

// Smooth pseudo-random noise in 0..1 over the plane: random values on an
// integer lattice, interpolated with a smoothstep, summed over octaves.
class ValueNoise {
 public:
  explicit ValueNoise(uint64_t seed) : seed_(seed) {}

  // One octave with lattice spacing 1.
  double at(double x, double y) const;

  // octaves octaves, the first with lattice spacing `scale` pixels, each next
  // one twice as fine and `gain` times as strong; normalised to 0..1.
  double fractal(double x, double y, double scale, int octaves, double gain = 0.5) const;

 private:
  double lattice(int64_t ix, int64_t iy) const;
  uint64_t seed_;
};
