#include "scan/StretchSizes.h"

#include <algorithm>

namespace pexora {

std::vector<TPXDimensions> StretchSizes(int32_t width, int32_t height, TPXDimensions minimal, TPXDimensions maximal,
                                        TPXDimensions limit) {
  std::vector<TPXDimensions> sizes;
  if (width < 1 || height < 1) return sizes;
  const int64_t minWidth = std::max(1, minimal.Width), minHeight = std::max(1, minimal.Height);
  const int64_t maxWidth = std::min(maximal.Width, limit.Width);
  const int64_t maxHeight = std::min(maximal.Height, limit.Height);
  const bool landscape = width >= height;
  const int64_t longSide = landscape ? width : height, shortSide = landscape ? height : width;
  const int64_t longest = landscape ? maxWidth : maxHeight;
  for (int64_t l = 1; l <= longest; ++l) {
    const int64_t s = std::max<int64_t>(1, (2 * l * shortSide + longSide) / (2 * longSide));
    const int64_t w = landscape ? l : s, h = landscape ? s : l;
    if (w >= minWidth && w <= maxWidth && h >= minHeight && h <= maxHeight) {
      sizes.push_back({static_cast<int32_t>(w), static_cast<int32_t>(h)});
    }
  }
  return sizes;
}

}  // namespace pexora
