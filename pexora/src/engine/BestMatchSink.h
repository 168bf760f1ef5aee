// The best match so far, for a comparison that wants one match: a matching
// position needs its sum of differences only when it can still beat the best
// so far, and only as far as the best one's. A position of the best's
// percentage is first bounded (SumBounds, from box sums of the searched
// planes, made when first needed): one whose bound passes the best's sum
// cannot win and is never summed.
//
// Where no pixel of a size can differ (every tolerance wide open), every
// position matches at 100 % and only sums rank them, as correlation does: the
// first row of such a size seeds the best with the exact sums of the
// positions of least bound on a coarse grid and of their neighbours, so that
// the bounds prune from the start rather than from wherever the scan meets a
// good match.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "core/Match.h"
#include "core/StopToken.h"
#include "engine/RowSink.h"
#include "image/ChannelPlanes.h"
#include "merge/PlaneSums.h"
#include "merge/SumBounds.h"
#include "merge/TemplateRows.h"
#include "scan/CompareSettings.h"
#include "scan/ComparedChannels.h"

namespace pexora {

class BestMatchSink : public RowSink {
 public:
  // For the positions inside `area` of `planes`; the box sums are made on
  // up to `threads` threads.
  BestMatchSink(const ChannelPlanes& planes, const TPXRect& area, const CompareSettings& settings, unsigned threads)
      : planes_(planes), area_(area), settings_(settings), threads_(threads), stop_(*settings.stop) {}

  void Take(const ScannedRow& row) override;

  // Nothing when no position matched.
  std::optional<Match> Best() const;

 private:
  // What the sums of one size need: its rows, and its bounds when there are
  // box sums.
  struct SizeSums {
    SizeSums(const SearchTemplate& t, int firstChannel, const PlaneSums* sums)
        : rows(t, firstChannel),
          bounds(sums != nullptr ? std::make_unique<const SumBounds>(t, firstChannel) : nullptr) {}
    const TemplateRows rows;
    const std::unique_ptr<const SumBounds> bounds;
    std::once_flag seeded;
  };

  // The box sums, made by the first row that needs them; null when they
  // would take too much memory.
  const PlaneSums* Sums();
  // The sums of the row's size, made by the first row that asks.
  std::shared_ptr<SizeSums> SumsFor(const SearchTemplate& t, const PlaneSums* sums);
  void Seed(const SearchTemplate& t, const PlaneSums& sums, const SizeSums& size);
  // Offers a match with its exact sum.
  void Offer(const Match& m);
  Match Snapshot() const;

  const ChannelPlanes& planes_;
  const TPXRect area_;
  const CompareSettings& settings_;
  const unsigned threads_;
  const StopToken& stop_;
  std::once_flag sumsMade_;
  std::unique_ptr<const PlaneSums> sums_;
  mutable std::mutex mutex_;
  Match best_;  // compared 0 until something matched
  // By size, under mutex_; those made before the box sums have no bounds.
  std::map<std::pair<int32_t, int32_t>, std::shared_ptr<SizeSums>> sizes_;
};

}  // namespace pexora
