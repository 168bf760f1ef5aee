#include "image/ChannelPlanes.h"

#include <algorithm>
#include <utility>

#include "core/Limits.h"
#include "image/HslColor.h"

namespace pexora {

namespace {

size_t AllRunBoundBytes(int32_t width, int32_t height, ColorModel model) {
  size_t bytes = 0;
  for (const int32_t run : kRunWidths) bytes += RunBoundBytesFor(width, height, model == ColorModel::kArgb, run);
  return bytes;
}

}  // namespace

bool KeepsRunBounds(int32_t width, int32_t height, ColorModel model) {
  return width > 0 && height > 0 && AllRunBoundBytes(width, height, model) <= size_t{kMaxRunBoundBytes};
}

ChannelPlanes MakeChannelPlanes(const Image& picture, ColorModel model, const StopToken& stop) {
  ChannelPlanes planes;
  planes.width = picture.width;
  planes.height = picture.height;
  const size_t count = picture.pixels.size();
  const bool argbModel = model == ColorModel::kArgb;
  for (auto& plane : planes.channel) plane.reserve(count + kPlanePadding);
  if (argbModel) {
    for (auto& plane : planes.narrow) plane.reserve(count + kPlanePadding);
  }
  // Grown a block at a time, so that the pages of tens of megabytes are
  // touched between two looks for a stop request.
  constexpr size_t kStopInterval = size_t{1} << 16;
  for (size_t begin = 0; begin < count; begin += kStopInterval) {
    stop.Check();
    const size_t end = std::min(count, begin + kStopInterval);
    for (auto& plane : planes.channel) plane.resize(end);
    if (argbModel) {
      for (auto& plane : planes.narrow) plane.resize(end);
    }
    for (size_t i = begin; i < end; ++i) {
      const uint32_t argb = picture.pixels[i];
      planes.channel[0][i] = static_cast<uint16_t>(AlphaOf(argb));
      planes.opaque = planes.opaque && AlphaOf(argb) == 255;
      if (argbModel) {
        planes.channel[1][i] = static_cast<uint16_t>(RedOf(argb));
        planes.channel[2][i] = static_cast<uint16_t>(GreenOf(argb));
        planes.channel[3][i] = static_cast<uint16_t>(BlueOf(argb));
        for (int c = 0; c < 4; ++c) planes.narrow[c][i] = static_cast<uint8_t>(planes.channel[c][i]);
      } else {
        const Hsl16 hsl = ToHsl16(argb);
        planes.channel[1][i] = hsl.hue;
        planes.channel[2][i] = hsl.chroma;
        planes.channel[3][i] = hsl.lightness;
      }
    }
  }
  for (auto& plane : planes.channel) plane.resize(count + kPlanePadding, 0);
  if (argbModel) {
    for (auto& plane : planes.narrow) plane.resize(count + kPlanePadding, 0);
  }
  return planes;
}

const std::vector<RunBounds>& RunBoundsOf(const ChannelPlanes& planes, const StopToken& stop) {
  ChannelPlanes::LazyRunBounds& lazy = *planes.runBounds;
  std::call_once(lazy.made, [&] {
    const bool argb = !planes.narrow[0].empty();
    if (!KeepsRunBounds(planes.width, planes.height, argb ? ColorModel::kArgb : ColorModel::kAhsl)) return;
    std::vector<RunBounds> runs;
    for (const int32_t run : kRunWidths) runs.push_back(MakeRunBounds(planes, argb, run, stop));
    lazy.runs = std::move(runs);
    lazy.ready = true;
  });
  return lazy.runs;
}

const std::vector<RunBounds>& MadeRunBounds(const ChannelPlanes& planes) {
  static const std::vector<RunBounds> none;
  return planes.runBounds->ready.load() ? planes.runBounds->runs : none;
}

}  // namespace pexora
