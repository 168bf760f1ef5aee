// Merging overlapping matches and their order.
#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

#include "SelectMatches.h"
#include "core/SharedLoop.h"
#include "merge/BestCandidates.h"
#include "merge/CoverSums.h"
#include "merge/CoveredArea.h"
#include "merge/KeepBestFirst.h"
#include "merge/MatchSelection.h"

namespace pexora {
namespace {

using reference::SelectMatches;

Match M(int32_t x, int32_t y, int64_t difference, uint64_t sum = 0, int32_t size = 10) {
  return {x, y, size, size, difference, 100, sum};
}

std::vector<std::pair<int, int>> Positions(const std::vector<Match>& matches) {
  std::vector<std::pair<int, int>> out;
  for (const Match& m : matches) out.emplace_back(m.x, m.y);
  return out;
}

TEST(MatchSelection, KeepsTheBestOfEachOverlappingGroup) {
  // B overlaps A (better) and C; A and C are apart, so both stay.
  const std::vector<Match> kept = SelectMatches({M(8, 0, 2), M(0, 0, 1), M(16, 0, 3)}, true);
  EXPECT_EQ(Positions(kept), (std::vector<std::pair<int, int>>{{0, 0}, {16, 0}}));
}

TEST(MatchSelection, TouchingRectanglesDoNotOverlap) {
  const std::vector<Match> kept = SelectMatches({M(0, 0, 0), M(10, 0, 0), M(0, 10, 0), M(10, 10, 0)}, true);
  EXPECT_EQ(kept.size(), 4u);
  EXPECT_EQ(Positions(kept), (std::vector<std::pair<int, int>>{{0, 0}, {10, 0}, {0, 10}, {10, 10}}));
}

TEST(MatchSelection, OrderOfTies) {
  // Equal percentages: the smaller sum of differences wins, so a shifted
  // copy of a perfect match loses to it; then the larger area; then the
  // top-most, left-most.
  EXPECT_EQ(Positions(SelectMatches({M(1, 0, 0, 50), M(0, 0, 0, 0)}, true)),
            (std::vector<std::pair<int, int>>{{0, 0}}));
  Match small = M(0, 0, 0, 0, 5), large = M(3, 3, 0, 0, 6);
  small.compared = 25;
  large.compared = 36;
  EXPECT_EQ(Positions(SelectMatches({small, large}, true)), (std::vector<std::pair<int, int>>{{3, 3}}));
  EXPECT_EQ(Positions(SelectMatches({M(50, 20, 0), M(20, 50, 0), M(20, 20, 0)}, true)),
            (std::vector<std::pair<int, int>>{{20, 20}, {50, 20}, {20, 50}}));
  // The percentage is compared exactly: 99/100 beats 98/99.
  Match a = M(0, 0, 1), b = M(40, 0, 1);
  b.compared = 99;
  EXPECT_TRUE(IsBetterMatch(a, b));
  EXPECT_FALSE(IsBetterMatch(b, a));
  EXPECT_FALSE(IsBetterMatch(a, a));
}

TEST(MatchSelection, SingleMatchIsTheBestAndNothingGivesNothing) {
  EXPECT_EQ(Positions(SelectMatches({M(0, 0, 5), M(50, 0, 2), M(90, 0, 9)}, false)),
            (std::vector<std::pair<int, int>>{{50, 0}}));
  EXPECT_TRUE(SelectMatches({}, true).empty());
}

TEST(MatchSelection, ManyCandidatesOfDifferentSizes) {
  // A grid of candidates of two sizes, checked against plain pairwise merging.
  std::vector<Match> candidates;
  for (int y = 0; y < 60; y += 3) {
    for (int x = 0; x < 60; x += 4) {
      Match m = M(x, y, (x * 7 + y * 13) % 11, uint64_t((x + y) % 5), (x + y) % 2 ? 7 : 12);
      m.compared = int64_t{m.width} * m.height;
      candidates.push_back(m);
    }
  }
  std::vector<Match> sorted = candidates;
  std::sort(sorted.begin(), sorted.end(), IsBetterMatch);
  std::vector<Match> expected;
  for (const Match& m : sorted) {
    bool free = true;
    for (const Match& k : expected) free = free && !Overlap(k, m);
    if (free) expected.push_back(m);
  }
  EXPECT_EQ(SelectMatches(candidates, true), expected);
}

// Sums known only through their bounds: level 0 gives sum / divisor (0
// with no useful bound), level 1 the exact sum; counts what it was asked.
class KnownSums : public SumSource {
 public:
  KnownSums(const std::vector<Match>& truth, uint64_t divisor) : truth_(truth), divisor_(divisor) {}
  int Levels(const Match&) override { return 1; }
  uint64_t SumAt(const Match& m, int level) override {
    const auto same = std::find_if(truth_.begin(), truth_.end(),
                                   [&](const Match& t) { return t.x == m.x && t.y == m.y && t.width == m.width; });
    exact += level == 1 ? 1 : 0;
    return level == 1 ? same->sum : divisor_ == 0 ? 0 : same->sum / divisor_;
  }
  size_t exact = 0;

 private:
  const std::vector<Match>& truth_;
  uint64_t divisor_;
};

TEST(MatchSelection, MergingByBoundsKeepsWhatTheFullMergeKeeps) {
  // Dense candidates of two sizes whose sums are known only to the source:
  // the merge must equal the merge with every sum known, with fewer sums.
  for (int differences : {1, 3, 40}) {
    for (uint64_t divisor : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << differences << " divisor " << divisor);
      std::vector<Match> truth;
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
          Match m = M(x, y, (x * 7 + y * 13) % differences, uint64_t((x * 31 + y * 17) % 23), (x + y) % 3 ? 6 : 9);
          m.compared = int64_t{m.width} * m.height;
          truth.push_back(m);
        }
      }
      std::vector<Match> unknown = truth;
      for (Match& m : unknown) m.sum = 0;
      KnownSums sums(truth, divisor);
      EXPECT_EQ(MergeByBounds(unknown, sums), SelectMatches(truth, true));
      // Candidates that kept matches overlap fall unsummed; with bounds
      // that tell, fewer still are summed.
      EXPECT_LT(sums.exact, truth.size() / (differences == 40 ? 4 : 2));
      if (divisor == 1) {
        EXPECT_LE(sums.exact, SelectMatches(truth, true).size() + 40);
      }
    }
  }
}

TEST(CoverSums, TellOverlapWithTheMatchesBuiltFrom) {
  // Kept rectangles (overlapping each other too, touching the area's edges)
  // in an area away from the origin; every rectangle of a few sizes at
  // every place is checked against pairwise overlap, after each rebuild.
  const int32_t x0 = 5, y0 = 9, width = 37, height = 23;
  std::mt19937 random(12);
  CoverSums cover(x0, y0, width, height);
  std::vector<Match> kept;
  for (int round = 0; round < 6; ++round) {
    cover.Build(kept, StopToken::Never());
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{width, 1}, std::pair{1, height}}) {
      for (int32_t y = y0; y + h <= y0 + height; ++y) {
        for (int32_t x = x0; x + w <= x0 + width; ++x) {
          const Match m{x, y, w, h, 0, 1, 0};
          bool overlaps = false;
          for (const Match& k : kept) overlaps = overlaps || Overlap(k, m);
          ASSERT_EQ(cover.AnyCovered(m), overlaps)
              << "round " << round << " at " << x << "," << y << " " << w << "x" << h;
        }
      }
    }
    for (int i = 0; i < 1 + round; ++i) {
      const int32_t w = 1 + int32_t(random() % 12), h = 1 + int32_t(random() % 9);
      kept.push_back({x0 + int32_t(random() % uint32_t(width - w + 1)),
                      y0 + int32_t(random() % uint32_t(height - h + 1)), w, h, 0, 1, 0});
    }
    if (round == 4) kept.push_back({x0 + width - 1, y0 + height - 1, 1, 1, 0, 1, 0});  // the last pixel
  }
}

TEST(CoveredArea, TellsOverlapWithCoveredMatchesAcrossWordEdges) {
  // An area wider than two 64-bit words, away from the picture's origin;
  // rectangles of widths around the word size.
  const TPXRect area{7, 3, 150, 20};
  std::mt19937 random(8);
  for (int round = 0; round < 50; ++round) {
    CoveredArea covered(area);
    std::vector<Match> kept;
    for (int i = 0; i < 200; ++i) {
      static const int32_t widths[] = {1, 2, 63, 64, 65, 130, 150};
      const int32_t w = widths[random() % 7], h = 1 + int32_t(random() % 6);
      const Match m{area.X + int32_t(random() % uint32_t(area.Width - w + 1)),
                    area.Y + int32_t(random() % uint32_t(area.Height - h + 1)),
                    w,
                    h,
                    0,
                    1,
                    0};
      bool overlaps = false;
      for (const Match& k : kept) overlaps = overlaps || Overlap(k, m);
      ASSERT_EQ(covered.AnyCovered(m), overlaps)
          << "round " << round << " at " << m.x << "," << m.y << " " << w << "x" << h;
      std::vector<uint64_t> columns;
      covered.CoveredColumns(m.y, m.height, columns);
      ASSERT_EQ(covered.AnyInColumns(columns, m.x, m.width), overlaps) << "by columns, round " << round;
      // Every position of the row at once, and whether one is free.
      std::vector<uint64_t> blocked;
      const bool anyFree = covered.BlockedPositions(m.y, w, h, blocked);
      bool free = false;
      for (int32_t x = area.X; x + w <= area.X + area.Width; ++x) {
        const bool at = covered.AnyCovered({x, m.y, w, h, 0, 1, 0});
        const size_t k = size_t(x - area.X);
        ASSERT_EQ((blocked[k / 64] >> (k % 64) & 1) != 0, at) << "blocked, round " << round << " x " << x;
        free = free || !at;
      }
      ASSERT_EQ(anyFree, free) << "round " << round;
      if (!overlaps && random() % 3 == 0) {
        covered.Cover(m);
        kept.push_back(m);
      }
    }
  }
}

TEST(CoveredArea, TellsTheWidestUncoveredRectangleOfEveryHeight) {
  // Random covers of an area wider than a word, from none to nearly all:
  // a width x height rectangle fits uncovered exactly where some position
  // of it overlaps no covered pixel.
  const TPXRect area{3, 5, 70, 9};
  std::mt19937 random(21);
  for (int round = 0; round < 40; ++round) {
    CoveredArea covered(area);
    for (int i = 0; i < round; ++i) {
      const int32_t w = 1 + int32_t(random() % 12), h = 1 + int32_t(random() % 4);
      covered.Cover({area.X + int32_t(random() % uint32_t(area.Width - w + 1)),
                     area.Y + int32_t(random() % uint32_t(area.Height - h + 1)), w, h, 0, 1, 0});
    }
    const std::vector<int32_t> widest = covered.WidestFree(StopToken::Never());
    ASSERT_EQ(widest.size(), size_t(area.Height) + 1);
    for (int32_t h = 1; h <= area.Height; ++h) {
      for (int32_t w = 1; w <= area.Width; ++w) {
        bool fits = false;
        for (int32_t y = area.Y; !fits && y + h <= area.Y + area.Height; ++y) {
          for (int32_t x = area.X; !fits && x + w <= area.X + area.Width; ++x) {
            fits = !covered.AnyCovered({x, y, w, h, 0, 1, 0});
          }
        }
        ASSERT_EQ(widest[size_t(h)] >= w, fits) << "round " << round << ", " << w << " x " << h;
      }
    }
  }
}

// Sums of a dense block of candidates looked up by place: level 0 a third
// of the sum, level 1 the exact sum.
class PlacedSums : public SumSource {
 public:
  explicit PlacedSums(const std::vector<Match>& truth) {
    for (const Match& m : truth) sums_[Key(m)] = m.sum;
  }
  int Levels(const Match&) override { return 1; }
  uint64_t SumAt(const Match& m, int level) override {
    const uint64_t sum = sums_.at(Key(m));
    return level == 1 ? sum : sum / 3;
  }

 private:
  static uint64_t Key(const Match& m) {
    return uint64_t(uint32_t(m.x)) << 40 | uint64_t(uint32_t(m.y)) << 16 | uint64_t(uint32_t(m.width));
  }
  std::unordered_map<uint64_t, uint64_t> sums_;
};

// Every position of two sizes (8 and 13) in a block of 420 x 400 with exact
// sums, many of them equal, one in 17 at a lower percentage: over 300,000.
std::vector<Match> DenseBlock() {
  std::vector<Match> all;
  for (const int32_t size : {8, 13}) {
    for (int32_t y = 0; y + size <= 400; ++y) {
      for (int32_t x = 0; x + size <= 420; ++x) {
        const uint32_t hash = uint32_t(x * 73856093) ^ uint32_t(y * 19349663) ^ uint32_t(size * 83492791);
        Match m = M(x, y, hash % 17 == 0 ? 1 : 0, hash % 5000, size);
        m.compared = int64_t{size} * size;
        all.push_back(m);
      }
    }
  }
  return all;
}

TEST(MatchSelection, MergingHundredsOfThousandsKeepsWhatTheFullMergeKeeps) {
  // Every position of two sizes in a block (several parts of the order
  // sorted in turn, most candidates dropped unsorted), sums with many ties,
  // a share at a lower percentage (a second group, which the first group's
  // kept matches cover in part); once in a small area, once with a far
  // candidate that makes the area too large to sum its cover.
  for (const bool far : {false, true}) {
    SCOPED_TRACE(far ? "far candidate" : "small area");
    std::vector<Match> truth = DenseBlock();
    if (far) truth.push_back(M(4990, 4990, 0, 7, 8));
    ASSERT_GT(truth.size(), size_t{300000});
    std::vector<Match> unknown = truth;
    for (Match& m : unknown) m.sum = 0;
    PlacedSums sums(truth);
    const std::vector<Match> expected = SelectMatches(truth, true);
    for (const unsigned threads : {1u, 2u}) {
      const ParallelFor run = [threads](size_t count, const std::function<void(size_t)>& body,
                                        const std::function<void()>& onCaller) {
        RunShared(count, threads, body, onCaller);
      };
      // Its progress only rises, and counts no more than the candidates.
      MergeProgress last;
      bool rising = true;
      const auto progress = [&](const MergeProgress& now) {
        rising = rising && now.bounded >= last.bounded && now.decided >= last.decided &&
                 now.bounded <= unknown.size() && now.decided <= unknown.size();
        last = now;
      };
      EXPECT_EQ(MergeByBounds(unknown, sums, progress, run), expected) << threads << " threads";
      EXPECT_TRUE(rising) << threads << " threads";
      EXPECT_GT(last.decided, unknown.size() / 2) << threads << " threads";
    }
  }
}

TEST(MatchSelection, MergingByBoundsCountsEveryCandidateOnceInItsProgress) {
  // Candidates apart from each other: each is taken, refined to its exact
  // sum and kept, none dropped by another. The progress rises to all of
  // them and no further, however many refinements it counted on the way.
  std::vector<Match> truth;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 50; ++x) {
      Match m = M(5 * x, 5 * y, 0, uint64_t(x * 7919 + y * 104729) % 1000, 4);
      m.compared = 16;
      truth.push_back(m);
    }
  }
  std::vector<Match> unknown = truth;
  for (Match& m : unknown) m.sum = 0;
  PlacedSums sums(truth);
  MergeProgress last;
  bool rising = true;
  const auto progress = [&](const MergeProgress& now) {
    rising = rising && now.decided >= last.decided && now.decided <= truth.size();
    last = now;
  };
  EXPECT_EQ(MergeByBounds(unknown, sums, progress).size(), truth.size());
  EXPECT_TRUE(rising);
  EXPECT_EQ(last.decided, truth.size());
  EXPECT_EQ(last.bounded, truth.size());
}

TEST(KeepBestFirst, DecidesABatchAsTheWholeSortedBatchDecides) {
  // Every position of two sizes in a block with exact sums (many ties, a
  // share at a lower percentage): several parts sorted in turn, most of the
  // batch dropped unsorted; part of the area covered before, and the count
  // cut or not.
  const std::vector<Match> batch = DenseBlock();
  ASSERT_GT(batch.size(), size_t{300000});
  const TPXRect area{0, 0, 420, 400};
  const std::vector<Match> before = {M(100, 100, 0, 0, 50), M(0, 390, 0, 0, 10)};
  const auto coveredBefore = [&] {
    CoveredArea covered(area);
    for (const Match& m : before) covered.Cover(m);
    return covered;
  };
  std::vector<Match> sorted = batch;
  std::sort(sorted.begin(), sorted.end(), IsBetterMatch);
  for (const size_t most : {size_t{0}, size_t{5}, size_t{400}}) {
    std::vector<Match> expected = before;
    CoveredArea truth = coveredBefore();
    for (const Match& m : sorted) {
      if (most > 0 && expected.size() >= most) break;
      if (truth.AnyCovered(m)) continue;
      truth.Cover(m);
      expected.push_back(m);
    }
    if (most > 0) {
      ASSERT_EQ(expected.size(), most);
    } else {
      ASSERT_GT(expected.size(), size_t{400});
    }
    for (const unsigned threads : {1u, 2u}) {
      const ParallelFor run = [threads](size_t count, const std::function<void(size_t)>& body,
                                        const std::function<void()>& onCaller) {
        RunShared(count, threads, body, onCaller);
      };
      CoveredArea covered = coveredBefore();
      std::vector<Match> kept = before;
      KeepBestFirst(batch, covered, kept, most, run, StopToken::Never());
      EXPECT_EQ(kept, expected) << threads << " threads, most " << most;
    }
  }
}

TEST(BestCandidates, HoldsTheBestOfAllOfferedUpToItsCapacity) {
  std::mt19937 random(9);
  std::vector<Match> all;
  for (int i = 0; i < 300; ++i)
    all.push_back(M(int32_t(random() % 50), int32_t(random() % 50), random() % 5, random() % 7));
  for (size_t capacity : {1u, 7u, 299u, 300u, 400u}) {
    BestCandidates best(capacity);
    for (size_t begin = 0; begin < all.size(); begin += 13) {
      best.Offer({all.begin() + begin, all.begin() + std::min(all.size(), begin + 13)});
      EXPECT_EQ(best.Threshold().has_value(), std::min(all.size(), begin + 13) >= capacity);
    }
    std::vector<Match> expected = all;
    std::sort(expected.begin(), expected.end(), IsBetterMatch);
    expected.resize(std::min(capacity, all.size()));
    std::vector<Match> taken = best.Take();
    std::sort(taken.begin(), taken.end(), IsBetterMatch);
    EXPECT_EQ(taken, expected) << capacity;
  }
}

}  // namespace
}  // namespace pexora
