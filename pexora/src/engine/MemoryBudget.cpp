#include "engine/MemoryBudget.h"

#include <algorithm>
#include <vector>

#include "core/Limits.h"
#include "core/Match.h"
#include "core/WorkingMemory.h"
#include "engine/CandidateSink.h"
#include "engine/WorkUnits.h"
#include "image/Resample.h"

namespace pexora {

namespace {

// The most that the prepared sizes take at once: the scan prepares each size
// one ahead of its rows and lets it go after its last row, so that a size
// per thread and two more (no more than there are) are held at a time, and
// each thread may be stretching and sorting one.
int64_t HeldTemplateBytes(const Image& target, const SizedTemplates& templates, const CompareSettings& settings,
                          unsigned threads) {
  int64_t held = 0, building = 0;
  for (size_t s = 0; s < templates.Count(); ++s) {
    const TPXDimensions size = templates.Size(s);
    const int64_t pixels = int64_t{size.Width} * size.Height;
    const bool own = size.Width == target.width && size.Height == target.height;
    const int64_t stretch =
        own ? 0 : ResampleWorkingBytes(target.width, target.height, size.Width, size.Height, settings.stretchResampler);
    held = std::max(held, TemplateBytes(pixels));
    building = std::max(building, stretch + TemplateBuildingBytes(pixels));
  }
  const auto sizes = static_cast<int64_t>(templates.Count());
  const int64_t busy = std::min<int64_t>(threads, sizes);
  return std::min<int64_t>(busy + 2, sizes) * held + busy * building;
}

// The work units that the scan lists, with the lists of their matches, and
// per size its row count and progress groups.
int64_t WorkUnitBytes(const TPXRect& area, const SizedTemplates& templates, bool multipleMatches) {
  const int64_t perUnit = int64_t{sizeof(WorkUnit)} + (multipleMatches ? CandidateSink::kBytesPerUnit : 0);
  return CountWorkUnits(area, templates) * perUnit + static_cast<int64_t>(templates.Count()) * 256;
}

}  // namespace

MemoryBudget PlanMemory(const SearchObject& searched, const Image& target, const TPXRect& area,
                        const SizedTemplates& templates, const CompareSettings& settings, unsigned threads,
                        int64_t candidateBytes) {
  MemoryBudget budget;
  budget.preparedBytes = static_cast<int64_t>(searched.NewPlaneBytes(settings.model)) +
                         HeldTemplateBytes(target, templates, settings, threads) +
                         WorkUnitBytes(area, templates, settings.multipleMatches);
  // Kept matches do not overlap: no more than the area holds of the smallest size.
  int64_t smallest = INT64_MAX;
  for (size_t s = 0; s < templates.Count(); ++s) {
    smallest = std::min(smallest, int64_t{templates.Size(s).Width} * templates.Size(s).Height);
  }
  const int64_t mostKept = int64_t{area.Width} * area.Height / smallest;
  budget.maxCandidates = std::min(candidateBytes / int64_t{2 * sizeof(Match)},
                                  CandidatesWithin(kMaxWorkingBytes - budget.preparedBytes, mostKept));
  return budget;
}

}  // namespace pexora
