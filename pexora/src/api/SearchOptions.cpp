#include "api/SearchOptions.h"

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

void ApplySearchOptions(const TPXSearchOptions* options, TPXDimensions searched, CompareSettings& settings) {
  if (options == nullptr) return;
  // The size comes first and decides how much of the record there is.
  uint32_t size = 0;
  std::memcpy(&size, options, sizeof size);
  if (size != sizeof(TPXSearchOptions)) Refuse();
  const TPXSearchOptions o = *options;
  if (o.UseRegion != 0) {
    if (!Inside(o.Region, searched)) Refuse();
    settings.region = o.Region;
  }
  if (!(o.MinimalMatchPercentage >= 0.0 && o.MinimalMatchPercentage <= 100.0)) Refuse();
  settings.minimalPercentage = o.MinimalMatchPercentage;
  if (o.MaximalMatchCount < 0) Refuse();
  settings.maximalCount = o.MaximalMatchCount;
}

}  // namespace pexora
