// A picture split into four 16-bit channel planes, the form the search reads.
//
// In the ARGB model the planes hold A, R, G, B (0..255). In the AHSL model they
// hold A (0..255) and the fixed-point hue, chroma and lightness of
// HslColor.h. Every plane has kPlanePadding spare elements at its end, so that
// a vector load that starts inside the picture stays inside the allocation.
// The ARGB model also keeps its planes in 8 bits (narrow). Pictures whose
// run bounds fit kMaxRunBoundBytes also get those, one per width of
// kRunWidths, so that a search can reject blocks of positions at once: made
// by the first scan that asks (RunBoundsOf), since for a fresh picture and a
// small difference tolerance they cost more than they save.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/Image.h"
#include "core/StopToken.h"
#include "image/RunBounds.h"

namespace pexora {

enum class ColorModel { kArgb, kAhsl };

inline constexpr size_t kPlanePadding = 128;

struct ChannelPlanes {
  int32_t width = 0;
  int32_t height = 0;
  std::array<std::vector<uint16_t>, 4> channel;
  // ARGB only: the same four planes in 8 bits, for twice as many lanes.
  std::array<std::vector<uint8_t>, 4> narrow;
  bool opaque = true;  // every alpha is 255
  // The bounds over runs of each width of kRunWidths, in that order, once
  // made; none where the picture keeps none (KeepsRunBounds).
  struct LazyRunBounds {
    std::once_flag made;
    std::atomic<bool> ready{false};
    std::vector<RunBounds> runs;
    // Set once a second comparison takes the planes: bounds made for a
    // picture searched again serve the searches after it.
    std::atomic<bool> searchedAgain{false};
  };
  std::unique_ptr<LazyRunBounds> runBounds = std::make_unique<LazyRunBounds>();

  size_t Index(int32_t x, int32_t y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
};

// True when a picture of width x height pixels keeps run bounds.
bool KeepsRunBounds(int32_t width, int32_t height, ColorModel model);

// Checks `stop` every few hundred microseconds.
ChannelPlanes MakeChannelPlanes(const Image& picture, ColorModel model, const StopToken& stop = StopToken::Never());

// The planes' run bounds, made by the first call (which checks `stop`; one
// that it ends leaves them to the next call) for every caller at once; empty
// where the picture keeps none. Safe from several threads at once.
const std::vector<RunBounds>& RunBoundsOf(const ChannelPlanes& planes, const StopToken& stop = StopToken::Never());
// The run bounds if they are made, else none; never makes them.
const std::vector<RunBounds>& MadeRunBounds(const ChannelPlanes& planes);

}  // namespace pexora
