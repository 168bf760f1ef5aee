// The forecast of a merge in passes, fed with made-up times: what is left
// after each pass, and how a running pass corrects the first guesses.
#include <gtest/gtest.h>

#include <memory>

#include "merge/PassForecast.h"

namespace pexora {
namespace {

// A first scan of `rows` rows of `rowSeconds` each that met `matching`
// positions in all.
void FirstScan(PassForecast& forecast, int rows, double rowSeconds, double matching) {
  for (int row = 0; row < rows; ++row) forecast.FirstScanRow(matching / rows, rowSeconds);
}

TEST(PassForecast, PassesFollowUntilOneMeetsFewerThanItsSetHolds) {
  // Sets of 100; a scan of 10 rows at 1 s each (the positions' work, at
  // about a microsecond each, counts little beside it).
  PassForecast forecast(100, 10);
  FirstScan(forecast, 10, 1.0, 1000);
  // Before the passes: the first pass meets all 1000 matching positions,
  // and more passes follow it, each a scan of 10 s at least.
  const double before = forecast.RemainingSeconds();
  EXPECT_GT(before, 20.0);
  EXPECT_LT(before, 100.0);

  struct Case {
    double met;      // by the pass, over its 10 rows
    double atLeast;  // seconds forecast once it ended
    double atMost;
  };
  const Case passes[] = {
      {1000, 10, 100},  // more passes follow
      {500, 10, 100},   // a share of a half: 250, 125, 62.5 follow
      {99, 0, 0},       // fewer than the set holds: the last
  };
  for (const Case& c : passes) {
    SCOPED_TRACE(c.met);
    forecast.BeginPass();
    for (int row = 0; row < 10; ++row) {
      forecast.PassRow(c.met / 10, c.met / 10, 1.0);
      EXPECT_GE(forecast.RemainingSeconds(), 0.0);
    }
    forecast.EndPass(0.0);
    EXPECT_GE(forecast.RemainingSeconds(), c.atLeast);
    EXPECT_LE(forecast.RemainingSeconds(), c.atMost);
  }
  EXPECT_EQ(forecast.RemainingSeconds(), 0.0);
}

TEST(PassForecast, ThreePassesOfAHalfEachAfterAPassThatHalved) {
  // Rows cost nothing; each position met costs 1 s and is summed: after
  // passes meeting 1000 and then 500 positions (share a half), three more
  // follow (250, 125, 62.5 positions), the last below the set's 100.
  PassForecast forecast(100, 1);
  FirstScan(forecast, 1, 0.0, 1000);
  for (double met : {1000.0, 500.0}) {
    forecast.BeginPass();
    forecast.PassRow(met, met, met);
    forecast.EndPass(0.0);
  }
  const double entering = 0.35;  // the share of sums past capacity before a pass tells
  double expected = 0;
  for (double met : {250.0, 125.0, 62.5}) {
    const double sums = PassForecast::ExpectedSums(met, 100, entering);
    expected += sums + 0.2 * (met - sums);
  }
  EXPECT_NEAR(forecast.RemainingSeconds(), expected, 1e-9);
}

TEST(PassForecast, APassForetoldBySampleIsForecastFromIt) {
  // After passes meeting 1000 and 500 positions (share a half), a pass that
  // a sample foretells to meet 60 positions, fewer than its set of 100
  // holds, is the last: only its own work is left, where the share alone
  // foretells 250, 125 and 62.5 positions in three passes. One foretold to
  // meet 4000 is forecast from that, not from the share.
  const auto afterTwoPasses = [] {
    auto forecast = std::make_unique<PassForecast>(100, 1);
    FirstScan(*forecast, 1, 0.0, 1000);
    for (double met : {1000.0, 500.0}) {
      forecast->BeginPass();
      forecast->PassRow(met, met, met);
      forecast->EndPass(0.0);
    }
    return forecast;
  };
  const double entering = 0.35;
  const auto passSeconds = [&](double met) {
    const double sums = PassForecast::ExpectedSums(met, 100, entering);
    return sums + 0.2 * (met - sums);
  };
  const auto unforetold = afterTwoPasses();
  unforetold->BeginPass();
  EXPECT_NEAR(unforetold->RemainingSeconds(), passSeconds(250) + passSeconds(125) + passSeconds(62.5), 1e-9);
  const auto few = afterTwoPasses();
  few->BeginPass(60);
  EXPECT_NEAR(few->RemainingSeconds(), passSeconds(60), 1e-9);
  const auto many = afterTwoPasses();
  many->BeginPass(4000);
  EXPECT_GT(many->RemainingSeconds(), passSeconds(4000));
  // Once no pass is to follow, nothing is left.
  many->Finish();
  EXPECT_EQ(many->RemainingSeconds(), 0.0);
}

TEST(PassForecast, ALaterPassIsForecastFromHowTheLastPassSpentItsTime) {
  // The first pass spent 8 of its 10 s on its first 2 of 10 rows. The
  // second, foretold to be the last, took 2 s on each of its first 2 rows,
  // twice as fast: its other 8 rows are forecast at half the 2 s they took
  // then, where an even spread over the rows would say 8 x 2 s.
  PassForecast forecast(100, 10);
  FirstScan(forecast, 10, 0.0, 1000);
  forecast.BeginPass();
  for (int row = 0; row < 10; ++row) forecast.PassRow(100, 10, row < 2 ? 4.0 : 0.25);
  forecast.EndPass(0.0);
  forecast.BeginPass(50);
  for (int row = 0; row < 2; ++row) forecast.PassRow(5, 5, 2.0);
  EXPECT_NEAR(forecast.RemainingSeconds(), 1.0, 1e-9);
}

TEST(PassForecast, ARunningPassMeasuresItsPositionsAndNeverForecastsLessThanItMet) {
  PassForecast forecast(100, 100);
  FirstScan(forecast, 100, 0.0, 10000);
  forecast.BeginPass();
  // The first rows fill the set at 2 ms a position, 2000 times the first
  // guess of a microsecond: the forecast follows the measure.
  const double guessed = forecast.RemainingSeconds();
  for (int row = 0; row < 10; ++row) forecast.PassRow(10, 10, 10 * 2e-3);
  const double measured = forecast.RemainingSeconds();
  EXPECT_GT(measured, 1000 * guessed);
  // A pass that meets far more than the first scan foretold is forecast as
  // at least what it met.
  for (int row = 10; row < 100; ++row) forecast.PassRow(1000, 0, 0.0);
  EXPECT_GE(forecast.RemainingSeconds(), 0.0);
  forecast.EndPass(0.0);
  // 90,100 positions met: more passes follow.
  EXPECT_GT(forecast.RemainingSeconds(), 0.0);
}

TEST(PassForecast, ExpectedSums) {
  struct Case {
    double met, capacity, entering, sums;
  };
  const Case cases[] = {
      {0, 100, 0.35, 0},
      {50, 100, 0.35, 50},  // all enter while there is room
      {100, 100, 0.35, 100},
      {100 * 2.718281828459045, 100, 1, 200},  // random order: C (1 + ln(U / C))
      {100 * 2.718281828459045, 100, 0.5, 150},
  };
  for (const Case& c : cases) EXPECT_NEAR(PassForecast::ExpectedSums(c.met, c.capacity, c.entering), c.sums, 1e-9);
}

}  // namespace
}  // namespace pexora
