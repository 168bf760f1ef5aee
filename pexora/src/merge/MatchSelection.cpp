#include "merge/MatchSelection.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <tuple>

#include "core/UninitialisedAllocator.h"
#include "merge/BoundRows.h"
#include "merge/CoverSums.h"
#include "merge/MatchGrid.h"
#include "merge/PercentageOrder.h"

namespace pexora {

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

// A refined candidate waiting in the merge's heap, in half the bytes of
// Ranked: the heap of a dense merge holds millions, and its time goes to
// cache misses. Ties of sums look the rest of the key up in the candidate.
struct Pending {
  uint64_t sum;
  uint32_t index;
  uint32_t level;
};

// The place and size of a ranked candidate, from its key alone: the merge
// looks at the candidate itself only to keep it, since millions of them
// taken in the order of their bounds lie all over memory.
Match PlaceOf(const Ranked& r) {
  const int32_t width = -r.width;
  return {r.x, r.y, width, -r.area / width, 0, 0, 0};
}

// True when b is the position right of a, of the same size.
bool InRowAfter(const Match& a, const Match& b) {
  return b.y == a.y && b.x == a.x + 1 && b.width == a.width && b.height == a.height;
}

// Batches of refinements of fewer pixels than this run on the calling
// thread.
constexpr int64_t kParallelRefinePixels = int64_t{1} << 16;

// The largest area, in pixels, whose cover is summed (CoverSums, 4 bytes a
// pixel) rather than looked up in the grid of kept matches.
constexpr int64_t kMostCoverPixels = int64_t{1} << 24;

Ranked RankedOf(const Pending& p, const std::vector<Match>& candidates) {
  const Match& m = candidates[p.index];
  return {p.sum, -m.width * m.height, m.y, m.x, -m.width, p.level, p.index};
}

// A heap of four children a node, the least on top: half the levels of a
// binary heap, and a node's children share cache lines.
class PendingHeap {
 public:
  explicit PendingHeap(const std::vector<Match>& candidates) : candidates_(candidates) {}

  bool empty() const { return items_.empty(); }
  void clear() { items_.clear(); }
  Ranked Top() const { return RankedOf(items_.front(), candidates_); }

  void Push(const Ranked& r) {
    size_t at = items_.size();
    items_.push_back({r.sum, r.index, r.level});
    const Pending item = items_.back();
    while (at > 0 && Less(item, items_[(at - 1) / 4])) {
      items_[at] = items_[(at - 1) / 4];
      at = (at - 1) / 4;
    }
    items_[at] = item;
  }

  Ranked Pop() {
    const Ranked top = Top();
    const Pending item = items_.back();
    items_.pop_back();
    const size_t count = items_.size();
    size_t at = 0;
    while (count > 0) {
      const size_t first = 4 * at + 1;
      if (first >= count) break;
      size_t least = first;
      for (size_t c = first + 1; c < std::min(count, first + 4); ++c) {
        if (Less(items_[c], items_[least])) least = c;
      }
      if (!Less(items_[least], item)) break;
      items_[at] = items_[least];
      at = least;
    }
    if (count > 0) items_[at] = item;
    return top;
  }

 private:
  bool Less(const Pending& a, const Pending& b) const {
    if (a.sum != b.sum) return a.sum < b.sum;
    return RankedOf(a, candidates_) < RankedOf(b, candidates_);
  }

  const std::vector<Match>& candidates_;
  std::vector<Pending> items_;
};

}  // namespace

std::vector<Match> MergeByBounds(std::vector<Match> candidates, SumSource& sums,
                                 const std::function<void(const MergeProgress&)>& progress, const ParallelFor& parallel,
                                 const StopToken& stop) {
  const ParallelFor inSequence = [](size_t count, const std::function<void(size_t)>& body,
                                    const std::function<void()>&) {
    for (size_t i = 0; i < count; ++i) body(i);
  };
  const ParallelFor& run = parallel ? parallel : inSequence;
  const std::function<void()> noReport = [] {};
  // One percentage after another, and sizes together within one. The scan
  // gathers one size after another, smallest first: where every position
  // matches alike, as with wide-open tolerances, they come in order.
  uint32_t compared = 0;
  if (!std::is_sorted(candidates.begin(), candidates.end(), Stoppable<Match>(ByPercentageAndSize, stop, compared)) &&
      !SortByCounting(candidates, kWholeBufferBytes, stop)) {
    SortInParts(candidates, ByPercentageAndSize, run, noReport, stop);
  }
  stop.Check();
  MatchGrid grid(candidates);
  std::vector<Match> kept;
  const auto overlapsKept = [&](const Match& m) {
    return grid.AnyNear(m, [&](size_t index) { return Overlap(kept[index], m); });
  };
  std::atomic<size_t> bounded{0};
  // How far the candidates are, in 64ths of one: half when taken from the
  // order, half when decided; a refinement counts a quarter of the deciding
  // half (three at most), so that the bar moves while candidates are
  // refined and nothing is decided (a large search-for picture wide open
  // refines for seconds between its kept matches).
  constexpr size_t kWhole = 64, kRefined = 16, kMostRefined = 3;
  size_t reached = 0, decided = 0, decisions = 0;
  const auto report = [&] {
    if (progress) progress({bounded.load(), (reached + decided) / (2 * kWhole)});
  };
  const auto decide = [&](const Ranked& r) {
    decided += kWhole - kRefined * std::min<size_t>(r.level, kMostRefined);
    ++decisions;
  };
  // Where kept matches lie, for dropping millions of candidates at once: in
  // four loads a candidate when their area is not too large for it, else
  // through the grid.
  std::optional<CoverSums> cover;
  {
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (size_t i = 0; i < candidates.size(); ++i) {
      if (i % (size_t{kCompareStopInterval} * 16) == 0) stop.Check();
      const Match& m = candidates[i];
      left = std::min(left, m.x), top = std::min(top, m.y);
      right = std::max(right, m.x + m.width), bottom = std::max(bottom, m.y + m.height);
    }
    if (!candidates.empty() && int64_t{right - left} * (bottom - top) <= kMostCoverPixels) {
      cover.emplace(left, top, right - left, bottom - top);
    }
  }
  // Within one percentage: the candidates in order of their first bounds,
  // and those refined since in a heap, the least on top; the next to look
  // at is the least of both. The order is sorted a part at a time, least
  // first: what kept matches cover by then is dropped before the next part
  // is sorted, and most of the candidates of a dense search are.
  // The order is written by the first bounds, on every thread, before it
  // is read.
  std::vector<Ranked, UninitialisedAllocator<Ranked>> order;
  std::vector<Ranked> batch;
  size_t keptWhenSummed = SIZE_MAX;
  PendingHeap heap(candidates);
  constexpr size_t kChunk = 4096, kBatch = 256, kReportEvery = 1024, kFirstSorted = size_t{1} << 16;
  constexpr uint32_t kCovered = UINT32_MAX;
  // body(first, last) for runs of kChunk of [from, to), on every thread (one
  // run stays on the calling thread).
  const auto forChunks = [&](size_t from, size_t to, const auto& body) {
    run((to - from + kChunk - 1) / kChunk,
        [&](size_t chunk) {
          stop.Check();
          body(from + chunk * kChunk, std::min(to, from + (chunk + 1) * kChunk));
        },
        report);
  };
  for (size_t begin = 0, end = 0; begin < candidates.size(); begin = end) {
    end = begin + 1;
    while (end < candidates.size() && CompareFraction(candidates[begin], candidates[end]) == 0) {
      if (++end % kCompareStopInterval == 0) stop.Check();
    }
    stop.Check();
    report();
    // Sized a part at a time; the first bounds write every element (zeroing
    // and touching millions here had held the bar for half a second).
    order.clear();
    order.reserve(end - begin);
    for (size_t filled = 0; filled < end - begin; filled += kChunk * 64) {
      stop.Check();
      order.resize(std::min(end - begin, filled + kChunk * 64));
    }
    // Whether a kept match overlaps a candidate: through the summed cover
    // where there are many to look at (summing it costs about two passes
    // over its area), made for what is kept now.
    const auto summedCover = [&](size_t count) {
      const bool summed = cover && int64_t(count) * 8 >= cover->Pixels();
      if (summed && keptWhenSummed != kept.size()) {
        cover->Build(kept, stop);
        keptWhenSummed = kept.size();
      }
      return summed;
    };
    const auto covered = [&](const Match& m, bool summed) { return summed ? cover->AnyCovered(m) : overlapsKept(m); };
    // What kept matches of earlier percentages cover is not bounded.
    const bool anyKept = !kept.empty(), summed = anyKept && summedCover(end - begin);
    forChunks(begin, end, [&](size_t first, size_t last) {
      std::array<uint32_t, kChunk> rowBounds;
      for (size_t i = first; i < last;) {
        // Neighbours in a row, as the scan gathers them: their first
        // bounds at once.
        size_t next = i + 1;
        while (next < last && InRowAfter(candidates[next - 1], candidates[next])) ++next;
        const bool inRow = next - i >= size_t{kLeastRowRun} &&
                           sums.RowBounds(candidates[i], 0, static_cast<int32_t>(next - i), rowBounds.data());
        for (size_t j = i; j < next; ++j) {
          const Match& m = candidates[j];
          if (anyKept && covered(m, summed)) {
            order[j - begin] = {0, 0, 0, 0, 0, 0, kCovered};
            continue;
          }
          const uint64_t bound = inRow ? rowBounds[j - i] : sums.SumAt(m, 0);
          order[j - begin] = {bound, -m.width * m.height, m.y, m.x, -m.width, 0, static_cast<uint32_t>(j)};
        }
        i = next;
      }
      bounded += last - first;
    });
    // order[0, next) has been taken, order[next, sorted) is sorted and goes
    // before every item after it.
    size_t next = 0, sorted = 0, keptWhenDropped = kept.size();
    // Closes the gaps that dropped candidates left in order[sorted, ...).
    const auto compact = [&] {
      size_t uncovered = sorted;
      for (size_t i = sorted; i < order.size(); ++i) {
        if (i % kCompareStopInterval == 0) stop.Check();
        if (order[i].index != kCovered) order[uncovered++] = order[i];
      }
      reached += kWhole * (order.size() - uncovered);
      decided += kWhole * (order.size() - uncovered);
      order.resize(uncovered);
    };
    if (anyKept) compact();
    // Drops from order[sorted, ...) what the matches kept since overlap.
    const auto dropCovered = [&] {
      if (kept.size() == keptWhenDropped) return;
      keptWhenDropped = kept.size();
      const size_t count = order.size() - sorted;
      const bool summedNow = summedCover(count);
      forChunks(sorted, order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
          if (covered(PlaceOf(order[i]), summedNow)) order[i].index = kCovered;
        }
      });
      compact();
    };
    // True while something is left to take, the next part sorted first if
    // the sorted one has been taken.
    const auto more = [&] {
      if (next == sorted && sorted < order.size()) {
        dropCovered();
        const size_t want = std::max(kFirstSorted, sorted);
        sorted += SortLeast(order.data() + sorted, order.size() - sorted, want, std::less<Ranked>(), run, report, stop);
      }
      return next < sorted || !heap.empty();
    };
    const auto take = [&] {
      if (next < sorted && (heap.empty() || order[next] < heap.Top())) {
        reached += kWhole;
        return order[next++];
      }
      return heap.Pop();
    };
    const auto putBack = [&](const Ranked& r) { heap.Push(r); };
    // Candidates are taken least first. One that a kept match overlaps is
    // dropped; the least one with its exact sum is kept; the others are
    // refined a level before anything after them is decided. Refining
    // several at once runs on every thread but may refine some that a match
    // kept meanwhile would have dropped: the batch doubles while nothing is
    // kept and falls back to one when something is.
    size_t batchSize = 1, taken = 0;
    while (more()) {
      batch.clear();
      while (batch.size() < batchSize && more()) {
        if (++taken % kCompareStopInterval == 0) stop.Check();
        const Ranked top = take();
        const Match place = PlaceOf(top);
        if (overlapsKept(place)) {
          decide(top);
        } else if (int(top.level) < sums.Levels(place)) {
          batch.push_back(top);
          continue;
        } else if (!batch.empty()) {
          putBack(top);  // the batch's refined sums may come first
          break;
        } else {
          Match& m = candidates[top.index];
          m.sum = top.sum;
          grid.File(m, kept.size());
          kept.push_back(m);
          decide(top);
          batchSize = 1;
        }
        if (decisions % kReportEvery == 0) report();
      }
      if (batch.size() == batchSize) batchSize = std::min(kBatch, 2 * batchSize);
      const auto refine = [&](size_t i) {
        Ranked& r = batch[i];
        r.sum = std::max(r.sum, sums.SumAt(PlaceOf(r), int(++r.level)));
      };
      // Starting threads costs as much as summing some ten thousand pixels:
      // small batches of small sizes are refined here.
      int64_t pixels = 0;
      for (const Ranked& r : batch) pixels -= r.area;
      if (pixels >= kParallelRefinePixels) {
        run(batch.size(), refine, report);
      } else {
        for (size_t i = 0; i < batch.size(); ++i) refine(i);
      }
      for (const Ranked& r : batch) {
        if (r.level <= kMostRefined) decided += kRefined;
        putBack(r);
      }
      // After a batch that took a while.
      if (pixels >= kParallelRefinePixels) report();
    }
  }
  report();
  return kept;
}

}  // namespace pexora
