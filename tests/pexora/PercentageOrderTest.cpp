// The order of the merge of collected candidates, sorted by counting: the
// order a stable comparison sort gives, for candidates as the scan gathers
// them and for ones it never would; refused, untouched, where counting would
// not pay or the candidates are in order as they come.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "merge/PercentageOrder.h"

namespace pexora {
namespace {

struct Size {
  int32_t width, height;
  int64_t compared;
};

// Rows of candidates of each size in turn (as the scan gathers them when
// `bySize`, else the sizes taking turns row by row), differences 0..most.
std::vector<Match> Candidates(const std::vector<Size>& sizes, int32_t rows, int32_t perRow, int64_t most, bool bySize,
                              uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Match> out;
  const auto row = [&](const Size& s, int32_t y) {
    for (int32_t x = 0; x < perRow; ++x) {
      out.push_back({x, y, s.width, s.height, int64_t(random() % uint64_t(most + 1)), s.compared, 0});
    }
  };
  if (bySize) {
    for (const Size& s : sizes) {
      for (int32_t y = 0; y < rows; ++y) row(s, y);
    }
  } else {
    for (int32_t y = 0; y < rows; ++y) {
      for (const Size& s : sizes) row(s, y);
    }
  }
  return out;
}

TEST(SortByCounting, OrdersAsAStableSortByPercentageAndSize) {
  struct Case {
    const char* what;
    std::vector<Size> sizes;
    int64_t most;
    bool bySize;
  };
  const std::vector<Case> cases = {
      {"one size, differences up to 1000", {{32, 32, 1024}}, 1000, true},
      // Stretched: percentages of different sizes fall between each other
      // and some are equal (0 of 100 and 0 of 400, 1 of 100 and 4 of 400).
      {"sizes smallest first", {{10, 10, 100}, {12, 12, 144}, {20, 20, 400}}, 60, true},
      {"sizes largest first", {{20, 20, 400}, {12, 12, 144}, {10, 10, 100}}, 60, true},
      {"sizes in turns row by row", {{10, 10, 100}, {20, 20, 400}, {20, 10, 200}}, 60, false},
      // One size whose masked pixels differ from another of the same size:
      // equal percentages of different counts stay in the order they came.
      {"one size, two counts compared", {{10, 10, 100}, {10, 10, 50}}, 40, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<Match> given = Candidates(c.sizes, 40, 300, c.most, c.bySize, 7);
    std::vector<Match> expected = given;
    std::stable_sort(expected.begin(), expected.end(), ByPercentageAndSize);
    std::vector<Match> sorted = given;
    ASSERT_TRUE(SortByCounting(sorted, size_t{1} << 30, StopToken::Never()));
    EXPECT_EQ(sorted, expected);
  }
}

TEST(SortByCounting, RefusesWhereCountingWouldNotPayAndLeavesTheCandidates) {
  // Differences spread over millions for a few thousand candidates, and
  // candidates beyond the room allowed.
  std::vector<Match> spread = Candidates({{2000, 2000, 4000000}}, 4, 1000, 3000000, true, 3);
  const std::vector<Match> given = spread;
  EXPECT_FALSE(SortByCounting(spread, size_t{1} << 30, StopToken::Never()));
  EXPECT_EQ(spread, given);
  std::vector<Match> many = Candidates({{10, 10, 100}}, 10, 100, 50, true, 5);
  const std::vector<Match> before = many;
  EXPECT_FALSE(SortByCounting(many, sizeof(Match) * (many.size() - 1), StopToken::Never()));
  EXPECT_EQ(many, before);
  // Nothing to order where every candidate has one percentage and size.
  std::vector<Match> none;
  EXPECT_FALSE(SortByCounting(none, 0, StopToken::Never()));
  std::vector<Match> alike = Candidates({{8, 8, 64}}, 10, 100, 0, true, 9);
  const std::vector<Match> asTheyCame = alike;
  EXPECT_FALSE(SortByCounting(alike, size_t{1} << 30, StopToken::Never()));
  EXPECT_EQ(alike, asTheyCame);
  EXPECT_TRUE(std::is_sorted(alike.begin(), alike.end(), ByPercentageAndSize));
}

}  // namespace
}  // namespace pexora
