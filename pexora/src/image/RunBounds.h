// The least and greatest value of each channel over horizontal runs of
// neighbouring pixels, laid out so that one vector load reads the bounds of
// runs that lie side by side.
//
// For a run width W (a power of two), row y and phase f (0..W-1), element j
// holds the bounds of the pixels x = f + j * W .. f + j * W + W - 1 of row y,
// cut at the row's end. The runs of one phase of one row lie next to each
// other (`stride` apart from the next phase), so that lanes k of a load at
// Index(x, y), x a multiple of W, hold the runs that start at x + k * W. The
// ARGB model keeps 8-bit bounds (like ChannelPlanes::narrow), the AHSL model
// 16-bit ones and none for the hue. Every plane has kPlanePadding spare
// elements at its end.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/StopToken.h"

namespace pexora {

struct ChannelPlanes;

// The run widths, widest first: a search tries to reject a row's positions
// in blocks of each width in turn before it tests them one by one. On the
// benchmark's photographs and screenshot one width of 32 was fastest: 16 or
// 64 alone were slower, and a second width after the first (8 after 32, 32
// after 64, 4 after 16) cost more than it saved.
inline constexpr std::array<int32_t, 1> kRunWidths = {32};

// The runs of one phase in a row of `width` pixels.
inline size_t RunStride(int32_t width, int32_t runWidth) {
  return static_cast<size_t>((width + runWidth - 1) / runWidth);
}

struct RunBounds {
  int32_t runWidth = 0;
  size_t stride = 0;
  // ARGB only: the bounds of the four channels.
  std::array<std::vector<uint8_t>, 4> narrowLow, narrowHigh;
  // AHSL only: the bounds of alpha (0), chroma (2) and lightness (3).
  std::array<std::vector<uint16_t>, 4> low, high;

  // The element of the run that starts at x (a multiple of runWidth) in row y.
  size_t Index(int32_t x, int32_t y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(runWidth) * stride + static_cast<size_t>(x / runWidth);
  }
};

// The offset from Index(x, y) to the run that starts at x + dx in row y + dy,
// for x a multiple of runWidth.
inline int64_t RunOffset(int32_t dx, int32_t dy, int32_t runWidth, size_t stride) {
  return (int64_t{dy} * runWidth + dx % runWidth) * static_cast<int64_t>(stride) + dx / runWidth;
}

// The bounds of the planes' channels over runs of runWidth pixels. Checks
// `stop` every few hundred microseconds.
RunBounds MakeRunBounds(const ChannelPlanes& planes, bool narrow, int32_t runWidth,
                        const StopToken& stop = StopToken::Never());

// The memory that MakeRunBounds takes for a picture of width x height pixels.
size_t RunBoundBytesFor(int32_t width, int32_t height, bool narrow, int32_t runWidth);

}  // namespace pexora
