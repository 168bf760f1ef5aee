#include "engine/FullScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

#include "core/SharedLoop.h"
#include "scan/MatchPercentage.h"
#include "scan/PositionScan.h"

namespace pexora {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void ScanRowInto(const ScanJob& job, const SearchTemplate& t, int32_t y, size_t unit, RowSink& sink) {
  const Clock::time_point start = Clock::now();
  if (sink.Skips(t, y)) return sink.Take({t, job.area.X, y, 0, nullptr, 0, unit, start});
  const int32_t positions = job.area.Width - t.width + 1;
  const int64_t tolerance = MatchTolerance(job, t);
  thread_local std::vector<int64_t> differences;
  differences.resize(static_cast<size_t>(positions));
  ScanRow(job.planes, t, y, job.area.X, positions, tolerance, differences.data(), *job.settings.stop);
  sink.Take({t, job.area.X, y, positions, differences.data(), tolerance, unit, start});
}

}  // namespace

int64_t MatchTolerance(const ScanJob& job, const SearchTemplate& t) {
  // A position matches when its difference is within the tolerance and its
  // percentage reaches the minimal one.
  return std::min<int64_t>(job.settings.differenceTolerance,
                           DifferenceLimit(t.Compared(), job.settings.minimalPercentage));
}

void ScanEverySize(ScanJob& job, RowSink& sink, bool pass) {
  const StopToken& stop = *job.settings.stop;
  job.progress.BeginScan(pass);
  std::vector<std::atomic<int32_t>> remainingRows(job.templates.Count());
  for (size_t s = 0; s < remainingRows.size(); ++s)
    remainingRows[s] = job.area.Height - job.templates.Size(s).Height + 1;
  const auto run = [&](size_t index) {
    stop.Check();
    const WorkUnit& unit = job.units[index];
    const Clock::time_point start = Clock::now();
    if (unit.row < 0) {
      if (remainingRows[unit.size].load() > 0) job.templates.Acquire(unit.size);
      return job.progress.Prepared(unit.size, SecondsSince(start));
    }
    {
      const std::shared_ptr<const SearchTemplate> t = job.templates.Acquire(unit.size);
      if (t->Compared() > 0) ScanRowInto(job, *t, unit.row, index, sink);
    }
    if (--remainingRows[unit.size] == 0) job.templates.Release(unit.size);
    job.progress.Scanned(unit.size, SecondsSince(start));
  };
  RunShared(job.units.size(), job.threads, run, [&] {
    stop.Check();
    job.progress.Report();
  });
}

}  // namespace pexora
