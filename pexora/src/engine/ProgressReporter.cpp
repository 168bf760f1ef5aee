#include "engine/ProgressReporter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace pexora {

namespace {

int PercentBelow(double fraction) { return std::min(99, static_cast<int>(std::floor(fraction * 100.0))); }

}  // namespace

double ProgressReporter::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressReporter::ProgressReporter(std::function<void(double)> report, Clock now)
    : report_(std::move(report)), now_(std::move(now)) {}

void ProgressReporter::Update(double fraction) {
  if (!(fraction >= 0.0)) fraction = 0.0;
  fraction = std::min(fraction, 1.0);
  if (fraction >= reach_) {
    reach_ = fraction;
  } else if (fraction > estimate_) {
    reach_ += (1.0 - reach_) * (fraction - estimate_) / (1.0 - estimate_);
  }
  estimate_ = fraction;
  if (const int percent = PercentBelow(fraction); percent > last_) return Report(percent);
  if (PercentBelow(reach_) > last_ && last_ >= 0 && now_() - reportedAt_ >= kLongestQuiet) Report(last_ + 1);
}

void ProgressReporter::Finish() { Report(100); }

void ProgressReporter::Report(int percent) {
  last_ = percent;
  reportedAt_ = now_();
  if (report_) report_(static_cast<double>(percent));
}

}  // namespace pexora
