// Matches filed by place, to find those that overlap a given one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/Match.h"

namespace pexora {

// Matches filed in a grid of cells as large as the largest of them, so that
// a match can only meet filed ones in the (at most four) cells it covers.
class MatchGrid {
 public:
  explicit MatchGrid(const std::vector<Match>& matches) {
    for (const Match& m : matches) {
      cellWidth_ = std::max<int64_t>(cellWidth_, m.width);
      cellHeight_ = std::max<int64_t>(cellHeight_, m.height);
    }
  }
  // For matches of at most width x height.
  MatchGrid(int32_t width, int32_t height) : cellWidth_(std::max(1, width)), cellHeight_(std::max(1, height)) {}

  // Calls visit(index) for the filed matches that share a cell with m until
  // visit returns true; true when one did.
  template <typename Visit>
  bool AnyNear(const Match& m, const Visit& visit) const {
    bool found = false;
    ForCells(m, [&](int64_t key) {
      const auto cell = cells_.find(key);
      if (cell == cells_.end()) return false;
      for (size_t index : cell->second) {
        if (visit(index)) return found = true;
      }
      return false;
    });
    return found;
  }

  void File(const Match& m, size_t index) {
    ForCells(m, [&](int64_t key) {
      cells_[key].push_back(index);
      return false;
    });
  }

 private:
  template <typename Body>
  void ForCells(const Match& m, const Body& body) const {
    const int64_t x0 = m.x / cellWidth_, x1 = (int64_t{m.x} + m.width - 1) / cellWidth_;
    const int64_t y0 = m.y / cellHeight_, y1 = (int64_t{m.y} + m.height - 1) / cellHeight_;
    for (int64_t cy = y0; cy <= y1; ++cy) {
      for (int64_t cx = x0; cx <= x1; ++cx) {
        if (body((cy << 32) | cx)) return;
      }
    }
  }

  int64_t cellWidth_ = 1, cellHeight_ = 1;
  std::unordered_map<int64_t, std::vector<size_t>> cells_;
};

}  // namespace pexora
