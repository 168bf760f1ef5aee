#include "ValueNoise.h"

#include <cmath>

double ValueNoise::lattice(int64_t ix, int64_t iy) const {
  uint64_t h =
      seed_ ^ (static_cast<uint64_t>(ix) * 0x9E3779B97F4A7C15ull) ^ (static_cast<uint64_t>(iy) * 0xC2B2AE3D27D4EB4Full);
  h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
  h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
  h ^= h >> 31;
  return static_cast<double>(h >> 11) * 0x1.0p-53;
}

double ValueNoise::at(double x, double y) const {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
  const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double tx = smooth(x - fx), ty = smooth(y - fy);
  const double top = lattice(ix, iy) + (lattice(ix + 1, iy) - lattice(ix, iy)) * tx;
  const double bottom = lattice(ix, iy + 1) + (lattice(ix + 1, iy + 1) - lattice(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

double ValueNoise::fractal(double x, double y, double scale, int octaves, double gain) const {
  double sum = 0, weight = 1, total = 0, frequency = 1 / scale;
  for (int i = 0; i < octaves; ++i) {
    // Each octave is shifted so that lattice points of the octaves do not line up.
    sum += weight * at(x * frequency + 17.3 * i, y * frequency - 31.7 * i);
    total += weight;
    weight *= gain;
    frequency *= 2;
  }
  return sum / total;
}
