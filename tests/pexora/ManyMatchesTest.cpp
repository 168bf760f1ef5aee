// Searches whose every position matches: no count of matching positions is
// an error, and the best one is still the one the ranking names.
#include <gtest/gtest.h>

#include <random>

#include "EngineRun.h"
#include "TestPictures.h"

namespace pexora::test {
namespace {

TEST(ManyMatches, MoreMatchingPositionsThan16MillionFindTheBest) {
  // 4200 x 4100 = 17,220,000 positions, all equal.
  const Image searched{4200, 4100, std::vector<uint32_t>(size_t{4200} * 4100, 0xFF336699u)};
  const Image target{1, 1, {0xFF336699u}};
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  const reference::Outcome outcome = RunEngine(searched, target, p, 2);
  ASSERT_EQ(outcome.code, PX_OK);
  ASSERT_EQ(outcome.matches.size(), 1u);
  EXPECT_EQ(outcome.matches[0], (Match{0, 0, 1, 1, 0, 1, 0}));
}

TEST(ManyMatches, WideOpenTolerancesAgreeWithTheReference) {
  // Every position of every size matches: the ranking rests on the sums of
  // differences, and most candidates overlap others of the same percentage.
  for (uint32_t seed = 0; seed < 8; ++seed) {
    const int32_t type = int32_t(seed % 5);
    const bool alpha = type >= PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
    const Image searched = seed % 2 ? FlatPicture(26, 19, seed, alpha) : NaturalPicture(26, 19, seed);
    Image target = Crop(searched, 3, 4, 5 + int32_t(seed % 3), 4);
    if (alpha) target.pixels[1] &= 0x00FFFFFFu;
    TPXProcessParameters p{};
    p.CompareType = type;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 255;
    p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 1.0;
    p.DifferenceTolerance = seed % 4 == 3 ? 2 : 1000;
    p.MultipleMatches = seed % 3 != 0;
    p.StretchCompare = seed % 2;
    p.MinimalStretchSize = {2, 2};
    p.MaximalStretchSize = {9, 9};
    p.StretchResampler = PX_RESAMPLER_BILINEAR;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const reference::Outcome expected = reference::Search(searched, target, p);
    ASSERT_FALSE(expected.matches.empty());
    for (unsigned threads : {1u, 2u}) {
      const reference::Outcome actual = RunEngine(searched, target, p, threads);
      ASSERT_EQ(actual.code, expected.code);
      EXPECT_EQ(actual.matches, expected.matches);
    }
  }
}

}  // namespace
}  // namespace pexora::test
