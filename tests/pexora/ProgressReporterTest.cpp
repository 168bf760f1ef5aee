// What the caller's status callback hears of an estimate: whole percents
// once each, never back, 100 only at the end; and an estimate that falls
// behind the bar (a forecast that grew) moves it on after a quiet spell, as
// far as the estimate has moved through what was left, never further.
#include <gtest/gtest.h>

#include <vector>

#include "engine/ProgressReporter.h"

namespace pexora {
namespace {

struct Heard {
  double seconds = 0;  // the reporter's clock
  std::vector<double> percents;
  ProgressReporter reporter{[this](double p) { percents.push_back(p); }, [this] { return seconds; }};
};

TEST(ProgressReporter, ReportsEachWholePercentOnceUpTo99ThenFinish) {
  Heard h;
  for (const double f : {0.0, 0.004, 0.015, 0.015, 0.2, 0.1, -1.0, 0.999, 1.5}) h.reporter.Update(f);
  h.reporter.Finish();
  EXPECT_EQ(h.percents, (std::vector<double>{0, 1, 20, 99, 100}));
}

TEST(ProgressReporter, AnEstimateBehindTheBarMovesItAfterAQuietSpellAndNoFurtherThanItMoved) {
  struct Step {
    double seconds, estimate;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<double> heard;
  };
  const double q = ProgressReporter::kLongestQuiet;
  const std::vector<Case> cases = {
      // At 60 the forecast grows (40), then the estimate rises by 10 of
      // the 60 left to it: a sixth of what the bar has left (40) is 6.67, so
      // the bar may reach 66, a percent each quiet spell.
      {"moves a percent each quiet spell",
       {{0, 0.6},
        {0.1, 0.4},
        {q, 0.45},
        {q + 0.1, 0.46},
        {2 * q + 0.1, 0.47},
        {3 * q + 0.2, 0.5},
        {4 * q + 0.3, 0.5},
        {5 * q + 0.4, 0.5},
        {6 * q + 0.5, 0.5},
        {7 * q + 0.6, 0.5},
        {8 * q + 0.7, 0.5},
        {9 * q + 0.8, 0.5}},
       {60, 61, 62, 63, 64, 65, 66}},
      // Without a quiet spell, or without the estimate moving, the bar
      // stands.
      {"not before a quiet spell", {{0, 0.6}, {0.1, 0.3}, {q - 0.01, 0.5}}, {60}},
      {"not while the estimate stands", {{0, 0.6}, {0.1, 0.3}, {q + 1, 0.3}, {2 * q + 2, 0.3}}, {60}},
      // Once the estimate passes the bar it leads again.
      {"the estimate leads once ahead", {{0, 0.6}, {0.1, 0.3}, {q + 0.1, 0.35}, {q + 0.2, 0.7}}, {60, 61, 70}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Heard h;
    for (const Step& s : c.steps) {
      h.seconds = s.seconds;
      h.reporter.Update(s.estimate);
    }
    EXPECT_EQ(h.percents, c.heard);
  }
}

}  // namespace
}  // namespace pexora
