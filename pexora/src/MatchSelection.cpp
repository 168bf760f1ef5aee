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


std::vector<bool> SumsThatDecide(const std::vector<Match>& candidates) {
  std::vector<size_t> order(candidates.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return CompareFraction(candidates[a], candidates[b]) > 0; });
  std::vector<bool> decide(candidates.size(), false);
  for (size_t begin = 0, end = 0; begin < order.size(); begin = end) {
    end = begin + 1;
    while (end < order.size() && CompareFraction(candidates[order[begin]], candidates[order[end]]) == 0) ++end;
    if (end - begin < 2) continue;
    std::vector<Match> same;
    for (size_t k = begin; k < end; ++k) same.push_back(candidates[order[k]]);
    MatchGrid grid(same);
    for (size_t k = 0; k < same.size(); ++k) grid.File(same[k], k);
    // A candidate among many non-overlapping ones in its cells (small sizes
    // beside large ones) is counted as deciding rather than searched further:
    // a sum too many costs time, never a wrong result.
    constexpr int kMostVisits = 64;
    for (size_t k = 0; k < same.size(); ++k) {
      int visits = 0;
      decide[order[begin + k]] = grid.AnyNear(same[k], [&](size_t other) {
        return ++visits > kMostVisits || (other != k && Overlap(same[other], same[k]));
      });
    }
  }
  return decide;
}

std::vector<Match> MergeWithFewestSums(std::vector<Match> candidates,
                                       const std::function<void(std::vector<Match*>&)>& computeSums,
                                       const std::function<void(size_t)>& remaining) {
  std::sort(candidates.begin(), candidates.end(),
            [](const Match& a, const Match& b) { return CompareFraction(a, b) > 0; });
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  std::vector<bool> summed;
  const auto overlapsKept = [&](const Match& m) {
    return grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); });
  };
  std::vector<Match*> needed;
  for (size_t begin = 0, end = 0; begin < candidates.size(); begin = end) {
    if (remaining) remaining(candidates.size() - begin);
    end = begin + 1;
    while (end < candidates.size() && CompareFraction(candidates[begin], candidates[end]) == 0) ++end;
    std::vector<Match> rest;
    for (size_t i = begin; i < end; ++i) {
      if (!overlapsKept(candidates[i])) rest.push_back(candidates[i]);
    }
    // Within one percentage only the sums of overlapping candidates decide;
    // the others rank by a placeholder 0 and get their sums if they are kept.
    const std::vector<bool> decide = SumsThatDecide(rest);
    needed.clear();
    for (size_t i = 0; i < rest.size(); ++i) {
      if (decide[i]) needed.push_back(&rest[i]);
    }
    if (!needed.empty()) computeSums(needed);
    std::vector<size_t> order(rest.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return IsBetterMatch(rest[a], rest[b]); });
    for (size_t i : order) {
      if (overlapsKept(rest[i])) continue;
      grid.File(rest[i], kept.size());
      kept.push_back(rest[i]);
      summed.push_back(decide[i]);
    }
  }
  needed.clear();
  for (size_t i = 0; i < kept.size(); ++i) {
    if (!summed[i]) needed.push_back(&kept[i]);
  }
  if (!needed.empty()) computeSums(needed);
  std::sort(kept.begin(), kept.end(), IsBetterMatch);
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
