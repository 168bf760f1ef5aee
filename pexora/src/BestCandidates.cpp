#include "BestCandidates.h"

#include <algorithm>

#include "MatchSelection.h"

namespace pexora {

BestCandidates::BestCandidates(size_t capacity) : capacity_(std::max<size_t>(1, capacity)) {}

std::optional<Match> BestCandidates::Threshold() const {
  std::lock_guard lock(mutex_);
  if (heap_.size() < capacity_) return std::nullopt;
  return heap_.front();
}

void BestCandidates::Offer(const std::vector<Match>& candidates) {
  if (candidates.empty()) return;
  std::lock_guard lock(mutex_);
  for (const Match& m : candidates) {
    if (heap_.size() < capacity_) {
      heap_.push_back(m);
      std::push_heap(heap_.begin(), heap_.end(), IsBetterMatch);
    } else if (IsBetterMatch(m, heap_.front())) {
      std::pop_heap(heap_.begin(), heap_.end(), IsBetterMatch);
      heap_.back() = m;
      std::push_heap(heap_.begin(), heap_.end(), IsBetterMatch);
    }
  }
}

std::vector<Match> BestCandidates::Take() {
  std::lock_guard lock(mutex_);
  std::vector<Match> all;
  all.swap(heap_);
  std::sort(all.begin(), all.end(), IsBetterMatch);
  return all;
}

}  // namespace pexora
