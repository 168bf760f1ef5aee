// The best few matching positions seen, by the ranking of IsBetterMatch, in
// a set of bounded size that threads fill together. Offered candidates are
// appended, and the best `capacity` are selected again only once half as many
// more have come: a selection costs a few comparisons per candidate, where
// a heap took two dozen under the lock that the threads share.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"

namespace pexora {

class BestCandidates {
 public:
  // Its selections check `stop` every few thousand comparisons. A candidate
  // not better than `first` never enters, even while there is room.
  explicit BestCandidates(size_t capacity, const StopToken& stop = StopToken::Never(),
                          std::optional<Match> first = std::nullopt);

  // The worst of the best `capacity` held at the last selection once the set
  // is full, before that `first`: a candidate that is not better cannot
  // enter. Nothing while there is room and no `first`.
  std::optional<Match> Threshold() const;

  // Offers candidates with exact sums; the worst ones drop out past capacity.
  void Offer(const std::vector<Match>& candidates);

  // The best `capacity` of all offered (or all, if fewer), in no particular
  // order; the set is left empty.
  std::vector<Match> Take();

 private:
  void Select();

  const size_t capacity_;
  const StopToken& stop_;
  mutable std::mutex mutex_;
  std::vector<Match> held_;  // the best selected, then those offered since
  std::optional<Match> threshold_;
  bool selected_ = false;
};

}  // namespace pexora
