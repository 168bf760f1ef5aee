// The progress of one comparison: its groups of work, their prior costs and
// the forecast of a merge in passes, in one place. The scan, the sinks of
// its rows and the merges tell it what they did, from any thread; Report,
// on the calling thread, hands the share of time spent to the reporter.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "engine/ProgressModel.h"
#include "engine/ProgressReporter.h"
#include "merge/MatchSelection.h"
#include "merge/PassForecast.h"
#include "pexora/pexora.h"
#include "scan/SizedTemplates.h"

namespace pexora {

class ScanProgress {
 public:
  // A comparison of `templates` over `area`; with MultipleMatches, whose
  // passes (if it needs them) keep `passCapacity` positions each.
  ScanProgress(ProgressReporter& reporter, const TPXRect& area, const SizedTemplates& templates,
               int64_t differenceTolerance, bool multipleMatches, size_t passCapacity);

  // A scan of every size begins: the first one, or that of a pass.
  void BeginScan(bool pass);
  void Prepared(size_t size, double seconds);
  void Scanned(size_t size, double seconds);

  // The first scan collected `candidates` positions in its first `rows`
  // rows, which foretell the merge's work.
  void Collected(double candidates, double rows);
  // The first scan passed the room for collected positions after `rows`
  // rows and `matching` positions: the merge will run in passes.
  void Overflowed(double rows, double matching);
  // A row of the first scan, past that room, met `matching` positions in `seconds`.
  void OverflowRow(double matching, double seconds);

  // A pass begins, foretold to meet `expectedMet` positions (below 0: not foretold).
  void BeginPass(double expectedMet);
  void PassRow(double met, double summed, double seconds);
  void EndPass(double seconds);
  // The merge in passes needs no further pass.
  void EndPasses();

  // The merge of the collected positions: `candidates` of them, then how far it is.
  void BeginMerge(size_t candidates);
  void Merged(const MergeProgress& now);
  void EndMerge();

  // On the calling thread: reports the share of time spent.
  void Report();

 private:
  ProgressReporter& reporter_;
  const TPXRect area_;
  const SizedTemplates& templates_;
  const double tolerance_;
  ProgressModel model_;
  std::vector<size_t> prepareGroup_, rowGroup_;
  // passesGroup_ holds the forecast of the passes, passesSpent_ their time.
  size_t boundGroup_ = 0, decideGroup_ = 0, passesGroup_ = 0, passesSpent_ = 0;
  std::unique_ptr<PassForecast> forecast_;  // with MultipleMatches
  double rowsTotal_ = 0;
  std::atomic<bool> overflow_{false};
  // The merge's last report, and when it came.
  MergeProgress reported_;
  std::chrono::steady_clock::time_point reportedAt_;
};

}  // namespace pexora
