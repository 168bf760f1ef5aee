#include "engine/PassThreshold.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "merge/MatchSelection.h"
#include "scan/PositionScan.h"

namespace pexora {

namespace {

// Sampled positions expected better than the set's worst, at least and as
// the sample's size aims; a sample costs at most this share of a set's sums.
constexpr double kAimedSamples = 64, kLeastAimed = 8, kMostShareOfSet = 0.25;
constexpr size_t kLeastSample = 4096, kMostSample = size_t{1} << 18;
// The share of the set that the threshold aims to fill: aiming at a third
// takes more passes than aiming at all of it but saves more sums than the
// passes cost (docs/library.md, *Measured constants*).
constexpr double kAimedFill = 0.3;

struct Sampled {
  size_t size;
  int32_t x, y;
};

}  // namespace

PassStart PassThreshold(ScanJob& job, const CoveredArea& covered, CandidateSums& sums, size_t capacity) {
  const StopToken& stop = *job.settings.stop;
  std::vector<uint64_t> before(job.templates.Count() + 1, 0);  // placements of the sizes before each
  for (size_t s = 0; s < job.templates.Count(); ++s) {
    const TPXDimensions d = job.templates.Size(s);
    const int64_t columns = job.area.Width - d.Width + 1, rows = job.area.Height - d.Height + 1;
    before[s + 1] = before[s] + (columns > 0 && rows > 0 ? uint64_t(columns) * uint64_t(rows) : 0);
  }
  const double placements = double(before.back()), share = double(capacity) / std::max(1.0, placements);
  const auto count =
      static_cast<size_t>(std::min(kMostShareOfSet * double(capacity),
                                   std::clamp(kAimedSamples / share, double(kLeastSample), double(kMostSample))));
  const auto aimed = static_cast<size_t>(kAimedFill * double(count) * share);
  if (share >= 1 || double(aimed) < kLeastAimed) return {};

  // Evenly at random over every placement of every size, the same for the
  // same search; taken a size at a time.
  std::mt19937_64 random(before.back());
  std::vector<Sampled> sample(count);
  for (Sampled& p : sample) {
    const uint64_t at = random() % before.back();
    p.size = static_cast<size_t>(std::upper_bound(before.begin(), before.end(), at) - before.begin()) - 1;
    const auto columns = uint64_t(job.area.Width - job.templates.Size(p.size).Width + 1);
    p.x = job.area.X + int32_t((at - before[p.size]) % columns);
    p.y = job.area.Y + int32_t((at - before[p.size]) / columns);
  }
  std::sort(sample.begin(), sample.end(), [](const Sampled& a, const Sampled& b) { return a.size < b.size; });
  std::vector<Match> undecided;
  for (size_t i = 0; i < sample.size();) {
    const size_t size = sample[i].size;
    const std::shared_ptr<const SearchTemplate> t = job.templates.Acquire(size);
    const int64_t tolerance = MatchTolerance(job, *t);
    for (; i < sample.size() && sample[i].size == size; ++i) {
      stop.Check();
      Match m{sample[i].x, sample[i].y, t->width, t->height, 0, t->Compared(), 0};
      if (t->Compared() <= 0 || covered.AnyCovered(m)) continue;
      ScanRow(job.planes, *t, m.y, m.x, 1, tolerance, &m.difference, stop);
      if (m.difference > tolerance) continue;
      m.sum = sums.SumAt(m, sums.Levels(m));
      undecided.push_back(m);
    }
    job.templates.Release(size);
  }
  PassStart start{std::nullopt, double(undecided.size()) * placements / double(count)};
  // The set holds every undecided position, as far as the sample tells.
  if (double(undecided.size()) <= double(count) * share) return start;
  std::nth_element(undecided.begin(), undecided.begin() + static_cast<std::ptrdiff_t>(aimed - 1), undecided.end(),
                   IsBetterMatch);
  start.threshold = undecided[aimed - 1];
  return start;
}

}  // namespace pexora
