// One search object: the processed picture and, made on first use, its
// channel planes in either colour model.
#pragma once

#include <mutex>

#include "ChannelPlanes.h"
#include "Image.h"

namespace pexora {

class SearchObject {
 public:
  explicit SearchObject(Image picture) : picture_(std::move(picture)) {}

  const Image& picture() const { return picture_; }

  // Safe to call from several threads at once.
  const ChannelPlanes& Planes(ColorModel model) const;

 private:
  Image picture_;
  mutable std::once_flag argbOnce_;
  mutable std::once_flag ahslOnce_;
  mutable ChannelPlanes argb_;
  mutable ChannelPlanes ahsl_;
};

}  // namespace pexora
