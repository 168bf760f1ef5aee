// The engine against the plain reference on many small pictures: every
// compare type, alpha, stretch, single and multiple matches, one and several
// threads. Results must agree entry by entry.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <random>

#include "EngineRun.h"
#include "ProgressChecks.h"
#include "TestPictures.h"

namespace pexora::test {
namespace {

std::string Describe(const Match& m) {
  return testing::PrintToString(
      std::vector<int64_t>{m.x, m.y, m.width, m.height, m.difference, m.compared, static_cast<int64_t>(m.sum)});
}

void ExpectSameOutcome(const reference::Outcome& expected, const reference::Outcome& actual) {
  ASSERT_EQ(expected.code, actual.code);
  ASSERT_EQ(expected.matches.size(), actual.matches.size());
  for (size_t i = 0; i < expected.matches.size(); ++i) {
    EXPECT_EQ(Describe(expected.matches[i]), Describe(actual.matches[i])) << "entry " << i;
  }
}

// kFlat: large areas of one colour, where many positions tie.
enum class Kind { kRandom, kPalette, kNatural, kFlat };

// A searched picture with the search-for picture hidden in it once or
// twice, exactly or slightly changed, so that there is something to find.
struct Scenario {
  Image searched;
  Image target;
};

Scenario MakeScenario(Kind kind, uint32_t seed, bool alpha, std::mt19937& random) {
  const int32_t w = 18 + int32_t(random() % 20), h = 14 + int32_t(random() % 16);
  Scenario s;
  switch (kind) {
    case Kind::kRandom: s.searched = RandomPicture(w, h, seed); break;
    case Kind::kPalette: s.searched = PalettePicture(w, h, seed, alpha); break;
    case Kind::kNatural: s.searched = NaturalPicture(w, h, seed); break;
    case Kind::kFlat: s.searched = FlatPicture(w, h, seed, alpha); break;
  }
  const int32_t tw = 2 + int32_t(random() % 7), th = 2 + int32_t(random() % 7);
  s.target = Crop(s.searched, int32_t(random() % uint32_t(w - tw)), int32_t(random() % uint32_t(h - th)), tw, th);
  if (alpha) {
    static const uint32_t alphas[] = {0, 1, 64, 128, 200, 254, 255, 255};
    for (uint32_t& p : s.target.pixels) p = (p & 0x00FFFFFFu) | (alphas[random() % 8] << 24);
  }
  // A second copy, with some pixels nudged.
  Image copy = s.target;
  for (uint32_t& p : copy.pixels) {
    if (random() % 4 == 0) p ^= (random() % 2 ? 0x00070000u : 0x00000310u);
  }
  Stamp(s.searched, copy, int32_t(random() % uint32_t(w - tw)), int32_t(random() % uint32_t(h - th)));
  return s;
}

TPXProcessParameters RandomParameters(int32_t type, std::mt19937& random) {
  TPXProcessParameters p{};
  p.CompareType = type;
  static const uint8_t byteTolerances[] = {0, 1, 5, 15, 40, 128, 254, 255};
  p.ARGBATolerance = byteTolerances[random() % 8];
  p.ARGBRTolerance = byteTolerances[random() % 8];
  p.ARGBGTolerance = byteTolerances[random() % 8];
  p.ARGBBTolerance = byteTolerances[random() % 8];
  static const double unitTolerances[] = {0.0, 0.004, 0.02, 0.05, 0.1, 0.25, 0.5, 1.0};
  p.AHSLATolerance = unitTolerances[random() % 8];
  p.AHSLHTolerance = unitTolerances[random() % 8];
  p.AHSLSTolerance = unitTolerances[random() % 8];
  p.AHSLLTolerance = unitTolerances[random() % 8];
  static const int32_t differenceTolerances[] = {0, 1, 3, 8, 20, 1000};
  p.DifferenceTolerance = differenceTolerances[random() % 6];
  p.MultipleMatches = random() % 4 != 0;
  return p;
}

class EngineMatchesReference : public ::testing::TestWithParam<int32_t> {};

TEST_P(EngineMatchesReference, WithoutStretch) {
  const int32_t type = GetParam();
  const bool alpha = type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA || type == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  std::mt19937 random(1000 + type);
  int withMatches = 0, withSeveral = 0;
  for (uint32_t round = 0; round < 32; ++round) {
    const Kind kind = static_cast<Kind>(round % 4);
    const Scenario s = MakeScenario(kind, round, alpha || round % 5 == 0, random);
    const TPXProcessParameters p = RandomParameters(type, random);
    SCOPED_TRACE(testing::Message() << "round " << round << " tolerance " << p.DifferenceTolerance);
    const reference::Outcome expected = reference::Search(s.searched, s.target, p);
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 1));
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 3));
    withMatches += expected.matches.empty() ? 0 : 1;
    withSeveral += expected.matches.size() > 1 ? 1 : 0;
  }
  // The scenarios must give the comparison something to agree on.
  EXPECT_GE(withMatches, 12);
  EXPECT_GE(withSeveral, 4);
}

TEST_P(EngineMatchesReference, WithStretch) {
  const int32_t type = GetParam();
  const bool alpha = type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA || type == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  std::mt19937 random(2000 + type);
  int withMatches = 0;
  for (uint32_t round = 0; round < 12; ++round) {
    const Scenario s = MakeScenario(static_cast<Kind>(round % 4), 100 + round, alpha, random);
    TPXProcessParameters p = RandomParameters(type, random);
    p.StretchCompare = 1;
    p.MinimalStretchSize = {int32_t(random() % 4), int32_t(random() % 4)};
    p.MaximalStretchSize = {3 + int32_t(random() % 10), 3 + int32_t(random() % 10)};
    p.StretchResampler = int32_t(random() % 6);
    SCOPED_TRACE(testing::Message() << "round " << round << " filter " << p.StretchResampler);
    const reference::Outcome expected = reference::Search(s.searched, s.target, p);
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 1));
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 2));
    withMatches += expected.matches.empty() ? 0 : 1;
  }
  EXPECT_GE(withMatches, 3);
}

TEST_P(EngineMatchesReference, WithSearchOptions) {
  // A region (the reference searches a cropped copy), a minimal percentage
  // and a maximal count, alone and together, with and without stretch.
  const int32_t type = GetParam();
  const bool alpha = type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA || type == PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  std::mt19937 random(4000 + type);
  int withMatches = 0, cut = 0;
  for (uint32_t round = 0; round < 24; ++round) {
    const Scenario s = MakeScenario(static_cast<Kind>(round % 3), 400 + round, alpha, random);
    TPXProcessParameters p = RandomParameters(type, random);
    p.MultipleMatches = 1;
    if (round % 4 == 3) {
      p.StretchCompare = 1;
      p.MinimalStretchSize = {1, 1};
      p.MaximalStretchSize = {3 + int32_t(random() % 8), 3 + int32_t(random() % 8)};
      p.StretchResampler = int32_t(random() % 6);
    }
    TPXSearchOptions o{};
    o.Size = sizeof o;
    if (round % 3 != 1) {
      o.UseRegion = 1;
      const int32_t w = s.target.width + int32_t(random() % uint32_t(s.searched.width - s.target.width + 1));
      const int32_t h = s.target.height + int32_t(random() % uint32_t(s.searched.height - s.target.height + 1));
      o.Region = {int32_t(random() % uint32_t(s.searched.width - w + 1)),
                  int32_t(random() % uint32_t(s.searched.height - h + 1)), w, h};
    }
    static const double minimals[] = {0.0, 50.0, 80.0, 90.0, 99.5, 100.0};
    o.MinimalMatchPercentage = minimals[round % 6];
    o.MaximalMatchCount = int32_t(random() % 4);
    SCOPED_TRACE(testing::Message() << "round " << round << " region " << o.UseRegion << " " << o.Region.X << ","
                                    << o.Region.Y << " " << o.Region.Width << "x" << o.Region.Height << " minimal "
                                    << o.MinimalMatchPercentage << " count " << o.MaximalMatchCount);
    const reference::Outcome expected = reference::Search(s.searched, s.target, p, &o);
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 1, nullptr, &o));
    ExpectSameOutcome(expected, RunEngine(s.searched, s.target, p, 3, nullptr, &o));
    withMatches += expected.matches.empty() ? 0 : 1;
    // Options that changed the outcome: otherwise they were not tested.
    cut += expected.matches != reference::Search(s.searched, s.target, p).matches ? 1 : 0;
  }
  EXPECT_GE(withMatches, 8);
  EXPECT_GE(cut, 8);
}

INSTANTIATE_TEST_SUITE_P(EveryCompareType, EngineMatchesReference,
                         ::testing::Values(PX_COMPARE_TYPE_EXACT, PX_COMPARE_TYPE_RELATIVE_ARGB,
                                           PX_COMPARE_TYPE_RELATIVE_AHSL, PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
                                           PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA));

TEST(EngineMatchesReferenceShapes, WideAndTallPicturesAndTemplatesOfEveryWidth) {
  // Row lengths around every vector width, and templates as wide as the picture.
  std::mt19937 random(3);
  for (int32_t width : {1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 70}) {
    const Image searched = PalettePicture(width, 5, uint32_t(width));
    for (int32_t tw : {1, std::max(1, width / 2), width}) {
      SCOPED_TRACE(testing::Message() << "width " << width << " template " << tw);
      const Image target = Crop(searched, width - tw, 1, tw, 3);
      for (int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_AHSL}) {
        TPXProcessParameters p = RandomParameters(type, random);
        p.MultipleMatches = 1;
        const reference::Outcome expected = reference::Search(searched, target, p);
        ExpectSameOutcome(expected, RunEngine(searched, target, p, 2));
      }
    }
  }
}

TEST(EngineMatchesReferenceShapes, LargeTemplatesWithLargeTolerances) {
  // Difference counts beyond what 8- and 16-bit counters hold.
  const Image searched = NaturalPicture(290, 250, 4);
  const Image target = Crop(searched, 5, 7, 280, 236);  // 66080 pixels
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 10;
  p.MultipleMatches = 1;
  for (int32_t tolerance : {200, 65534, 65535, 70000}) {
    SCOPED_TRACE(tolerance);
    p.DifferenceTolerance = tolerance;
    const reference::Outcome expected = reference::Search(searched, target, p);
    ASSERT_FALSE(expected.matches.empty());
    ExpectSameOutcome(expected, RunEngine(searched, target, p, 2));
  }
}

TEST(EngineMatchesReferenceShapes, TheBestMatchWhereEveryPositionMatches) {
  // Every tolerance at its maximum and one match wanted: every position
  // matches at 100 % and sums alone rank them, as in correlation. The copy
  // in the picture is nudged, so that its sum is not 0; the flat picture
  // ties everywhere, so that the order of the ranking decides.
  std::mt19937 random(11);
  struct Picture {
    const char* name;
    Image searched;
    bool nudged;
  } pictures[] = {{"natural", NaturalPicture(80, 60, 7), true},
                  {"flat", FlatPicture(80, 60, 8, true), true},
                  {"a block of one colour, the copy exact", FlatPicture(80, 60, 9), false}};
  // Every position inside the block ties at sum 0, and the largest size wins
  // the tie; its first position lies off any coarse grid.
  Image block{40, 36, std::vector<uint32_t>(40 * 36, 0xFF336699u)};
  Stamp(pictures[2].searched, block, 35, 21);
  for (Picture& picture : pictures) {
    Image target = Crop(picture.searched, 41, 27, 24, 20);
    for (uint32_t& pixel : target.pixels) {
      if (picture.nudged && random() % 3 == 0) pixel ^= 0x00030102u;
    }
    Stamp(picture.searched, target, 41, 27);
    Image masked = target;
    for (uint32_t& pixel : masked.pixels) {
      if (random() % 7 == 0) pixel &= 0x00FFFFFFu;
    }
    for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_AHSL,
                               PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
      const bool alpha = type >= PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
      for (const bool stretch : {false, true}) {
        for (const bool everyChannel : {true, false}) {
          SCOPED_TRACE(testing::Message() << picture.name << " type " << type << " stretch " << stretch
                                          << " every channel open " << everyChannel);
          TPXProcessParameters p{};
          p.CompareType = type;
          SetTolerances(p, {255, 255, 255, uint8_t(everyChannel ? 255 : 200)},
                        {1.0, 1.0, 1.0, everyChannel ? 1.0 : 0.8});
          p.DifferenceTolerance = INT32_MAX;
          p.StretchCompare = stretch;
          p.MinimalStretchSize = {21, 17};
          p.MaximalStretchSize = {27, 23};
          p.StretchResampler = PX_RESAMPLER_BILINEAR;
          const Image& of = alpha ? masked : target;
          const reference::Outcome expected = reference::Search(picture.searched, of, p);
          ASSERT_EQ(expected.matches.size(), 1u);
          for (const unsigned threads : {1u, 3u})
            ExpectSameOutcome(expected, RunEngine(picture.searched, of, p, threads));
        }
      }
    }
  }
}

TEST(EngineMatchesReferenceShapes, OnEveryInstructionSetBuiltIn) {
  // The vector scan is dispatched at run time; hold every compiled variant
  // that this processor can run to the reference, not only the best one.
  std::mt19937 random(6);
  std::vector<Scenario> scenarios;
  std::vector<TPXProcessParameters> parameters;
  for (uint32_t round = 0; round < 12; ++round) {
    const int32_t type = int32_t(round % 5);
    const bool alpha = type >= PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
    scenarios.push_back(MakeScenario(static_cast<Kind>(round % 4), 300 + round, alpha, random));
    parameters.push_back(RandomParameters(type, random));
    parameters.back().DifferenceTolerance = round % 2 ? 300 : 6;  // 8- and 16-bit counters
  }
  for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
    SCOPED_TRACE(hwy::TargetName(target));
    hwy::SetSupportedTargetsForTest(target);
    for (size_t i = 0; i < scenarios.size(); ++i) {
      const Scenario& s = scenarios[i];
      ExpectSameOutcome(reference::Search(s.searched, s.target, parameters[i]),
                        RunEngine(s.searched, s.target, parameters[i], 2));
    }
  }
  hwy::SetSupportedTargetsForTest(0);
}

TEST(EngineProgress, WholePercentsRisingToExactly100) {
  const Image searched = NaturalPicture(200, 150, 5);
  const Image target = Crop(searched, 20, 20, 10, 10);
  for (unsigned threads : {1u, 2u, 4u}) {
    std::vector<double> progress;
    TPXProcessParameters p{};
    p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
    p.DifferenceTolerance = 5;
    RunEngine(searched, target, p, threads, &progress);
    ExpectWholePercentsRisingTo100(progress);
  }
}

}  // namespace
}  // namespace pexora::test
