// Progress reports to the caller's status callback: whole percents, never
// decreasing, each at most once, ending at exactly 100.
#pragma once

#include <functional>

namespace pexora {

class ProgressReporter {
 public:
  // Seconds from some fixed point.
  using Clock = std::function<double()>;
  static double SteadySeconds();

  // The longest the bar stands still while the estimate, behind it, moves.
  static constexpr double kLongestQuiet = 0.5;

  explicit ProgressReporter(std::function<void(double)> report, Clock now = SteadySeconds);

  // Takes a new estimate of how far the work is (0..1) and reports the whole
  // percent below it if that is new. An estimate behind the bar (a forecast
  // that grew) holds the bar, except that once it has stood still for
  // kLongestQuiet the bar moves on by a percent, as far as the estimate has
  // moved through what was left of it since it fell behind. Values at or
  // above 1 report 99 at most, since only Finish reports 100.
  void Update(double fraction);
  void Finish();

 private:
  void Report(int percent);

  std::function<void(double)> report_;
  Clock now_;
  // How far the bar may go: the estimate while it leads, else moved
  // through what is left of the bar as the estimate moves through what is
  // left of it.
  double reach_ = 0, estimate_ = 0;
  double reportedAt_ = 0;
  int last_ = -1;
};

}  // namespace pexora
