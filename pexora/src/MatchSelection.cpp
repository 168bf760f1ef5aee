#include "MatchSelection.h"

#include <algorithm>

#include "MatchGrid.h"

namespace pexora {

int CompareFraction(const Match& a, const Match& b) {
  // (ca - da) / ca against (cb - db) / cb, without rounding.
  const __int128 left = static_cast<__int128>(a.compared - a.difference) * b.compared;
  const __int128 right = static_cast<__int128>(b.compared - b.difference) * a.compared;
  return left < right ? -1 : left > right ? 1 : 0;
}

bool IsBetterMatch(const Match& a, const Match& b) {
  if (const int fraction = CompareFraction(a, b); fraction != 0) return fraction > 0;
  if (a.sum != b.sum) return a.sum < b.sum;
  const int64_t areaA = int64_t{a.width} * a.height;
  const int64_t areaB = int64_t{b.width} * b.height;
  if (areaA != areaB) return areaA > areaB;
  if (a.y != b.y) return a.y < b.y;
  if (a.x != b.x) return a.x < b.x;
  return a.width > b.width;
}

bool Overlap(const Match& a, const Match& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}


std::vector<Match> MergeByBounds(std::vector<Match> candidates, SumSource& sums,
                                 const std::function<void(size_t)>& progress) {
  std::sort(candidates.begin(), candidates.end(),
            [](const Match& a, const Match& b) { return CompareFraction(a, b) > 0; });
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  const auto overlapsKept = [&](const Match& m) {
    return grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); });
  };
  // Candidates by what is known of their sums (held in their sum), the
  // least on top; the level each has reached.
  std::vector<int> level(candidates.size(), 0);
  const auto worse = [&](size_t a, size_t b) { return IsBetterMatch(candidates[b], candidates[a]); };
  std::vector<size_t> heap;
  size_t decided = 0;
  constexpr size_t kReportEvery = 1024;
  for (size_t begin = 0, end = 0; begin < candidates.size(); begin = end) {
    end = begin + 1;
    while (end < candidates.size() && CompareFraction(candidates[begin], candidates[end]) == 0) ++end;
    if (progress) progress(decided);
    heap.clear();
    for (size_t i = begin; i < end; ++i) {
      if (overlapsKept(candidates[i])) continue;
      candidates[i].sum = sums.SumAt(candidates[i], 0);
      heap.push_back(i);
    }
    decided += end - begin - heap.size();
    std::make_heap(heap.begin(), heap.end(), worse);
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), worse);
      const size_t i = heap.back();
      Match& m = candidates[i];
      if (overlapsKept(m)) {
        heap.pop_back();
      } else if (level[i] < sums.Levels(m)) {
        m.sum = std::max(m.sum, sums.SumAt(m, ++level[i]));
        std::push_heap(heap.begin(), heap.end(), worse);
        continue;
      } else {
        heap.pop_back();
        grid.File(m, kept.size());
        kept.push_back(m);
      }
      if (++decided % kReportEvery == 0 && progress) progress(decided);
    }
  }
  return kept;
}

std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple) {
  if (candidates.empty()) return {};
  if (!multiple) {
    return {*std::min_element(candidates.begin(), candidates.end(), IsBetterMatch)};
  }
  std::sort(candidates.begin(), candidates.end(), IsBetterMatch);
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  for (const Match& m : candidates) {
    if (grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); })) continue;
    grid.File(m, kept.size());
    kept.push_back(m);
  }
  return kept;
}

}  // namespace pexora
