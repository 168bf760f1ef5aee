#include "engine/ProgressModel.h"

#include <algorithm>

namespace pexora {

size_t ProgressModel::AddGroup(int kind, double units, double priorPerUnit) {
  std::lock_guard lock(mutex_);
  groups_.push_back({kind, units, priorPerUnit, 0, 0});
  byKind_.resize(std::max(byKind_.size(), static_cast<size_t>(kind) + 1));
  return groups_.size() - 1;
}

void ProgressModel::SetGroup(size_t group, double units, double priorPerUnit) {
  std::lock_guard lock(mutex_);
  groups_[group].units = units;
  groups_[group].prior = priorPerUnit;
}

void ProgressModel::SetFirstGuess(int kind, double secondsPerPrior) {
  std::lock_guard lock(mutex_);
  firstGuess_[kind] = secondsPerPrior;
}

void ProgressModel::Done(size_t group, double seconds, double units) {
  std::lock_guard lock(mutex_);
  groups_[group].done += units;
  groups_[group].seconds += seconds;
}

double ProgressModel::Fraction() const {
  std::lock_guard lock(mutex_);
  // Seconds and prior spent by kind, in room kept from call to call: the
  // scan asks between every two units.
  std::vector<std::pair<double, double>>& byKind = byKind_;
  byKind.assign(byKind.size(), {0.0, 0.0});
  double spent = 0, spentPrior = 0;
  for (const Group& g : groups_) {
    spent += g.seconds;
    spentPrior += g.done * g.prior;
    byKind[static_cast<size_t>(g.kind)].first += g.seconds;
    byKind[static_cast<size_t>(g.kind)].second += g.done * g.prior;
  }
  if (spent <= 0) return 0;
  double remaining = 0;
  for (const Group& g : groups_) {
    const double left = std::max(0.0, g.units - g.done);
    if (left == 0) continue;
    if (g.done > 0) {
      remaining += left * g.seconds / g.done;
      continue;
    }
    const auto& [seconds, prior] = byKind[static_cast<size_t>(g.kind)];
    const auto guess = firstGuess_.find(g.kind);
    const double perPrior = prior > 0                    ? seconds / prior
                            : guess != firstGuess_.end() ? guess->second
                            : spentPrior > 0             ? spent / spentPrior
                                                         : 0;
    remaining += left * g.prior * perPrior;
  }
  return spent / (spent + remaining);
}

}  // namespace pexora
