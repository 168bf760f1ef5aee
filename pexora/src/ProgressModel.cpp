#include "ProgressModel.h"

#include <algorithm>

namespace pexora {

size_t ProgressModel::AddGroup(double units, double priorPerUnit) {
  std::lock_guard lock(mutex_);
  groups_.push_back({units, priorPerUnit, 0, 0});
  return groups_.size() - 1;
}

void ProgressModel::SetGroup(size_t group, double units, double priorPerUnit) {
  std::lock_guard lock(mutex_);
  groups_[group].units = units;
  groups_[group].prior = priorPerUnit;
}

void ProgressModel::Done(size_t group, double seconds) {
  std::lock_guard lock(mutex_);
  groups_[group].done += 1;
  groups_[group].seconds += seconds;
}

double ProgressModel::Fraction() const {
  std::lock_guard lock(mutex_);
  double spent = 0, spentPrior = 0;
  for (const Group& g : groups_) {
    spent += g.seconds;
    spentPrior += g.done * g.prior;
  }
  if (spent <= 0) return 0;
  const double secondsPerPrior = spentPrior > 0 ? spent / spentPrior : 0;
  double remaining = 0;
  for (const Group& g : groups_) {
    const double left = std::max(0.0, g.units - g.done);
    remaining += left * (g.done > 0 ? g.seconds / g.done : g.prior * secondsPerPrior);
  }
  return spent / (spent + remaining);
}

}  // namespace pexora
