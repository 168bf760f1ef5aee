// The best few matching positions seen, by the ranking of IsBetterMatch, in
// a set of bounded size that threads fill together.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "Match.h"

namespace pexora {

class BestCandidates {
 public:
  explicit BestCandidates(size_t capacity);

  // The worst one held once the set is full: a candidate that is not better
  // cannot enter. Nothing while there is room.
  std::optional<Match> Threshold() const;

  // Offers candidates with exact sums; the worst ones drop out past capacity.
  void Offer(const std::vector<Match>& candidates);

  // Everything held, best first; the set is left empty.
  std::vector<Match> Take();

  size_t Capacity() const { return capacity_; }

 private:
  const size_t capacity_;
  mutable std::mutex mutex_;
  std::vector<Match> heap_;  // a heap whose top is the worst held
};

}  // namespace pexora
