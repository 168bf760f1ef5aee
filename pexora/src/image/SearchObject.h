// One search object: the processed picture and, built when a search needs
// them, its channel planes in either colour model.
#pragma once

#include <memory>
#include <mutex>

#include "core/Image.h"
#include "image/ChannelPlanes.h"
#include "image/PlaneCache.h"

namespace pexora {

class SearchObject {
 public:
  explicit SearchObject(Image picture) : picture_(std::move(picture)) {}
  ~SearchObject();
  SearchObject(const SearchObject&) = delete;
  SearchObject& operator=(const SearchObject&) = delete;

  const Image& picture() const { return picture_; }

  // The planes in one colour model: the ones that a running search or the
  // cache still holds, or new ones, offered to the cache. They live as long
  // as someone holds them. Safe to call from several threads at once; they
  // are built once for all the calls that wait for them; a building that
  // `stop` ends leaves nothing behind (the next call builds them).
  std::shared_ptr<const ChannelPlanes> Planes(ColorModel model, PlaneCache& cache = PlaneCache::Instance(),
                                              const StopToken& stop = StopToken::Never()) const;

  // The bytes that Planes would allocate for this picture if nobody holds
  // planes of this model now; 0 if someone does.
  size_t NewPlaneBytes(ColorModel model) const;

 private:
  struct Slot {
    std::mutex mutex;
    std::weak_ptr<const ChannelPlanes> planes;
    PlaneCache* cache = nullptr;
  };
  Slot& SlotOf(ColorModel model) const { return model == ColorModel::kArgb ? argb_ : ahsl_; }

  Image picture_;
  mutable Slot argb_;
  mutable Slot ahsl_;
};

}  // namespace pexora
