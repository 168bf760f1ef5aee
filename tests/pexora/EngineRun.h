// Runs the engine and the reference on pictures in memory, outcome for outcome.
#pragma once

#include <vector>

#include "ReferenceSearch.h"
#include "api/CompareArguments.h"
#include "core/Match.h"
#include "core/StatusError.h"
#include "engine/SearchEngine.h"
#include "scan/CompareSettings.h"

namespace pexora::test {

// Sets the ARGB tolerances (A, R, G, B) and the AHSL ones (A, H, S, L).
inline void SetTolerances(TPXProcessParameters& p, const uint8_t (&argb)[4], const double (&ahsl)[4]) {
  p.ARGBATolerance = argb[0];
  p.ARGBRTolerance = argb[1];
  p.ARGBGTolerance = argb[2];
  p.ARGBBTolerance = argb[3];
  p.AHSLATolerance = ahsl[0];
  p.AHSLHTolerance = ahsl[1];
  p.AHSLSTolerance = ahsl[2];
  p.AHSLLTolerance = ahsl[3];
}

inline reference::Outcome RunEngine(const Image& searched, const Image& target, const TPXProcessParameters& p,
                                    unsigned threads, std::vector<double>* progress = nullptr,
                                    const TPXSearchOptions* options = nullptr,
                                    int64_t candidateBytes = kMaxCandidateBytes) {
  reference::Outcome outcome;
  try {
    const SearchObject in(searched), of(target);
    const TPXResult result{};
    const CompareSettings settings = CheckCompareArguments(&in, &of, p, options, &result).settings;
    outcome.matches = Search(
        in, of, settings, threads,
        [progress](double value) {
          if (progress != nullptr) progress->push_back(value);
        },
        PlaneCache::Instance(), candidateBytes);
  } catch (const StatusError& error) {
    outcome.code = error.code();
  }
  return outcome;
}

}  // namespace pexora::test
