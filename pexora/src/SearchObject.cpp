#include "SearchObject.h"

namespace pexora {

const ChannelPlanes& SearchObject::Planes(ColorModel model) const {
  if (model == ColorModel::kArgb) {
    std::call_once(argbOnce_, [this] { argb_ = MakeChannelPlanes(picture_, ColorModel::kArgb); });
    return argb_;
  }
  std::call_once(ahslOnce_, [this] { ahsl_ = MakeChannelPlanes(picture_, ColorModel::kAhsl); });
  return ahsl_;
}

}  // namespace pexora
