#include "engine/AllMatches.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "core/SharedLoop.h"
#include "engine/CandidateSink.h"
#include "engine/PassSink.h"
#include "engine/PassThreshold.h"
#include "merge/BestCandidates.h"
#include "merge/CandidateSums.h"
#include "merge/CoveredArea.h"
#include "merge/KeepBestFirst.h"
#include "merge/MatchSelection.h"
#include "merge/PlaneSums.h"

namespace pexora {

namespace {

// Runs work of the merges on the job's threads, looking for a stop request
// between units on the calling thread.
ParallelFor OnThreads(ScanJob& job) {
  return [&job](size_t count, const std::function<void(size_t)>& body, const std::function<void()>& onCaller) {
    RunShared(count, job.threads, body, [&] {
      job.settings.stop->Check();
      onCaller();
    });
  };
}

// The merge of every collected position at once.
std::vector<Match> MergeCollected(ScanJob& job, std::vector<Match> candidates) {
  const StopToken& stop = *job.settings.stop;
  // Box sums cost about four passes over the searched planes: worth it
  // where the candidates' exact sums would cost more.
  double candidatePixels = 0;
  for (const Match& m : candidates) candidatePixels += double(m.width) * m.height;
  const std::unique_ptr<PlaneSums> sums = candidatePixels > 4.0 * job.planes.width * job.planes.height
                                              ? BoxSumsWithin(job.planes, job.settings, job.threads)
                                              : nullptr;
  CandidateSums source(job.planes, sums.get(), job.templates);
  job.progress.BeginMerge(candidates.size());
  std::vector<Match> kept = MergeByBounds(
      std::move(candidates), source, [&](const MergeProgress& now) { job.progress.Merged(now); }, OnThreads(job), stop);
  job.progress.EndMerge();
  return kept;
}

// Whether a position of some size overlaps no kept match: none left, no
// position is undecided.
bool AnyPlaceLeft(const ScanJob& job, const CoveredArea& covered) {
  const std::vector<int32_t> widest = covered.WidestFree(*job.settings.stop);
  for (size_t s = 0; s < job.templates.Count(); ++s) {
    const TPXDimensions size = job.templates.Size(s);
    if (size.Height <= job.area.Height && widest[static_cast<size_t>(size.Height)] >= size.Width) return true;
  }
  return false;
}

// The merge in passes, keeping the decided matches as the pixels they cover
// rather than as a list to search.
std::vector<Match> MergeInPasses(ScanJob& job, size_t capacity) {
  const StopToken& stop = *job.settings.stop;
  CoveredArea covered(job.area);
  std::vector<Match> kept;
  const std::unique_ptr<PlaneSums> sums = BoxSumsWithin(job.planes, job.settings, job.threads);
  CandidateSums source(job.planes, sums.get(), job.templates);
  // A pass that a first threshold left empty (which the sample's positions
  // better than it rule out) is followed by one without: passes end.
  bool sample = true;
  while (true) {
    const PassStart begun = sample ? PassThreshold(job, covered, source, capacity) : PassStart{};
    const std::optional<Match>& first = begun.threshold;
    BestCandidates best(capacity, stop, first);
    PassSink sink(best, covered, source, job.progress);
    job.progress.BeginPass(begun.undecided);
    ScanEverySize(job, sink, true);
    const auto decidedFrom = std::chrono::steady_clock::now();
    std::vector<Match> batch = best.Take();
    const size_t taken = batch.size();
    // Later passes keep only worse matches, which the count cuts.
    const auto most = static_cast<size_t>(std::max(0, job.settings.maximalCount));
    KeepBestFirst(std::move(batch), covered, kept, most, OnThreads(job), stop);
    job.progress.EndPass(std::chrono::duration<double>(std::chrono::steady_clock::now() - decidedFrom).count());
    // A pass that held fewer than its set holds held every undecided
    // position, unless its first threshold left some out.
    if ((taken < capacity && !first) || (most > 0 && kept.size() >= most) || !AnyPlaceLeft(job, covered)) break;
    sample = taken > 0;
  }
  job.progress.EndPasses();
  return kept;
}

}  // namespace

size_t PassCapacity(int64_t maxCandidates) { return static_cast<size_t>(std::max<int64_t>(1, maxCandidates / 2)); }

std::vector<Match> FindAllMatches(ScanJob& job, int64_t maxCandidates) {
  std::optional<std::vector<Match>> candidates;
  {
    CandidateSink collected(job.units.size(), maxCandidates, job.progress, *job.settings.stop);
    ScanEverySize(job, collected, false);
    if (!collected.Overflowed()) candidates = collected.Gather();
  }
  if (!candidates) return MergeInPasses(job, PassCapacity(maxCandidates));
  return MergeCollected(job, std::move(*candidates));
}

}  // namespace pexora
