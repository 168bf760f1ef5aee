#include "engine/BestMatchSink.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "merge/BoundRows.h"
#include "merge/MatchSelection.h"
#include "merge/RowSums.h"

namespace pexora {

namespace {

// The seed's grid: every kSeedStep-th position of every kSeedStep-th row;
// the kSeedCount of least bound get their exact sums.
constexpr int32_t kSeedStep = 4;
constexpr size_t kSeedCount = 32;
// Search-for pixels summed between two looks for a stop request: some 50 to
// 300 microseconds.
constexpr int64_t kStopInterval = int64_t{1} << 18;

}  // namespace

Match BestMatchSink::Snapshot() const {
  std::lock_guard lock(mutex_);
  return best_;
}

void BestMatchSink::Offer(const Match& m) {
  std::lock_guard lock(mutex_);
  if (best_.compared == 0 || IsBetterMatch(m, best_)) best_ = m;
}

const PlaneSums* BestMatchSink::Sums() {
  std::call_once(sumsMade_, [&] { sums_ = BoxSumsWithin(planes_, settings_); });
  return sums_.get();
}

std::shared_ptr<BestMatchSink::SizeSums> BestMatchSink::SumsFor(const SearchTemplate& t, const PlaneSums* sums) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<SizeSums>& made = sizes_[{t.width, t.height}];
  // Made again with bounds once there are box sums; a row that holds the
  // old one keeps it.
  if (!made || (sums != nullptr && !made->bounds)) made = std::make_shared<SizeSums>(t, sums);
  return made;
}

void BestMatchSink::Seed(const SearchTemplate& t, const PlaneSums& sums, const SizeSums& size) {
  if (size.bounds->Levels() == 0) return;
  struct Bounded {
    uint64_t bound;
    int32_t x, y;
  };
  std::vector<Bounded> grid;
  const int32_t lastX = area_.X + area_.Width - t.width, lastY = area_.Y + area_.Height - t.height;
  for (int32_t y = area_.Y; y <= lastY; y += kSeedStep) {
    stop_.Check();
    for (int32_t x = area_.X; x <= lastX; x += kSeedStep) grid.push_back({size.bounds->Bound(sums, 0, x, y), x, y});
  }
  const size_t count = std::min(kSeedCount, grid.size());
  std::partial_sort(grid.begin(), grid.begin() + static_cast<std::ptrdiff_t>(count), grid.end(),
                    [](const Bounded& a, const Bounded& b) { return a.bound < b.bound; });
  Match best = Snapshot();
  for (size_t i = 0; i < count; ++i) {
    stop_.Check();
    // No pixel can differ: the position matches, at 100 %.
    Match m{grid[i].x, grid[i].y, t.width, t.height, 0, t.Compared(), 0};
    const bool better = best.compared == 0 || CompareFraction(m, best) > 0;
    m.sum = SumOfDifferencesByRows(planes_, size.rows, m.x, m.y, better ? UINT64_MAX : best.sum);
    if (better || IsBetterMatch(m, best)) best = m;
  }
  Offer(best);
}

void BestMatchSink::Take(const ScannedRow& row) {
  Match best = Snapshot();
  // Bounds pay once something matched, or to seed a size whose every
  // position matches.
  const PlaneSums* sums = best.compared > 0 || row.t.tested == 0 ? Sums() : nullptr;
  const std::shared_ptr<SizeSums> held = SumsFor(row.t, sums);
  SizeSums& size = *held;
  if (sums != nullptr && row.t.tested == 0) {
    std::call_once(size.seeded, [&] { Seed(row.t, *sums, size); });
    best = Snapshot();
  }
  const SumBounds* const bounds = sums != nullptr ? size.bounds.get() : nullptr;
  const int levels = bounds != nullptr ? bounds->Levels() : 0;
  // The first level for the whole row at once, once something matched.
  thread_local std::vector<uint32_t> firstBounds;
  const bool rowBounded = levels > 0 && best.compared > 0;
  if (rowBounded) {
    firstBounds.resize(static_cast<size_t>(row.positions));
    FirstBoundsOfRow(*sums, *bounds, row.x0, row.y, row.positions, firstBounds.data());
  }
  const int64_t pixels = row.t.Compared();
  int64_t sinceStop = 0;
  bool improved = false;
  for (int32_t i = 0; i < row.positions; ++i) {
    if (row.differences[i] > row.tolerance) continue;
    Match m = row.MatchAt(i);
    const int fraction = best.compared > 0 ? CompareFraction(m, best) : 1;
    if (fraction < 0) continue;
    // Of the best's percentage, a position whose bound passes its sum loses.
    bool loses = fraction == 0 && rowBounded && firstBounds[static_cast<size_t>(i)] > best.sum;
    for (int level = rowBounded ? 1 : 0; fraction == 0 && level < levels && !loses; ++level) {
      loses = bounds->Bound(*sums, level, m.x, m.y) > best.sum;
    }
    if (loses) continue;
    if ((sinceStop += pixels) >= kStopInterval) {
      sinceStop = 0;
      stop_.Check();
    }
    m.sum = SumOfDifferencesByRows(planes_, size.rows, m.x, m.y, fraction > 0 ? UINT64_MAX : best.sum);
    if (fraction > 0 || IsBetterMatch(m, best)) {
      best = m;
      improved = true;
    }
  }
  if (improved) Offer(best);
}

std::optional<Match> BestMatchSink::Best() const {
  const Match best = Snapshot();
  if (best.compared == 0) return std::nullopt;
  return best;
}

}  // namespace pexora
