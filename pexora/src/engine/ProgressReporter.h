// Progress reports to the caller's status callback: whole percents, never
// decreasing, each at most once, ending at exactly 100.
#pragma once

#include <functional>

namespace pexora {

class ProgressReporter {
 public:
  explicit ProgressReporter(std::function<void(double)> report) : report_(std::move(report)) {}

  // Reports the whole percent below fraction * 100 if it is new; values at or
  // above 1 report 99 at most, since only Finish reports 100.
  void Update(double fraction);
  void Finish();

 private:
  std::function<void(double)> report_;
  int last_ = -1;
};

}  // namespace pexora
