// The progress callback as a hostile caller writes it, inside the engine with
// any number of threads: it throws, and it sees searches that do nothing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "EngineRun.h"
#include "RunningThreads.h"
#include "TestPictures.h"

namespace pexora::test {
namespace {

struct Thrown : std::runtime_error {
  Thrown() : std::runtime_error("thrown by the status callback") {}
};

TEST(SearchCallback, AThrowingCallbackEndsTheSearchAndLeavesNoThreadRunning) {
  // Long enough (tens of milliseconds) for reports while the threads scan.
  const Image searched = NaturalPicture(1200, 900, 41);
  const Image target = Crop(searched, 30, 40, 12, 12);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 8;
  p.DifferenceTolerance = 10;
  p.MultipleMatches = 1;
  const SearchObject in(searched), of(target);
  const CompareSettings settings = MakeCompareSettings(p);
  const size_t before = RunningThreads();
  // The first report (0), one in the middle, and the last (100).
  for (const int throwAt : {1, 2, -1}) {
    for (const unsigned threads : {1u, 2u, 16u}) {
      SCOPED_TRACE(testing::Message() << "report " << throwAt << " threads " << threads);
      std::vector<double> reports;
      bool thrown = false;
      try {
        Search(in, of, settings, threads, [&](double percent) {
          reports.push_back(percent);
          if (int(reports.size()) == throwAt || (throwAt == -1 && percent == 100.0)) throw Thrown();
        });
      } catch (const Thrown&) {
        thrown = true;
      }
      EXPECT_TRUE(thrown);
      // Nothing is reported after the throw.
      if (throwAt == -1) {
        EXPECT_EQ(reports.back(), 100.0);
      } else {
        EXPECT_EQ(reports.size(), size_t(throwAt));
        EXPECT_LT(reports.back(), 100.0);
      }
      EXPECT_EQ(RunningThreads(), before);
    }
  }
}

TEST(SearchCallback, ProgressBeginsWithZeroInEverySearch) {
  const Image searched = NaturalPicture(60, 40, 42);
  Image invisible = Crop(searched, 5, 5, 8, 8);
  for (uint32_t& pixel : invisible.pixels) pixel &= 0x00FFFFFFu;
  TPXProcessParameters matchesNothing{};
  matchesNothing.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  matchesNothing.DifferenceTolerance = -1;
  TPXProcessParameters nothingVisible{};
  nothingVisible.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  nothingVisible.DifferenceTolerance = 5;
  TPXProcessParameters nothingVisibleAtAnySize = nothingVisible;
  nothingVisibleAtAnySize.StretchCompare = 1;
  nothingVisibleAtAnySize.MinimalStretchSize = {4, 4};
  nothingVisibleAtAnySize.MaximalStretchSize = {12, 12};
  nothingVisibleAtAnySize.StretchResampler = PX_RESAMPLER_BILINEAR;
  const struct {
    const char* what;
    Image target;
    TPXProcessParameters parameters;
  } cases[] = {
      {"negative difference tolerance", Crop(searched, 5, 5, 8, 8), matchesNothing},
      {"fully transparent search-for picture", invisible, nothingVisible},
      {"fully transparent at every stretched size", invisible, nothingVisibleAtAnySize},
  };
  for (const auto& c : cases) {
    for (const unsigned threads : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << c.what << ", threads " << threads);
      std::vector<double> progress;
      const reference::Outcome outcome = RunEngine(searched, c.target, c.parameters, threads, &progress);
      EXPECT_EQ(outcome.code, PX_OK);
      EXPECT_TRUE(outcome.matches.empty());
      ASSERT_GE(progress.size(), 2u);
      EXPECT_EQ(progress.front(), 0.0);
      EXPECT_EQ(progress.back(), 100.0);
    }
  }
}

TEST(SearchCallback, ACheckThatFailsReportsNoProgress) {
  // The search-for picture does not fit: the comparison never starts.
  const Image searched = NaturalPicture(20, 20, 43);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_EXACT;
  std::vector<double> progress;
  EXPECT_EQ(RunEngine(searched, NaturalPicture(21, 5, 44), p, 2, &progress).code, PX_ERROR_DIMENSIONS);
  EXPECT_TRUE(progress.empty());
}

}  // namespace
}  // namespace pexora::test
