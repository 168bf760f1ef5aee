#include "api/CompareArguments.h"

#include "core/StatusError.h"
#include "image/Resample.h"

namespace pexora {

namespace {

void Require(bool holds, int32_t code) {
  if (!holds) throw StatusError(code);
}

}  // namespace

CompareArguments CheckCompareArguments(const SearchObject* searched, const SearchObject* target,
                                       const TPXProcessParameters& parameters, const TPXSearchOptions* options,
                                       const TPXResult* result) {
  Require(searched != nullptr && target != nullptr, PX_ERROR_OBJECT);
  Require(IsKnownCompareType(parameters.CompareType), PX_ERROR_NOT_AVAILABLE);
  Require(parameters.StretchCompare == 0 || IsKnownResampler(parameters.StretchResampler), PX_ERROR_NOT_AVAILABLE);
  Require(options == nullptr || IsKnownSearchOptionsSize(SearchOptionsSize(options)), PX_ERROR_INVALID_PARAMETER);
  const TPXSearchOptions o = ReadSearchOptions(options);
  const TPXDimensions picture{searched->picture().width, searched->picture().height};
  Require(o.UseRegion == 0 || IsInside(o.Region, picture), PX_ERROR_INVALID_PARAMETER);
  Require(o.MinimalMatchPercentage >= 0.0 && o.MinimalMatchPercentage <= 100.0, PX_ERROR_INVALID_PARAMETER);
  Require(o.MaximalMatchCount >= 0, PX_ERROR_INVALID_PARAMETER);
  Require(o.TimeLimit >= 0, PX_ERROR_INVALID_PARAMETER);
  Require(result != nullptr, PX_ERROR_UNKNOWN);
  CompareArguments checked{MakeCompareSettings(parameters), {}};
  checked.stopping = ApplySearchOptions(o, checked.settings);
  return checked;
}

}  // namespace pexora
