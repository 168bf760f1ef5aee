// Searches whose every position matches: no count of matching positions is
// an error, and the best one is still the one the ranking names.
#include <gtest/gtest.h>

#include <random>

#include "EngineRun.h"
#include "ProgressChecks.h"
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

TEST(ManyMatches, MorePositionsThanTheMemoryHoldsAreMergedInPassesAsTheReferenceMerges) {
  // Room for a few positions only, so that the merge runs in many passes:
  // dense and sparse searches, stretched, in a region, with a maximal count.
  std::mt19937 random(17);
  int passes = 0;
  for (uint32_t seed = 0; seed < 20; ++seed) {
    const int32_t type = int32_t(seed % 5);
    const bool alpha = type >= PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
    const Image searched = seed % 3 == 0   ? FlatPicture(24, 18, seed, alpha)
                           : seed % 3 == 1 ? NaturalPicture(24, 18, seed)
                                           : PalettePicture(24, 18, seed, alpha);
    Image target = Crop(searched, 2, 3, 3 + int32_t(seed % 4), 3 + int32_t(seed % 3));
    if (alpha) target.pixels[0] &= 0x00FFFFFFu;
    TPXProcessParameters p{};
    p.CompareType = type;
    const uint8_t tolerance = seed % 4 == 1 ? 40 : 255;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = tolerance;
    p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = seed % 4 == 1 ? 0.1 : 1.0;
    p.DifferenceTolerance = seed % 4 == 2 ? 3 : 1000;
    p.MultipleMatches = 1;
    p.StretchCompare = seed % 2;
    p.MinimalStretchSize = {2, 2};
    p.MaximalStretchSize = {8, 8};
    p.StretchResampler = PX_RESAMPLER_BILINEAR;
    TPXSearchOptions o{};
    o.Size = sizeof o;
    o.UseRegion = seed % 5 == 3;
    o.Region = {1, 2, 20, 15};
    o.MaximalMatchCount = seed % 7 == 4 ? 5 : 0;
    o.MinimalMatchPercentage = seed % 6 == 5 ? 90.0 : 0.0;
    const int64_t room = int64_t{1} + int64_t(random() % 40);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " room " << room);
    const reference::Outcome expected = reference::Search(searched, target, p, &o);
    ASSERT_FALSE(expected.matches.empty());
    passes += expected.matches.size() > size_t(room) ? 1 : 0;
    for (unsigned threads : {1u, 2u}) {
      const reference::Outcome actual =
          RunEngine(searched, target, p, threads, nullptr, &o, room * int64_t{2 * sizeof(Match)});
      ASSERT_EQ(actual.code, expected.code);
      EXPECT_EQ(actual.matches, expected.matches);
    }
  }
  // More kept matches than positions fit: those searches took several passes.
  EXPECT_GE(passes, 5);
}

TEST(ManyMatches, PassesWithAFirstThresholdFromASampleMergeAsTheReferenceMerges) {
  // Room for thousands of the 60,000 positions: each pass aims a first
  // threshold from a sample and holds fewer positions than its set could,
  // so that a pass that holds fewer is not the last. Wide open (every
  // position matches), tighter (fewer match), stretched.
  const Image searched = NaturalPicture(260, 240, 5);
  for (const bool stretch : {false, true}) {
    for (const uint8_t tolerance : {uint8_t{255}, uint8_t{60}}) {
      SCOPED_TRACE(testing::Message() << "tolerance " << int(tolerance) << (stretch ? " stretched" : ""));
      const Image target = Crop(searched, 100, 90, 4, 4);
      TPXProcessParameters p{};
      p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
      p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = tolerance;
      p.DifferenceTolerance = 1000;
      p.MultipleMatches = 1;
      p.StretchCompare = stretch;
      p.MinimalStretchSize = {4, 4};
      p.MaximalStretchSize = {6, 6};
      p.StretchResampler = PX_RESAMPLER_BILINEAR;
      const reference::Outcome expected = reference::Search(searched, target, p);
      const int64_t room = stretch ? 12000 : 6000;
      ASSERT_GT(expected.matches.size(), 1000u);
      for (unsigned threads : {1u, 2u}) {
        const reference::Outcome actual =
            RunEngine(searched, target, p, threads, nullptr, nullptr, room * int64_t{2 * sizeof(Match)});
        ASSERT_EQ(actual.code, expected.code);
        EXPECT_EQ(actual.matches, expected.matches) << threads << " threads";
      }
    }
  }
}

TEST(ManyMatches, PerfectMatchesEverywhereMergeInPassesAsTheReferenceMerges) {
  // A uniform picture and a stretched uniform search-for picture: every
  // position of every size matches at 100 % with a sum of 0, so that size
  // and place alone rank them. The first scan stops timing rows soon after
  // the room overflows, a pass's sampled threshold is a perfect match of the
  // largest size, the rows of smaller sizes are left unscanned and the
  // positions after it lose without their sums; with and without a count.
  const Image searched = Uniform(120, 90, 0xFF407080u), target = Uniform(4, 4, 0xFF407080u);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.MultipleMatches = 1;
  p.StretchCompare = 1;
  p.MinimalStretchSize = {1, 1};
  p.MaximalStretchSize = {6, 6};
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  for (const int32_t most : {0, 3, 250}) {
    SCOPED_TRACE(testing::Message() << "at most " << most);
    TPXSearchOptions o{};
    o.Size = sizeof o;
    o.MaximalMatchCount = most;
    const reference::Outcome expected = reference::Search(searched, target, p, &o);
    ASSERT_EQ(expected.matches.size(), most > 0 ? size_t(most) : size_t{300});
    for (unsigned threads : {1u, 2u}) {
      const reference::Outcome actual =
          RunEngine(searched, target, p, threads, nullptr, &o, 8000 * int64_t{2 * sizeof(Match)});
      ASSERT_EQ(actual.code, expected.code);
      EXPECT_EQ(actual.matches, expected.matches) << threads << " threads";
    }
  }
}

TEST(ManyMatches, MergesOfManyCandidatesSortedInPartsOnEveryThreadAgreeWithTheReference) {
  // Over 12,000 matching positions, all of one percentage (wide open) or of
  // many: the merge sorts them in parts on every thread, where a few are
  // sorted on the calling thread.
  const Image searched = NaturalPicture(130, 100, 11);
  const Image target = Crop(searched, 50, 40, 4, 4);
  for (const uint8_t tolerance : {uint8_t{255}, uint8_t{40}}) {
    SCOPED_TRACE(testing::Message() << "tolerance " << int(tolerance));
    TPXProcessParameters p{};
    p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = tolerance;
    p.DifferenceTolerance = 1000;
    p.MultipleMatches = 1;
    const reference::Outcome expected = reference::Search(searched, target, p);
    ASSERT_GT(expected.matches.size(), 100u);
    for (unsigned threads : {1u, 2u}) EXPECT_EQ(RunEngine(searched, target, p, threads).matches, expected.matches);
  }
}

TEST(ManyMatches, MergingInPassesReportsProgressUpToTheEnd) {
  // A wide-open stretched search with room for 50 positions: hundreds of
  // kept matches, so many passes. On one thread every unit reports, and the
  // last pass, once scanned, leaves nothing to forecast: the bar reaches 99
  // before the 100 of the end, whole percents rising all the way.
  const Image searched = NaturalPicture(60, 40, 3);
  const Image target = Crop(searched, 5, 5, 6, 6);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 255;
  p.DifferenceTolerance = 1000;
  p.MultipleMatches = 1;
  p.StretchCompare = 1;
  p.MinimalStretchSize = {3, 3};
  p.MaximalStretchSize = {8, 8};
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  const reference::Outcome expected = reference::Search(searched, target, p);
  ASSERT_GT(expected.matches.size(), 100u);
  for (unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    std::vector<double> progress;
    const reference::Outcome actual =
        RunEngine(searched, target, p, threads, &progress, nullptr, 50 * int64_t{2 * sizeof(Match)});
    ASSERT_EQ(actual.matches, expected.matches);
    ExpectWholePercentsRisingTo100(progress);
    if (HasFatalFailure()) return;
    if (threads == 1) {
      EXPECT_EQ(progress[progress.size() - 2], 99.0);
    }
  }
}

}  // namespace
}  // namespace pexora::test
