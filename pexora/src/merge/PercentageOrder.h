// The order in which the merge of collected candidates takes them: one match
// percentage after another, best first, and within one the sizes together,
// smallest first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "merge/MatchSelection.h"

namespace pexora {

inline bool ByPercentageAndSize(const Match& a, const Match& b) {
  const int fraction = CompareFraction(a, b);
  return fraction != 0 ? fraction > 0 : std::tie(a.width, a.height) < std::tie(b.width, b.height);
}

namespace counting {

// Candidates between two looks for a stop request.
inline constexpr size_t kStopEvery = size_t{1} << 16;

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
    if (groups_.empty() || !(m.width == last_.width && m.height == last_.height && m.compared == last_.compared)) {
      Look(m);
    }
    return lastGroup_;
  }
  size_t Entry(const Match& m) { return groups_[Of(m)].base + static_cast<size_t>(m.difference); }
  std::vector<Group>& All() { return groups_; }

 private:
  void Look(const Match& m);

  std::map<std::tuple<int32_t, int32_t, int64_t>, size_t> index_;
  std::vector<Group> groups_;
  Match last_;
  size_t lastGroup_ = 0;
};

// Places the groups' counts one after another and returns how many there
// are: 0 where they would take more than mostCounts.
size_t PlaceCounts(std::vector<Group>& groups, size_t mostCounts);

// From the counts of every entry: each entry's count replaced by its class
// (keys of one percentage and size, of any count compared, are one), and
// where each class's candidates start, in the merge's order.
std::vector<uint32_t> ClassStarts(const std::vector<Group>& groups, std::vector<uint32_t>& counts,
                                  const StopToken& stop);

}  // namespace counting

// Puts the `count` candidates that forEach(visit) visits, in the same order
// each time it is called, into `out` in ByPercentageAndSize's order, by
// counting them: a scan's candidates have few distinct percentages and sizes
// (differences up to the difference tolerance, for each of the sizes), and
// counting them costs three visits where comparing them cost twenty (half of
// the merge of a dense single-size search). Candidates of the same
// percentage and size keep the order they came in. Returns false, with `out`
// untouched, where the counts would take more room than a quarter of the
// candidates, or the candidates more than `mostBytes` (a comparison sort
// serves those), and where they all have one percentage and size (they are
// in order as they come). Checks `stop` every few hundred microseconds.
template <typename ForEach>
bool GatherByCounting(size_t count, const ForEach& forEach, std::vector<Match>& out, size_t mostBytes,
                      const StopToken& stop) {
  if (count > mostBytes / sizeof(Match) || count >= UINT32_MAX) return false;
  counting::Groups groups;
  bool negative = false, mixed = false;
  size_t seen = 0;
  Match first;
  forEach([&](const Match& m) {
    if (seen == 0) first = m;
    if (++seen % counting::kStopEvery == 0) stop.Check();
    const size_t group = groups.Of(m);
    counting::Group& g = groups.All()[group];
    g.most = std::max(g.most, m.difference);
    negative = negative || m.difference < 0;
    mixed = mixed || group != 0 || m.difference != first.difference;
  });
  if (negative || !mixed || seen != count) return false;
  const size_t entries = counting::PlaceCounts(groups.All(), count / 4 + 4096);
  if (entries == 0) return false;
  std::vector<uint32_t> counts(entries, 0);
  forEach([&](const Match& m) {
    if (++seen % counting::kStopEvery == 0) stop.Check();
    ++counts[groups.Entry(m)];
  });
  std::vector<uint32_t> next = counting::ClassStarts(groups.All(), counts, stop);
  // Made a part at a time: millions of them take tens of milliseconds.
  std::vector<Match> sorted;
  sorted.reserve(count);
  for (size_t made = 0; made < count; made += counting::kStopEvery) {
    stop.Check();
    sorted.resize(std::min(count, made + counting::kStopEvery));
  }
  forEach([&](const Match& m) {
    if (++seen % counting::kStopEvery == 0) stop.Check();
    sorted[next[counts[groups.Entry(m)]]++] = m;
  });
  out = std::move(sorted);
  return true;
}

// GatherByCounting of a list of candidates, in place.
bool SortByCounting(std::vector<Match>& candidates, size_t mostBytes, const StopToken& stop);

}  // namespace pexora
