#include "merge/BestCandidates.h"

#include <algorithm>

#include "merge/MatchSelection.h"

namespace pexora {

BestCandidates::BestCandidates(size_t capacity, const StopToken& stop, std::optional<Match> first)
    : capacity_(std::max<size_t>(1, capacity)), stop_(stop), threshold_(first) {
  // Reserved at once: growing by doubling would hold two copies at a time.
  // Pages are touched only as candidates come.
  held_.reserve(capacity_ + capacity_ / 2 + 1);
}

std::optional<Match> BestCandidates::Threshold() const {
  std::lock_guard lock(mutex_);
  return threshold_;
}

void BestCandidates::Select() {
  uint32_t compared = 0;
  std::nth_element(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(capacity_ - 1), held_.end(),
                   Stoppable<Match>(IsBetterMatch, stop_, compared));
  held_.resize(capacity_);
  threshold_ = held_.back();
  selected_ = true;
}

void BestCandidates::Offer(const std::vector<Match>& candidates) {
  if (candidates.empty()) return;
  std::lock_guard lock(mutex_);
  for (const Match& m : candidates) {
    if (threshold_ && !IsBetterMatch(m, *threshold_)) continue;
    held_.push_back(m);
    if (held_.size() == capacity_ ? !selected_ : held_.size() > capacity_ + capacity_ / 2) Select();
  }
}

std::vector<Match> BestCandidates::Take() {
  std::lock_guard lock(mutex_);
  if (held_.size() > capacity_) Select();
  std::vector<Match> all;
  all.swap(held_);
  threshold_.reset();
  selected_ = false;
  return all;
}

}  // namespace pexora
