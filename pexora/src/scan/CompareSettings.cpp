#include "scan/CompareSettings.h"

#include <cassert>
#include <cmath>

#include "image/Resample.h"

namespace pexora {

uint32_t FixedTolerance(double tolerance, uint32_t scale) {
  if (!(tolerance > 0.0)) return 0;
  if (tolerance >= 1.0) return scale;
  return static_cast<uint32_t>(std::floor(tolerance * scale));
}

bool IsKnownCompareType(int32_t compareType) {
  switch (compareType) {
    case PX_COMPARE_TYPE_EXACT:
    case PX_COMPARE_TYPE_RELATIVE_ARGB:
    case PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA:
    case PX_COMPARE_TYPE_RELATIVE_AHSL:
    case PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA: return true;
    default: return false;
  }
}

CompareSettings MakeCompareSettings(const TPXProcessParameters& p) {
  assert(IsKnownCompareType(p.CompareType));
  assert(p.StretchCompare == 0 || IsKnownResampler(p.StretchResampler));
  CompareSettings s;  // PX_COMPARE_TYPE_EXACT: every tolerance 0
  switch (p.CompareType) {
    case PX_COMPARE_TYPE_RELATIVE_ARGB:
    case PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA:
      s.tolerance = {p.ARGBATolerance, p.ARGBRTolerance, p.ARGBGTolerance, p.ARGBBTolerance};
      break;
    case PX_COMPARE_TYPE_RELATIVE_AHSL:
    case PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA:
      s.model = ColorModel::kAhsl;
      s.tolerance = {FixedTolerance(p.AHSLATolerance, 255), FixedTolerance(p.AHSLHTolerance, 65535),
                     FixedTolerance(p.AHSLSTolerance, 65535), FixedTolerance(p.AHSLLTolerance, 65535)};
      break;
    default: break;
  }
  s.alphaMask =
      p.CompareType == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA || p.CompareType == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  s.differenceTolerance = p.DifferenceTolerance;
  s.stretch = p.StretchCompare != 0;
  s.minimalStretch = p.MinimalStretchSize;
  s.maximalStretch = p.MaximalStretchSize;
  s.stretchResampler = p.StretchResampler;
  s.multipleMatches = p.MultipleMatches != 0;
  return s;
}

}  // namespace pexora
