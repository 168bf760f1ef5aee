// The sums of differences of candidates of every size, and their lower
// bounds from box sums, for the merge (MergeByBounds); safe to use from
// several threads at once.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "image/ChannelPlanes.h"
#include "merge/MatchSelection.h"
#include "merge/PlaneSums.h"
#include "merge/SumBounds.h"
#include "merge/TemplateRows.h"
#include "scan/ComparedChannels.h"
#include "scan/SizedTemplates.h"

namespace pexora {

class CandidateSums : public SumSource {
 public:
  // Bounds only when `sums` is given (they need the box sums of the planes).
  CandidateSums(const ChannelPlanes& planes, const PlaneSums* sums, SizedTemplates& templates);
  ~CandidateSums() override;

  int Levels(const Match& m) override;
  uint64_t SumAt(const Match& m, int level) override;

  // Through BoundsOfRow, in vector registers.
  bool RowBounds(const Match& first, int level, int32_t count, uint32_t* out) override;
  // m's sum, exact up to `limit` and above it once it passes.
  uint64_t SumWithin(const Match& m, uint64_t limit);

 private:
  struct Prepared {
    Prepared(std::shared_ptr<const SearchTemplate> made, const ChannelPlanes& planes, bool withBounds);
    std::shared_ptr<const SearchTemplate> t;
    TemplateRows rows;
    std::optional<SumBounds> bounds;
  };
  struct Held {
    size_t size;
    std::shared_ptr<const Prepared> prepared;
  };
  // Size m prepared for sums, made unless held.
  std::shared_ptr<const Prepared> For(const Match& m);
  // Calls body with size m prepared: when every size fits into the memory
  // for held sizes, each is made once when first needed and kept (nothing to
  // lock after that), else through For.
  template <typename Body>
  auto With(const Match& m, const Body& body) {
    if (!all_.empty()) {
      const size_t s = sizeIndex_.at({m.width, m.height});
      std::call_once(made_[s], [&] { all_[s] = Make(s); });
      return body(*all_[s]);
    }
    const std::shared_ptr<const Prepared> p = For(m);
    return body(*p);
  }
  std::shared_ptr<const Prepared> Make(size_t size);

  const ChannelPlanes& planes_;
  const PlaneSums* sums_;
  SizedTemplates& templates_;
  std::map<std::pair<int32_t, int32_t>, size_t> sizeIndex_;
  std::mutex mutex_;
  std::list<Held> held_;  // most recently used first
  std::map<size_t, std::list<Held>::iterator> where_;
  int64_t heldBytes_ = 0;
  std::vector<std::shared_ptr<const Prepared>> all_;  // by size, when they all fit
  std::vector<std::once_flag> made_;
};

}  // namespace pexora
