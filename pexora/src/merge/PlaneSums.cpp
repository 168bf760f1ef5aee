#include "merge/PlaneSums.h"

#include <vector>

#include "core/Limits.h"
#include "core/SharedLoop.h"

namespace pexora {

PlaneSums::PlaneSums(const ChannelPlanes& planes, ColorModel model, int firstChannel, const StopToken& stop,
                     unsigned threads)
    : width_(planes.width) {
  std::vector<int> channels;
  for (int c = firstChannel; c < 4; ++c) {
    if (!(model == ColorModel::kAhsl && c == 1)) channels.push_back(c);
  }
  const size_t stride = static_cast<size_t>(planes.width) + 1;
  const auto sum = [&](size_t k) {
    const int c = channels[k];
    std::vector<uint32_t>& s = sums_[static_cast<size_t>(c)];
    s.assign(stride * (static_cast<size_t>(planes.height) + 1), 0);
    const uint16_t* values = planes.channel[static_cast<size_t>(c)].data();
    for (int32_t y = 0; y < planes.height; ++y) {
      stop.Check();
      uint32_t row = 0;
      const size_t above = static_cast<size_t>(y) * stride, here = above + stride;
      for (int32_t x = 0; x < planes.width; ++x) {
        row += values[planes.Index(x, y)];
        s[here + static_cast<size_t>(x) + 1] = s[above + static_cast<size_t>(x) + 1] + row;
      }
    }
  };
  // Reports nothing: a comparison's worker threads may make them too.
  RunShared(channels.size(), threads, sum, [] {});
}

int64_t PlaneSums::Bytes(int64_t width, int64_t height, int channels) {
  return int64_t{sizeof(uint32_t)} * (width + 1) * (height + 1) * channels;
}

std::unique_ptr<PlaneSums> BoxSumsWithin(const ChannelPlanes& planes, const CompareSettings& settings,
                                         unsigned threads) {
  const int firstChannel = settings.alphaMask ? 1 : 0;
  if (PlaneSums::Bytes(planes.width, planes.height, 4 - firstChannel) > kMaxBoxSumBytes) return nullptr;
  return std::make_unique<PlaneSums>(planes, settings.model, firstChannel, *settings.stop, threads);
}

}  // namespace pexora
