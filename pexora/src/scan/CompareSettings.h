// The process parameters of one comparison, brought to the fixed-point form
// the search works in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/StopToken.h"
#include "image/ChannelPlanes.h"
#include "pexora/pexora.h"

namespace pexora {

struct CompareSettings {
  ColorModel model = ColorModel::kArgb;
  // The search-for picture's alpha is a mask (the ..._ALPHA types).
  bool alphaMask = false;
  // Per channel (A, R, G, B, or A, H, S, L), in the units of ChannelPlanes:
  // how far a searched pixel's channel may lie from what the search-for pixel
  // accepts at tolerance 0 (for H: the weighted hue distance, for S: the
  // chroma).
  std::array<uint32_t, 4> tolerance{};
  int32_t differenceTolerance = 0;
  bool stretch = false;
  TPXDimensions minimalStretch{};
  TPXDimensions maximalStretch{};
  int32_t stretchResampler = 0;
  bool multipleMatches = false;
  // Only positions whose whole area lies inside this part of the searched
  // picture; none: the whole picture.
  std::optional<TPXRect> region;
  // A position matches only when its match percentage is at least this.
  double minimalPercentage = 0;
  // At most this many matches, the best ones; 0: no limit.
  int32_t maximalCount = 0;
  // What ends the comparison early; it outlives the comparison.
  const StopToken* stop = &StopToken::Never();
};

// One of the PX_COMPARE_TYPE_... values.
bool IsKnownCompareType(int32_t compareType);

// The settings of `parameters`, whose CompareType is known, as is their
// StretchResampler when StretchCompare is on (the caller checked them:
// CheckCompareArguments).
CompareSettings MakeCompareSettings(const TPXProcessParameters& parameters);

// An AHSL tolerance in 0..1 as a fixed-point threshold: NaN and values below 0
// count as 0, values above 1 as 1; the result is floor(tolerance * scale).
uint32_t FixedTolerance(double tolerance, uint32_t scale);

}  // namespace pexora
