// Channel planes that no search holds any more, kept for the next search of
// the same object within a fixed total (least recently used dropped first).
// Planes larger than the whole budget are never kept: they are built for a
// search and released when the last search that uses them ends.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>

#include "image/ChannelPlanes.h"

namespace pexora {

class PlaneCache {
 public:
  explicit PlaneCache(size_t budgetBytes) : budget_(budgetBytes) {}

  // The cache of the process (kMaxCachedPlaneBytes); it outlives static
  // destruction, like the object registry.
  static PlaneCache& Instance();

  // Keeps the planes, or marks them most recently used; drops the least
  // recently used ones beyond the budget.
  void Keep(const std::shared_ptr<const ChannelPlanes>& planes);
  // Drops the planes if they are kept (their object is gone).
  void Forget(const ChannelPlanes* planes);

  size_t Bytes() const;

 private:
  mutable std::mutex mutex_;
  const size_t budget_;
  size_t bytes_ = 0;
  std::list<std::shared_ptr<const ChannelPlanes>> kept_;  // most recently used first
};

// The memory the planes hold.
size_t PlaneBytes(const ChannelPlanes& planes);

// The memory that MakeChannelPlanes takes for a picture of width x height
// pixels (a test holds the two together).
size_t PlaneBytesFor(int32_t width, int32_t height, ColorModel model);

}  // namespace pexora
