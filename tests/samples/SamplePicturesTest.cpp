// The committed sample pictures with each program's default settings, in the
// real search library: every search-for picture is found where expected.txt
// says the generator put it, and nowhere else.
#include <pexora/pexora.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CreatedObject.h"

namespace {

const std::filesystem::path kSamples = SAMPLES_DIR;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

std::map<std::string, Rect> readExpected() {
  std::map<std::string, Rect> places;
  std::ifstream file(kSamples / "expected.txt");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string program;
    Rect r;
    if (fields >> program >> r.x >> r.y >> r.width >> r.height) places[program] = r;
  }
  return places;
}

Rect expectedPlace(const std::string& program) {
  const auto places = readExpected();
  const auto it = places.find(program);
  if (it == places.end()) ADD_FAILURE() << "expected.txt has no line for " << program;
  return it == places.end() ? Rect{} : it->second;
}

void PX_CALL ignoreProgress(double, int32_t, void*) {}

// A search object made from a sample file, freed at the end of the test.
struct SampleObject : pexora::test::CreatedObject {
  SampleObject(const char* fileName, TPXCreateObjectParameters parameters)
      : CreatedObject(kSamples / fileName, parameters) {}
};

TPXCreateObjectParameters noProcessing() { return {}; }

TPXCreateObjectParameters resampledTo100(int32_t resampler) {
  TPXCreateObjectParameters p{};
  p.ProcessType = PX_PROCESS_TYPE_RESAMPLE;
  p.Dimensions = {100, 100};
  p.Resampler = resampler;
  return p;
}

// What Compare hands the library with the window's defaults: ARGB selected,
// tolerances 15, several threads, several matches.
TPXProcessParameters defaults(int32_t compareType, int32_t differenceTolerance) {
  TPXProcessParameters p{};
  p.CompareType = compareType;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 15;
  p.DifferenceTolerance = differenceTolerance;
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = -1;
  p.StatusCallback = ignoreProgress;
  return p;
}

struct Outcome {
  int32_t code = -1;
  bool success = false;
  std::vector<TPXResultMatches> matches;
};

Outcome compare(const SampleObject& in, const SampleObject& searchFor, const TPXProcessParameters& parameters) {
  TPXResult result{};
  Outcome outcome;
  outcome.code = Pexora_Compare(in.record, searchFor.record, parameters, &result, nullptr);
  outcome.success = result.Success != 0;
  if (result.Matches) outcome.matches.assign(result.Matches, result.Matches + result.MatchCount);
  Pexora_FreeResult(&result);
  return outcome;
}

void expectOnlyMatchAt(const Outcome& outcome, const Rect& place, int differenceTolerance) {
  ASSERT_EQ(outcome.code, PX_OK);
  EXPECT_TRUE(outcome.success);
  ASSERT_EQ(outcome.matches.size(), 1u) << "the search-for picture should be found once";
  const TPXResultMatches& m = outcome.matches[0];
  EXPECT_EQ(m.Position.X, place.x);
  EXPECT_EQ(m.Position.Y, place.y);
  EXPECT_EQ(m.Dimensions.Width, place.width);
  EXPECT_EQ(m.Dimensions.Height, place.height);
  EXPECT_LE(m.Difference, differenceTolerance);
  std::cout << "difference " << m.Difference << " of at most " << differenceTolerance << ", match " << m.MatchPercentage
            << " %\n";
}

TEST(SeekBasicSamples, DefaultsFindTheCropOnlyAtItsPlaceAndToleranceZeroFindsNothing) {
  const SampleObject in("SearchIn2.jpg", noProcessing()), searchFor("SearchFor2.jpg", noProcessing());
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(searchFor.code, PX_OK);
  EXPECT_EQ(in.record.OriginalDimensions.Width, 640);
  EXPECT_EQ(in.record.OriginalDimensions.Height, 480);
  expectOnlyMatchAt(compare(in, searchFor, defaults(PX_COMPARE_TYPE_RELATIVE_ARGB, 150)), expectedPlace("seekbasic"),
                    150);

  // Both pictures went through JPEG on their own: without tolerance the crop
  // is nowhere, not even at its place.
  TPXProcessParameters exact = defaults(PX_COMPARE_TYPE_RELATIVE_ARGB, 150);
  exact.ARGBATolerance = exact.ARGBRTolerance = exact.ARGBGTolerance = exact.ARGBBTolerance = 0;
  const Outcome none = compare(in, searchFor, exact);
  EXPECT_EQ(none.code, PX_OK);
  EXPECT_FALSE(none.success);
  EXPECT_TRUE(none.matches.empty());
}

TEST(SeekBasicSamples, AhslDefaultsAlsoFindTheCropOnlyAtItsPlace) {
  const SampleObject in("SearchIn2.jpg", noProcessing()), searchFor("SearchFor2.jpg", noProcessing());
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(searchFor.code, PX_OK);
  TPXProcessParameters p = defaults(PX_COMPARE_TYPE_RELATIVE_AHSL, 150);
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 0;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.5;
  expectOnlyMatchAt(compare(in, searchFor, p), expectedPlace("seekbasic"), 150);
}

TEST(SeekScaledSamples, DefaultsFindTheIconAtItsDrawnSizeAndPlace) {
  const SampleObject in("SearchInAlphaStretched.PNG", noProcessing()), searchFor("SearchForAlpha.png", noProcessing());
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(searchFor.code, PX_OK);
  const Rect place = expectedPlace("seekscaled");
  // The icon is drawn at a size other than its own.
  EXPECT_NE(searchFor.record.OriginalDimensions.Width, place.width);

  TPXProcessParameters p = defaults(PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, 45);
  p.StretchCompare = 1;
  p.MinimalStretchSize = {20, 20};
  p.MaximalStretchSize = {100, 100};
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  expectOnlyMatchAt(compare(in, searchFor, p), place, 45);

  // Without stretching, the icon at its own size is not in the scene.
  p.StretchCompare = 0;
  const Outcome unstretched = compare(in, searchFor, p);
  EXPECT_EQ(unstretched.code, PX_OK);
  EXPECT_FALSE(unstretched.success);
}

TEST(SeekFilteredSamples, TwoSizesOfOneSceneMatchOnceResampledBilinear) {
  const SampleObject in("SearchInResample.jpg", resampledTo100(PX_RESAMPLER_BILINEAR));
  const SampleObject searchFor("SearchForResample.jpg", resampledTo100(PX_RESAMPLER_BILINEAR));
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(searchFor.code, PX_OK);
  EXPECT_NE(in.record.OriginalDimensions.Width, searchFor.record.OriginalDimensions.Width);
  EXPECT_EQ(in.record.ProcessedDimensions.Width, 100);
  EXPECT_EQ(searchFor.record.ProcessedDimensions.Height, 100);
  expectOnlyMatchAt(compare(in, searchFor, defaults(PX_COMPARE_TYPE_RELATIVE_ARGB, 100)), expectedPlace("seekfiltered"),
                    100);
}

}  // namespace
