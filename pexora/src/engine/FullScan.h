// One scan of every position of every size of the search-for picture, on
// one or several threads: each size prepared one ahead of its rows and let go
// after its last row, each row's differing pixels handed to one sink.
#pragma once

#include <vector>

#include "engine/RowSink.h"
#include "engine/ScanProgress.h"
#include "engine/WorkUnits.h"
#include "image/ChannelPlanes.h"
#include "scan/CompareSettings.h"
#include "scan/SizedTemplates.h"

namespace pexora {

// What every scan of a comparison shares.
struct ScanJob {
  const ChannelPlanes& planes;
  TPXRect area;  // the positions whose rectangle lies inside it
  SizedTemplates& templates;
  const CompareSettings& settings;
  unsigned threads;
  std::vector<WorkUnit> units;  // ListWorkUnits(area, templates)
  ScanProgress& progress;
};

// The most differing pixels at which a position of t matches: the
// difference tolerance, or less where the minimal percentage asks for less.
int64_t MatchTolerance(const ScanJob& job, const SearchTemplate& t);

// Scans every unit of the job into `sink`, reporting progress between the
// calling thread's units. `pass`: the scan of a pass of the merge in passes.
void ScanEverySize(ScanJob& job, RowSink& sink, bool pass);

}  // namespace pexora
