// What pexora-find was asked to do: the command line, checked, and the
// library records made from it.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "DifferenceTolerance.h"
#include "pexora/pexora.h"

namespace pexora::find {

struct FindSettings {
  std::string searchIn;
  std::string searchFor;
  int32_t compareType = PX_COMPARE_TYPE_RELATIVE_ARGB;  // without the alpha variants
  bool alpha = false;
  std::vector<int> argbTolerance{15};             // one for all channels, or A, R, G, B
  std::vector<double> ahslTolerance{0.5};         // one for all channels, or A, H, S, L
  std::optional<DifferenceTolerance> difference;  // empty: the compare type's default
  std::vector<int> stretchMinimal;                // width, height; empty: no stretch
  std::vector<int> stretchMaximal;
  int stretchFilter = PX_RESAMPLER_BILINEAR;
  std::vector<int> resampleIn;  // width, height; empty: as decoded
  std::vector<int> resampleFor;
  int resampleFilter = PX_RESAMPLER_BILINEAR;
  bool allThreads = true;
  std::vector<int> region;  // x, y, width, height; empty: whole picture
  double minimalPercentage = 0;
  int maximalMatches = 0;
  bool json = false;
  double timeout = 0;  // seconds; 0: none

  // What is wrong with a combination of options, or empty.
  std::string Problem() const;

  // --difference, or the compare type's default.
  DifferenceTolerance Difference() const;

  TPXProcessParameters ProcessParameters() const;
  // Without the interrupt callback, which the run sets.
  TPXSearchOptions SearchOptions() const;
  // Resampling at creation for a size given as width, height (or none).
  TPXCreateObjectParameters CreateParameters(const std::vector<int>& resample) const;
};

// Declares every option on `app`, with its default, writing into `settings`.
void DefineOptions(CLI::App& app, FindSettings& settings);

}  // namespace pexora::find
