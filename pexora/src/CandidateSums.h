// The sums of differences of candidates of every size, and their lower
// bounds from box sums, for the merge (MergeByBounds).
#pragma once

#include <list>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "ChannelPlanes.h"
#include "MatchSelection.h"
#include "PlaneSums.h"
#include "SizedTemplates.h"
#include "SumBounds.h"
#include "TemplateRows.h"

namespace pexora {

class CandidateSums : public SumSource {
 public:
  // Bounds only when `sums` is given (they need the box sums of the planes).
  CandidateSums(const ChannelPlanes& planes, const PlaneSums* sums, SizedTemplates& templates);

  int Levels(const Match& m) override;
  uint64_t SumAt(const Match& m, int level) override;

 private:
  struct Held {
    size_t size;
    std::shared_ptr<const SearchTemplate> t;
    TemplateRows rows;
    std::optional<SumBounds> bounds;
  };
  // Size m's template and bounds, prepared unless held.
  Held& For(const Match& m);

  const ChannelPlanes& planes_;
  const PlaneSums* sums_;
  SizedTemplates& templates_;
  std::map<std::pair<int32_t, int32_t>, size_t> sizeIndex_;
  std::list<Held> held_;  // most recently used first
  std::map<size_t, std::list<Held>::iterator> where_;
  int64_t heldBytes_ = 0;
};

}  // namespace pexora
