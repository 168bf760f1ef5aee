#include "scan/SizedTemplates.h"

#include "core/StatusError.h"
#include "image/Resample.h"
#include "scan/StretchSizes.h"

namespace pexora {

SizedTemplates::SizedTemplates(const TPXRect& area, int32_t planeWidth, const Image& target,
                               const CompareSettings& settings)
    : target_(target), settings_(settings), searchedWidth_(planeWidth) {
  if (settings.stretch) {
    sizes_ = StretchSizes(target.width, target.height, settings.minimalStretch, settings.maximalStretch,
                          {area.Width, area.Height});
  } else if (target.width <= area.Width && target.height <= area.Height) {
    sizes_.push_back({target.width, target.height});
  }
  if (sizes_.empty()) throw StatusError(PX_ERROR_DIMENSIONS);
  slots_ = std::vector<Slot>(sizes_.size());
}

std::shared_ptr<const SearchTemplate> SizedTemplates::Acquire(size_t s) {
  Slot& slot = slots_[s];
  std::lock_guard lock(slot.mutex);
  if (!slot.made) {
    settings_.stop->Check();
    const TPXDimensions size = sizes_[s];
    slot.made = std::make_shared<const SearchTemplate>(
        size.Width == target_.width && size.Height == target_.height
            ? MakeSearchTemplate(target_, settings_, searchedWidth_)
            : MakeSearchTemplate(Resample(target_, size.Width, size.Height, settings_.stretchResampler), settings_,
                                 searchedWidth_));
  }
  return slot.made;
}

void SizedTemplates::Release(size_t s) {
  Slot& slot = slots_[s];
  std::lock_guard lock(slot.mutex);
  slot.made.reset();
}

}  // namespace pexora
