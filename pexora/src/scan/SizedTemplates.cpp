#include "scan/SizedTemplates.h"

#include <cassert>
#include <utility>

#include "image/Resample.h"
#include "scan/StretchSizes.h"

namespace pexora {

std::vector<TPXDimensions> SizedTemplates::SizesFor(const TPXRect& area, const Image& target,
                                                    const CompareSettings& settings) {
  if (settings.stretch) {
    return StretchSizes(target.width, target.height, settings.minimalStretch, settings.maximalStretch,
                        {area.Width, area.Height});
  }
  if (target.width <= area.Width && target.height <= area.Height) return {{target.width, target.height}};
  return {};
}

SizedTemplates::SizedTemplates(std::vector<TPXDimensions> sizes, int32_t planeWidth, const Image& target,
                               const CompareSettings& settings)
    : target_(target), settings_(settings), searchedWidth_(planeWidth), sizes_(std::move(sizes)) {
  assert(!sizes_.empty());
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
