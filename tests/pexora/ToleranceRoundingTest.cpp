// AHSL tolerances in fixed point: the product tolerance x scale is taken in
// double precision and rounded down, so that k / scale gives exactly k.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineRun.h"
#include "scan/CompareSettings.h"

namespace pexora::test {
namespace {

TEST(ToleranceRounding, EveryFractionOfTheScaleGivesItsOwnNumerator) {
  // Exact rounding down of the double nearest to k / 65535 gives k - 1 for
  // about half of all k; the rule gives k for every k of every scale.
  for (const uint32_t scale : {255u, 65535u, 65536u}) {
    SCOPED_TRACE(scale);
    int wrong = 0;
    for (uint32_t k = 0; k <= scale; ++k) {
      const double tolerance = double(k) / double(scale);
      if (FixedTolerance(tolerance, scale) != k) ++wrong;
      // Just below the fraction, the threshold is one less (or stays at 0).
      const double below = std::nextafter(tolerance, 0.0);
      const uint32_t expected = std::floor(below * double(scale)) < double(k) ? k - (k > 0 ? 1 : 0) : k;
      if (FixedTolerance(below, scale) != expected) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(ToleranceRounding, EngineAndReferenceAgreeAtEveryGreyStep) {
  // Grey pixels v and v + d lie 257 d apart in fixed-point lightness: at the
  // tolerance 257 d / 65535 they agree, one unit of lightness less and they
  // differ, through the engine and the reference alike.
  for (uint32_t d = 1; d <= 255; ++d) {
    SCOPED_TRACE(d);
    const uint32_t v = (255 - d) / 2;
    const uint32_t grey = 0xFF000000u | v * 0x010101u, lighter = 0xFF000000u | (v + d) * 0x010101u;
    const Image searched{2, 1, {lighter, 0xFF000000u}};
    const Image target{2, 1, {grey, 0xFF000000u}};
    TPXProcessParameters p{};
    p.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL;
    p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = 1.0;
    p.DifferenceTolerance = 2;
    for (const bool atTheStep : {true, false}) {
      p.AHSLLTolerance = double(257 * d - (atTheStep ? 0 : 1)) / 65535.0;
      for (const reference::Outcome& outcome :
           {reference::Search(searched, target, p), RunEngine(searched, target, p, 1)}) {
        ASSERT_EQ(outcome.matches.size(), 1u);
        EXPECT_EQ(outcome.matches[0].difference, atTheStep ? 0 : 1);
      }
    }
  }
}

}  // namespace
}  // namespace pexora::test
