// Shared helpers for the tests that call libpexora.so through its exports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CreatedObject.h"
#include "TestPictures.h"
#include "pexora/pexora.h"

namespace pexora::test {

// An object created from pixels in memory, freed with this.
struct PixelObject {
  TPXObject record{};
  int32_t code = -1;

  explicit PixelObject(const Image& picture, TPXCreateObjectParameters parameters = {}) {
    code = Pexora_CreateObjectFromPixels(&record, picture.width, picture.height, 4 * picture.width,
                                         picture.pixels.data(), parameters);
  }
  PixelObject(const PixelObject&) = delete;
  PixelObject& operator=(const PixelObject&) = delete;
  ~PixelObject() {
    if (record.ImageObject != nullptr) Pexora_FreeObject(&record);
  }
};

inline TPXProcessParameters ArgbParameters(uint8_t tolerance, int32_t differenceTolerance) {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = tolerance;
  p.DifferenceTolerance = differenceTolerance;
  p.MultipleMatches = 1;
  return p;
}

inline TPXProcessParameters AhslParameters(double tolerance, int32_t differenceTolerance) {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = tolerance;
  p.DifferenceTolerance = differenceTolerance;
  p.MultipleMatches = 1;
  return p;
}

// Runs a comparison and keeps its result until the object goes.
struct Comparison {
  TPXResult result{};
  int32_t code = -1;

  Comparison(const TPXObject& in, const TPXObject& of, const TPXProcessParameters& p,
             const TPXSearchOptions* options = nullptr) {
    code = Pexora_Compare(in, of, p, &result, const_cast<TPXSearchOptions*>(options));
  }
  Comparison(const Comparison&) = delete;
  Comparison& operator=(const Comparison&) = delete;
  ~Comparison() { Pexora_FreeResult(&result); }

  const TPXResultMatches& operator[](int i) const { return result.Matches[i]; }
  std::vector<TPXResultMatches> Entries() const {
    if (result.Success == 0) return {};
    return std::vector<TPXResultMatches>(result.Matches, result.Matches + result.MatchCount);
  }
};

}  // namespace pexora::test
