#include "MatchSelection.h"

#include <algorithm>
#include <tuple>

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


namespace {

// A candidate in the merge's heap: within one percentage, IsBetterMatch
// ranks by sum, larger area, top-most, left-most, wider; the key holds them
// in that order (the sum being what is known of it) so that comparisons stay
// in the entry.
struct Ranked {
  uint64_t sum;
  int32_t area;  // negated: larger first
  int32_t y, x;
  int32_t width;  // negated: wider first
  uint32_t level;
  uint32_t index;

  bool operator<(const Ranked& o) const {
    return std::tie(sum, area, y, x, width) < std::tie(o.sum, o.area, o.y, o.x, o.width);
  }
};

}  // namespace

std::vector<Match> MergeByBounds(std::vector<Match> candidates, SumSource& sums,
                                 const std::function<void(size_t)>& progress) {
  std::sort(candidates.begin(), candidates.end(),
            [](const Match& a, const Match& b) { return CompareFraction(a, b) > 0; });
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  const auto overlapsKept = [&](const Match& m) {
    return grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); });
  };
  // Within one percentage: the candidates in order of their first bounds,
  // and those refined since in a heap, the least on top; the next to look
  // at is the least of both.
  const auto worse = [](const Ranked& a, const Ranked& b) { return b < a; };
  std::vector<Ranked> order, heap;
  size_t decided = 0;
  constexpr size_t kReportEvery = 1024;
  for (size_t begin = 0, end = 0; begin < candidates.size(); begin = end) {
    end = begin + 1;
    while (end < candidates.size() && CompareFraction(candidates[begin], candidates[end]) == 0) ++end;
    if (progress) progress(decided);
    order.clear();
    heap.clear();
    for (size_t i = begin; i < end; ++i) {
      const Match& m = candidates[i];
      if (overlapsKept(m)) continue;
      order.push_back({sums.SumAt(m, 0), -m.width * m.height, m.y, m.x, -m.width, 0, static_cast<uint32_t>(i)});
    }
    decided += end - begin - order.size();
    std::sort(order.begin(), order.end());
    for (size_t next = 0; next < order.size() || !heap.empty();) {
      Ranked top;
      if (next < order.size() && (heap.empty() || order[next] < heap.front())) {
        top = order[next++];
      } else {
        std::pop_heap(heap.begin(), heap.end(), worse);
        top = heap.back();
        heap.pop_back();
      }
      Match& m = candidates[top.index];
      if (overlapsKept(m)) {
      } else if (int(top.level) < sums.Levels(m)) {
        top.sum = std::max(top.sum, sums.SumAt(m, int(++top.level)));
        heap.push_back(top);
        std::push_heap(heap.begin(), heap.end(), worse);
        continue;
      } else {
        m.sum = top.sum;
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
