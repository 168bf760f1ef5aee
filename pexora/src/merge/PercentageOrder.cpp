#include "merge/PercentageOrder.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>

namespace pexora {

namespace {

// Candidates between two looks for a stop request.
constexpr size_t kStopEvery = size_t{1} << 16;

// The candidates of one size and count of compared pixels: their counts sit
// at base + difference.
struct Group {
  Match shape;  // the size and pixels compared, difference 0
  int64_t most = 0;
  size_t base = 0;
};

// The group of each run of candidates of one size: runs are long, as the scan
// gathers a size at a time, so the map is looked up where one ends.
class Groups {
 public:
  size_t Of(const Match& m) {
    if (!(m.width == last_.width && m.height == last_.height && m.compared == last_.compared) || groups_.empty()) {
      const auto [at, added] = index_.try_emplace(std::tuple(m.width, m.height, m.compared), groups_.size());
      if (added) groups_.push_back({Match{0, 0, m.width, m.height, 0, m.compared, 0}});
      lastGroup_ = at->second;
      last_ = m;
    }
    return lastGroup_;
  }
  std::vector<Group>& All() { return groups_; }

 private:
  std::map<std::tuple<int32_t, int32_t, int64_t>, size_t> index_;
  std::vector<Group> groups_;
  Match last_;
  size_t lastGroup_ = 0;
};

}  // namespace

bool SortByCounting(std::vector<Match>& candidates, size_t mostBytes, const StopToken& stop) {
  const size_t count = candidates.size();
  if (count == 0) return true;
  if (count > mostBytes / sizeof(Match) || count >= UINT32_MAX) return false;
  const size_t mostCounts = count / 4 + 4096;
  Groups groups;
  for (size_t i = 0; i < count; ++i) {
    if (i % kStopEvery == 0) stop.Check();
    Group& g = groups.All()[groups.Of(candidates[i])];
    g.most = std::max(g.most, candidates[i].difference);
    if (candidates[i].difference < 0) return false;
  }
  size_t entries = 0;
  for (Group& g : groups.All()) {
    if (uint64_t(g.most) >= mostCounts - entries) return false;
    g.base = entries;
    entries += static_cast<size_t>(g.most) + 1;
  }
  std::vector<uint32_t> counts(entries, 0);
  for (size_t i = 0; i < count; ++i) {
    if (i % kStopEvery == 0) stop.Check();
    const Match& m = candidates[i];
    ++counts[groups.All()[groups.Of(m)].base + static_cast<size_t>(m.difference)];
  }
  // The keys that occur, in the merge's order, and where each one's
  // candidates start.
  struct Key {
    Match shape;
    size_t entry;
  };
  std::vector<Key> keys;
  for (const Group& g : groups.All()) {
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
  // Keys of one percentage and size (of different counts compared) are one
  // class, whose candidates keep the order they came in; from here on an
  // entry's count holds its class.
  std::vector<uint32_t> next;  // where the next candidate of each class goes
  uint32_t placed = 0;
  for (size_t k = 0; k < keys.size(); ++k) {
    if (k == 0 || ByPercentageAndSize(keys[k - 1].shape, keys[k].shape)) next.push_back(placed);
    placed += counts[keys[k].entry];
    counts[keys[k].entry] = static_cast<uint32_t>(next.size() - 1);
  }
  // Uninitialised: every element is written once.
  std::allocator<Match> allocator;
  const auto release = [&](Match* p) { allocator.deallocate(p, count); };
  const std::unique_ptr<Match, decltype(release)> sorted(allocator.allocate(count), release);
  for (size_t i = 0; i < count; ++i) {
    if (i % kStopEvery == 0) stop.Check();
    const Match& m = candidates[i];
    sorted.get()[next[counts[groups.All()[groups.Of(m)].base + static_cast<size_t>(m.difference)]]++] = m;
  }
  for (size_t done = 0; done < count; done += kStopEvery) {
    stop.Check();
    std::copy(sorted.get() + done, sorted.get() + std::min(count, done + kStopEvery), candidates.data() + done);
  }
  return true;
}

}  // namespace pexora
