#include "MatchSelection.h"

#include <algorithm>
#include <unordered_map>

namespace pexora {

bool IsBetterMatch(const Match& a, const Match& b) {
  // (ca - da) / ca against (cb - db) / cb, without rounding.
  const __int128 left = static_cast<__int128>(a.compared - a.difference) * b.compared;
  const __int128 right = static_cast<__int128>(b.compared - b.difference) * a.compared;
  if (left != right) return left > right;
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

std::vector<Match> SelectMatches(std::vector<Match> candidates, bool multiple) {
  if (candidates.empty()) return {};
  if (!multiple) {
    return {*std::min_element(candidates.begin(), candidates.end(), IsBetterMatch)};
  }
  std::sort(candidates.begin(), candidates.end(), IsBetterMatch);
  // Kept matches are filed in a grid of cells as large as the largest match,
  // so a match can only meet kept ones in the (at most four) cells it covers.
  int64_t cellWidth = 1, cellHeight = 1;
  for (const Match& m : candidates) {
    cellWidth = std::max<int64_t>(cellWidth, m.width);
    cellHeight = std::max<int64_t>(cellHeight, m.height);
  }
  std::unordered_map<int64_t, std::vector<size_t>> cells;
  std::vector<Match> kept;
  for (const Match& m : candidates) {
    const int64_t x0 = m.x / cellWidth, x1 = (int64_t{m.x} + m.width - 1) / cellWidth;
    const int64_t y0 = m.y / cellHeight, y1 = (int64_t{m.y} + m.height - 1) / cellHeight;
    bool free = true;
    for (int64_t cy = y0; cy <= y1 && free; ++cy) {
      for (int64_t cx = x0; cx <= x1 && free; ++cx) {
        const auto found = cells.find((cy << 32) | cx);
        if (found == cells.end()) continue;
        for (size_t index : found->second) {
          if (Overlap(kept[index], m)) {
            free = false;
            break;
          }
        }
      }
    }
    if (!free) continue;
    for (int64_t cy = y0; cy <= y1; ++cy) {
      for (int64_t cx = x0; cx <= x1; ++cx) cells[(cy << 32) | cx].push_back(kept.size());
    }
    kept.push_back(m);
  }
  return kept;
}

}  // namespace pexora
