#include "merge/PercentageOrder.h"

namespace pexora {

namespace counting {

void Groups::Look(const Match& m) {
  const auto [at, added] = index_.try_emplace(std::tuple(m.width, m.height, m.compared), groups_.size());
  if (added) groups_.push_back({Match{0, 0, m.width, m.height, 0, m.compared, 0}});
  lastGroup_ = at->second;
  last_ = m;
}

size_t PlaceCounts(std::vector<Group>& groups, size_t mostCounts) {
  size_t entries = 0;
  for (Group& g : groups) {
    if (uint64_t(g.most) >= mostCounts - entries) return 0;
    g.base = entries;
    entries += static_cast<size_t>(g.most) + 1;
  }
  return entries;
}

std::vector<uint32_t> ClassStarts(const std::vector<Group>& groups, std::vector<uint32_t>& counts,
                                  const StopToken& stop) {
  // The keys that occur, in the merge's order.
  struct Key {
    Match shape;
    size_t entry;
  };
  std::vector<Key> keys;
  for (const Group& g : groups) {
    stop.Check();
    for (int64_t d = 0; d <= g.most; ++d) {
      const size_t entry = g.base + static_cast<size_t>(d);
      if (counts[entry] == 0) continue;
      Match shape = g.shape;
      shape.difference = d;
      keys.push_back({shape, entry});
    }
  }
  const auto byShape = [](const Key& a, const Key& b) { return ByPercentageAndSize(a.shape, b.shape); };
  uint32_t compared = 0;
  std::sort(keys.begin(), keys.end(), Stoppable<Key>(byShape, stop, compared));
  std::vector<uint32_t> next;
  uint32_t placed = 0;
  for (size_t k = 0; k < keys.size(); ++k) {
    if (k == 0 || ByPercentageAndSize(keys[k - 1].shape, keys[k].shape)) next.push_back(placed);
    placed += counts[keys[k].entry];
    counts[keys[k].entry] = static_cast<uint32_t>(next.size() - 1);
  }
  return next;
}

}  // namespace counting

bool SortByCounting(std::vector<Match>& candidates, size_t mostBytes, const StopToken& stop) {
  const auto each = [&candidates](const auto& visit) {
    for (const Match& m : candidates) visit(m);
  };
  return GatherByCounting(candidates.size(), each, candidates, mostBytes, stop);
}

}  // namespace pexora
