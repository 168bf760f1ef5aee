#include "api/SearchOptions.h"

#include <cassert>
#include <cstddef>
#include <cstring>

namespace pexora {

uint32_t SearchOptionsSize(const TPXSearchOptions* options) {
  uint32_t size = 0;
  std::memcpy(&size, options, sizeof size);
  return size;
}

bool IsKnownSearchOptionsSize(uint32_t size) {
  return size == PX_SEARCH_OPTIONS_SIZE_1_0 || size == sizeof(TPXSearchOptions);
}

TPXSearchOptions ReadSearchOptions(const TPXSearchOptions* options) {
  TPXSearchOptions o{};
  if (options == nullptr) return o;
  const uint32_t size = SearchOptionsSize(options);
  assert(IsKnownSearchOptionsSize(size));
  // 1.0's record ends in padding where the time limit now lies.
  std::memcpy(&o, options, size == PX_SEARCH_OPTIONS_SIZE_1_0 ? offsetof(TPXSearchOptions, TimeLimit) : size);
  return o;
}

bool IsInside(const TPXRect& r, TPXDimensions picture) {
  return r.Width >= 1 && r.Height >= 1 && r.X >= 0 && r.Y >= 0 && int64_t{r.X} + r.Width <= picture.Width &&
         int64_t{r.Y} + r.Height <= picture.Height;
}

StopOptions ApplySearchOptions(const TPXSearchOptions& o, CompareSettings& settings) {
  assert(o.MinimalMatchPercentage >= 0.0 && o.MinimalMatchPercentage <= 100.0);
  assert(o.MaximalMatchCount >= 0 && o.TimeLimit >= 0);
  if (o.UseRegion != 0) settings.region = o.Region;
  settings.minimalPercentage = o.MinimalMatchPercentage;
  settings.maximalCount = o.MaximalMatchCount;
  return {o.TimeLimit, o.InterruptCallback, o.InterruptUser};
}

}  // namespace pexora
