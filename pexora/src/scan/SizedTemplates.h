// The search-for picture at each of its sizes, prepared when the scan first
// needs a size and let go when the scan is done with it, so that memory
// holds a few sizes at a time whatever the stretch range.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "core/Image.h"
#include "scan/CompareSettings.h"
#include "scan/SearchTemplate.h"

namespace pexora {

class SizedTemplates {
 public:
  // Every size of `target` that the settings compare and that fits into `area`.
  static std::vector<TPXDimensions> SizesFor(const TPXRect& area, const Image& target, const CompareSettings& settings);

  // The sizes (SizesFor, at least one) for a searched picture `planeWidth`
  // pixels wide.
  SizedTemplates(std::vector<TPXDimensions> sizes, int32_t planeWidth, const Image& target,
                 const CompareSettings& settings);

  size_t Count() const { return sizes_.size(); }
  TPXDimensions Size(size_t s) const { return sizes_[s]; }

  // Size s, prepared on the calling thread if nobody holds it; a thread that
  // asks while another prepares it waits for that one.
  std::shared_ptr<const SearchTemplate> Acquire(size_t s);
  // Lets go of size s once its holders are done; a later Acquire prepares it again.
  void Release(size_t s);

 private:
  struct Slot {
    std::mutex mutex;
    std::shared_ptr<const SearchTemplate> made;
  };
  const Image& target_;
  const CompareSettings& settings_;
  int32_t searchedWidth_;
  std::vector<TPXDimensions> sizes_;
  std::vector<Slot> slots_;
};

}  // namespace pexora
