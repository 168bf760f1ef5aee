#include "image/SearchObject.h"

namespace pexora {

SearchObject::~SearchObject() {
  for (Slot* slot : {&argb_, &ahsl_}) {
    if (const auto planes = slot->planes.lock(); planes && slot->cache != nullptr) slot->cache->Forget(planes.get());
  }
}

std::shared_ptr<const ChannelPlanes> SearchObject::Planes(ColorModel model, PlaneCache& cache,
                                                          const StopToken& stop) const {
  Slot& slot = SlotOf(model);
  std::lock_guard lock(slot.mutex);
  std::shared_ptr<const ChannelPlanes> planes = slot.planes.lock();
  if (!planes) {
    planes = std::make_shared<const ChannelPlanes>(MakeChannelPlanes(picture_, model, stop));
    slot.planes = planes;
    slot.cache = &cache;
  } else {
    planes->runBounds->searchedAgain = true;
  }
  cache.Keep(planes);
  return planes;
}

size_t SearchObject::NewPlaneBytes(ColorModel model) const {
  Slot& slot = SlotOf(model);
  {
    std::lock_guard lock(slot.mutex);
    if (!slot.planes.expired()) return 0;
  }
  return PlaneBytesFor(picture_.width, picture_.height, model);
}

}  // namespace pexora
