#include "engine/SearchEngine.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/StatusError.h"
#include "core/WorkingMemory.h"
#include "engine/AllMatches.h"
#include "engine/BestMatchSink.h"
#include "engine/FullScan.h"
#include "engine/MemoryBudget.h"
#include "engine/ProgressReporter.h"
#include "engine/ScanProgress.h"
#include "engine/WorkUnits.h"
#include "scan/SizedTemplates.h"

namespace pexora {

std::vector<Match> Search(const SearchObject& searched, const SearchObject& target, const CompareSettings& settings,
                          unsigned threads, const std::function<void(double)>& progress, PlaneCache& cache,
                          int64_t candidateBytes) {
  ProgressReporter reporter(progress);
  const Image& picture = searched.picture();
  const TPXRect area = settings.region.value_or(TPXRect{0, 0, picture.width, picture.height});
  const unsigned workers = std::max(1u, threads);
  // What only the sizes tell, after the arguments' checks: whether a size
  // fits, then whether the preparation fits the memory before anything is
  // allocated (nothing needs to be prepared when a negative tolerance
  // matches nothing).
  std::vector<TPXDimensions> sizes = SizedTemplates::SizesFor(area, target.picture(), settings);
  if (sizes.empty()) throw StatusError(PX_ERROR_DIMENSIONS);
  SizedTemplates templates(std::move(sizes), picture.width, target.picture(), settings);
  const bool scan = settings.differenceTolerance >= 0;
  const MemoryBudget budget =
      scan ? PlanMemory(searched, target.picture(), area, templates, settings, workers, candidateBytes)
           : MemoryBudget{};
  CheckWorkingBytes(budget.preparedBytes);
  // Every comparison that passes its checks reports 0 first, even one that
  // has nothing to compare; one that fails them reports nothing.
  reporter.Update(0.0);
  std::vector<Match> matches;
  if (scan) {
    const std::shared_ptr<const ChannelPlanes> planes = searched.Planes(settings.model, cache, *settings.stop);
    ScanProgress scanProgress(reporter, area, templates, settings.differenceTolerance, settings.multipleMatches,
                              PassCapacity(budget.maxCandidates));
    ScanJob job{*planes, area, templates, settings, workers, ListWorkUnits(area, templates), scanProgress};
    if (settings.multipleMatches) {
      matches = FindAllMatches(job, budget.maxCandidates);
    } else {
      BestMatchSink best(*planes, area, settings, workers);
      ScanEverySize(job, best, false);
      if (const std::optional<Match> m = best.Best()) matches.push_back(*m);
    }
  }
  if (settings.maximalCount > 0 && matches.size() > size_t(settings.maximalCount)) {
    matches.resize(size_t(settings.maximalCount));
  }
  reporter.Finish();
  return matches;
}

}  // namespace pexora
