#include "api/SearchOptions.h"

#include <cstddef>
#include <cstring>

#include "core/StatusError.h"

namespace pexora {

namespace {

[[noreturn]] void Refuse() { throw StatusError(PX_ERROR_INVALID_PARAMETER); }

bool Inside(const TPXRect& r, TPXDimensions picture) {
  return r.Width >= 1 && r.Height >= 1 && r.X >= 0 && r.Y >= 0 && int64_t{r.X} + r.Width <= picture.Width &&
         int64_t{r.Y} + r.Height <= picture.Height;
}

}  // namespace

StopOptions ApplySearchOptions(const TPXSearchOptions* options, TPXDimensions searched, CompareSettings& settings) {
  if (options == nullptr) return {};
  // The size comes first and decides how much of the record there is; the
  // fields past it count as zero.
  uint32_t size = 0;
  std::memcpy(&size, options, sizeof size);
  if (size != PX_SEARCH_OPTIONS_SIZE_1_0 && size != sizeof(TPXSearchOptions)) Refuse();
  // 1.0's record ends in padding where the time limit now lies.
  TPXSearchOptions o{};
  std::memcpy(&o, options, size == PX_SEARCH_OPTIONS_SIZE_1_0 ? offsetof(TPXSearchOptions, TimeLimit) : size);
  if (o.UseRegion != 0) {
    if (!Inside(o.Region, searched)) Refuse();
    settings.region = o.Region;
  }
  if (!(o.MinimalMatchPercentage >= 0.0 && o.MinimalMatchPercentage <= 100.0)) Refuse();
  settings.minimalPercentage = o.MinimalMatchPercentage;
  if (o.MaximalMatchCount < 0) Refuse();
  settings.maximalCount = o.MaximalMatchCount;
  if (o.TimeLimit < 0) Refuse();
  return {o.TimeLimit, o.InterruptCallback, o.InterruptUser};
}

}  // namespace pexora
