// The best match so far, for a comparison that wants one match: a matching
// position needs its sum of differences only when it can still beat the best
// so far, and only as far as the best one's.
#pragma once

#include <mutex>
#include <optional>

#include "core/Match.h"
#include "core/StopToken.h"
#include "engine/RowSink.h"
#include "image/ChannelPlanes.h"

namespace pexora {

class BestMatchSink : public RowSink {
 public:
  BestMatchSink(const ChannelPlanes& planes, const StopToken& stop) : planes_(planes), stop_(stop) {}

  void Take(const ScannedRow& row) override;

  // Nothing when no position matched.
  std::optional<Match> Best() const;

 private:
  const ChannelPlanes& planes_;
  const StopToken& stop_;
  mutable std::mutex mutex_;
  Match best_;  // compared 0 until something matched
};

}  // namespace pexora
