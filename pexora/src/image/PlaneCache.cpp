#include "image/PlaneCache.h"

#include <algorithm>

#include "core/Limits.h"

namespace pexora {

PlaneCache& PlaneCache::Instance() {
  static PlaneCache* const cache = new PlaneCache(static_cast<size_t>(kMaxCachedPlaneBytes));
  return *cache;
}

size_t PlaneBytes(const ChannelPlanes& planes) {
  size_t bytes = 0;
  for (const auto& plane : planes.channel) bytes += plane.capacity() * sizeof(uint16_t);
  for (const auto& plane : planes.narrow) bytes += plane.capacity();
  // The run bounds count whether or not a scan made them yet, so that the
  // planes weigh the same from the cache's Keep to their Forget.
  const bool argb = !planes.narrow[0].empty();
  if (KeepsRunBounds(planes.width, planes.height, argb ? ColorModel::kArgb : ColorModel::kAhsl)) {
    for (const int32_t run : kRunWidths) bytes += RunBoundBytesFor(planes.width, planes.height, argb, run);
  }
  return bytes;
}

size_t PlaneBytesFor(int32_t width, int32_t height, ColorModel model) {
  // Four 16-bit planes, and in ARGB the same four in 8 bits.
  const size_t elements = static_cast<size_t>(int64_t{width} * height) + kPlanePadding;
  size_t bytes = elements * (4 * sizeof(uint16_t) + (model == ColorModel::kArgb ? 4 : 0));
  if (KeepsRunBounds(width, height, model)) {
    for (const int32_t run : kRunWidths) bytes += RunBoundBytesFor(width, height, model == ColorModel::kArgb, run);
  }
  return bytes;
}

void PlaneCache::Keep(const std::shared_ptr<const ChannelPlanes>& planes) {
  const size_t bytes = PlaneBytes(*planes);
  if (bytes > budget_) return;
  // Dropped planes are released outside the lock (the last owner frees them).
  std::list<std::shared_ptr<const ChannelPlanes>> dropped;
  {
    std::lock_guard lock(mutex_);
    const auto found = std::find(kept_.begin(), kept_.end(), planes);
    if (found != kept_.end()) {
      kept_.splice(kept_.begin(), kept_, found);
      return;
    }
    kept_.push_front(planes);
    bytes_ += bytes;
    while (bytes_ > budget_) {
      bytes_ -= PlaneBytes(*kept_.back());
      dropped.splice(dropped.begin(), kept_, std::prev(kept_.end()));
    }
  }
}

void PlaneCache::Forget(const ChannelPlanes* planes) {
  std::list<std::shared_ptr<const ChannelPlanes>> dropped;
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(kept_.begin(), kept_.end(), [planes](const auto& kept) { return kept.get() == planes; });
  if (found == kept_.end()) return;
  bytes_ -= PlaneBytes(**found);
  dropped.splice(dropped.begin(), kept_, found);
}

size_t PlaneCache::Bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace pexora
