#include "merge/PassForecast.h"

#include <algorithm>
#include <cmath>

namespace pexora {

namespace {

// A summed position's time, a bounded one's share of it, the share of the
// last pass's positions that the next pass meets, and the share of sums
// needed once the set is full (sizes come smallest first, and larger sizes
// have larger sums). The first three are first guesses until a pass
// measures them (how they were measured: docs/library.md, *Measured
// constants*).
constexpr double kSumSeconds = 1e-6;
constexpr double kBoundShareOfSum = 0.2;
constexpr double kShare = 0.25;
constexpr double kEnteringShare = 0.35;
constexpr double kMostShare = 0.9;
constexpr int kMostPasses = 64;

}  // namespace

PassForecast::PassForecast(double capacity, double rows) : capacity_(std::max(1.0, capacity)), rows_(rows) {}

double PassForecast::ExpectedSums(double met, double capacity, double entering) {
  return met <= capacity ? met : capacity * (1 + entering * std::log(met / capacity));
}

void PassForecast::FirstScanRows(double rows, double matching) {
  std::lock_guard lock(mutex_);
  scanRows_ += rows;
  matching_ += matching;
}

void PassForecast::FirstScanRow(double matching, double seconds) {
  std::lock_guard lock(mutex_);
  scanRows_ += 1;
  timedRows_ += 1;
  scanSeconds_ += seconds;
  matching_ += matching;
}

void PassForecast::BeginPass(double expectedMet) {
  std::lock_guard lock(mutex_);
  running_ = true;
  expected_ = expectedMet;
  current_ = {};
  profile_.assign(1, 0.0);
}

void PassForecast::PassRow(double met, double summed, double seconds) {
  std::lock_guard lock(mutex_);
  current_.rows += 1;
  profile_.push_back(profile_.back() + seconds);
  current_.met += met;
  current_.summed += summed;
  // What the row took beyond a row of the first scan goes to its positions.
  work_ += summed + kBoundShareOfSum * (met - summed);
  workSeconds_ += std::max(0.0, seconds - RowRate());
}

void PassForecast::EndPass(double seconds) {
  std::lock_guard lock(mutex_);
  running_ = false;
  met_.push_back(current_.met);
  lastProfile_.swap(profile_);
  endSeconds_ += seconds;
}

double PassForecast::RowRate() const { return timedRows_ > 0 ? scanSeconds_ / timedRows_ : 0; }
double PassForecast::SumRate() const { return work_ > 0 ? workSeconds_ / work_ : kSumSeconds; }

double PassForecast::Entering(double met, const Pass& done) const {
  // A pass under way tells as far as it got past capacity, the first guess
  // the rest: each by its share of the logarithm of all it will meet.
  if (done.met <= capacity_ || met <= capacity_) return kEnteringShare;
  const double past = std::log(done.met / capacity_), all = std::max(past, std::log(met / capacity_));
  const double measured = std::max(0.0, done.summed - capacity_) / (capacity_ * past);
  return (measured * past + kEnteringShare * (all - past)) / all;
}
double PassForecast::EndRate() const { return met_.empty() ? 0 : endSeconds_ / double(met_.size()); }
double PassForecast::Matching() const { return scanRows_ > 0 ? matching_ * rows_ / scanRows_ : 0; }

double PassForecast::Share() const {
  if (met_.size() < 2 || met_[met_.size() - 2] <= 0) return kShare;
  return std::min(kMostShare, met_.back() / met_[met_.size() - 2]);
}

double PassForecast::PassSeconds(double met, const Pass& done, double rows) const {
  const double sums = ExpectedSums(met, capacity_, Entering(met, done));
  const double sumsLeft = std::max(0.0, sums - done.summed);
  const double boundsLeft = std::max(0.0, met - sums - (done.met - done.summed));
  return rows * RowRate() + (sumsLeft + kBoundShareOfSum * boundsLeft) * SumRate() + EndRate();
}

void PassForecast::Finish() {
  std::lock_guard lock(mutex_);
  finished_ = true;
}

double PassForecast::RemainingSeconds() const {
  std::lock_guard lock(mutex_);
  if (finished_) return 0;
  double remaining = 0, met = 0;
  if (running_) {
    // What a sample told, else: the first pass meets every matching
    // position, a later one a share of what the last one met (its rows tell
    // too little: the sizes come in order, and the small ones meet the
    // most); or what it has met so far.
    const double foretold = expected_ >= 0 ? expected_ : met_.empty() ? Matching() : met_.back() * Share();
    met = std::max(current_.met, foretold);
    const size_t rows = profile_.size() - 1;
    if (rows > 0 && rows < lastProfile_.size() && lastProfile_[rows] > 0) {
      remaining = profile_.back() * (lastProfile_.back() - lastProfile_[rows]) / lastProfile_[rows] + EndRate();
    } else {
      remaining = PassSeconds(met, current_, std::max(0.0, rows_ - current_.rows));
    }
  } else if (met_.empty()) {
    met = Matching();
    remaining = PassSeconds(met, {}, rows_);
  } else {
    met = met_.back();
  }
  const double share = Share();
  for (int pass = 0; met >= capacity_ && pass < kMostPasses; ++pass) {
    met *= share;
    remaining += PassSeconds(met, {}, rows_);
  }
  return remaining;
}

}  // namespace pexora
