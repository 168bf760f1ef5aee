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
// the kSeedBounded of least first bound get their second, and the
// kSeedCount of least second bound get their sums, with their neighbours.
constexpr int32_t kSeedStep = 4;
constexpr size_t kSeedBounded = 256;
constexpr size_t kSeedCount = 8;
// The second level of bounds goes a row at a time where more than one
// position in kRowLevelShare passes the first.
constexpr int32_t kRowLevelShare = 8;
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
  std::call_once(sumsMade_, [&] { sums_ = BoxSumsWithin(planes_, settings_, threads_); });
  return sums_.get();
}

std::shared_ptr<BestMatchSink::SizeSums> BestMatchSink::SumsFor(const SearchTemplate& t, const PlaneSums* sums) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<SizeSums>& made = sizes_[{t.width, t.height}];
  // Made again with bounds once there are box sums; a row that holds the
  // old one keeps it.
  if (!made || (sums != nullptr && !made->bounds))
    made = std::make_shared<SizeSums>(t, FirstSummedChannel(planes_, t), sums);
  return made;
}

void BestMatchSink::Seed(const SearchTemplate& t, const PlaneSums& sums, const SizeSums& size) {
  const SumBounds& bounds = *size.bounds;
  if (bounds.Levels() == 0) return;
  struct Bounded {
    uint64_t bound;
    int32_t x, y;
  };
  const auto least = [](std::vector<Bounded>& all, size_t count) {
    count = std::min(count, all.size());
    std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count), all.end(),
                      [](const Bounded& a, const Bounded& b) { return a.bound < b.bound; });
    all.resize(count);
  };
  std::vector<Bounded> grid;
  const int32_t lastX = area_.X + area_.Width - t.width, lastY = area_.Y + area_.Height - t.height;
  const int32_t positions = lastX - area_.X + 1;
  std::vector<uint32_t> row(static_cast<size_t>(positions));
  for (int32_t y = area_.Y; y <= lastY; y += kSeedStep) {
    stop_.Check();
    BoundsOfRow(sums, bounds, 0, area_.X, y, positions, row.data());
    for (int32_t i = 0; i < positions; i += kSeedStep) grid.push_back({row[static_cast<size_t>(i)], area_.X + i, y});
  }
  least(grid, kSeedBounded);
  if (bounds.Levels() > 1) {
    for (Bounded& b : grid) b.bound = bounds.Bound(sums, bounds.Levels() - 1, b.x, b.y);
  }
  least(grid, kSeedCount);
  // No pixel can differ: every position matches, at 100 %. The grid's best
  // places and their neighbours within the grid's step get their sums.
  Match best = Snapshot();
  for (const Bounded& b : grid) {
    stop_.Check();
    for (int32_t y = std::max(area_.Y, b.y - kSeedStep + 1); y <= std::min(lastY, b.y + kSeedStep - 1); ++y) {
      for (int32_t x = std::max(area_.X, b.x - kSeedStep + 1); x <= std::min(lastX, b.x + kSeedStep - 1); ++x) {
        Match m{x, y, t.width, t.height, 0, t.Compared(), 0};
        const bool better = best.compared == 0 || CompareFraction(m, best) > 0;
        m.sum = SumOfDifferencesByRows(planes_, size.rows, m.x, m.y, better ? UINT64_MAX : best.sum);
        if (better || IsBetterMatch(m, best)) best = m;
      }
    }
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
  // Once something matched, the first level for the whole row at once, and
  // the second too where many positions pass the first.
  thread_local std::vector<uint32_t> rowBounds[2];
  int rowLevels = 0;
  if (levels > 0 && best.compared > 0) {
    const auto bound = [&](int level) {
      rowBounds[level].resize(static_cast<size_t>(row.positions));
      BoundsOfRow(*sums, *bounds, level, row.x0, row.y, row.positions, rowBounds[level].data());
    };
    bound(0);
    rowLevels = 1;
    const auto passing =
        std::count_if(rowBounds[0].begin(), rowBounds[0].end(), [&](uint32_t b) { return b <= best.sum; });
    if (levels > 1 && passing * kRowLevelShare > row.positions) {
      bound(1);
      rowLevels = 2;
    }
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
    bool loses = false;
    for (int level = 0; fraction == 0 && level < rowLevels && !loses; ++level) {
      loses = rowBounds[level][static_cast<size_t>(i)] > best.sum;
    }
    for (int level = rowLevels; fraction == 0 && level < levels && !loses; ++level) {
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
