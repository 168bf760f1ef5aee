// The sizes a search-for picture is stretched to.
#include <gtest/gtest.h>

#include "scan/StretchSizes.h"

namespace pexora {
namespace {

std::vector<std::pair<int, int>> Sizes(int32_t w, int32_t h, TPXDimensions min, TPXDimensions max,
                                       TPXDimensions limit = {10000, 10000}) {
  std::vector<std::pair<int, int>> out;
  for (const TPXDimensions& d : StretchSizes(w, h, min, max, limit)) out.emplace_back(d.Width, d.Height);
  return out;
}

TEST(StretchSizes, SquareIconFrom20To100) {
  const auto sizes = Sizes(48, 48, {20, 20}, {100, 100});
  ASSERT_EQ(sizes.size(), 81u);
  EXPECT_EQ(sizes.front(), std::make_pair(20, 20));
  EXPECT_EQ(sizes.back(), std::make_pair(100, 100));
}

TEST(StretchSizes, KeepsTheAspectRatioWithTheShorterSideRounded) {
  EXPECT_EQ(Sizes(40, 20, {10, 10}, {30, 30}), (std::vector<std::pair<int, int>>{{19, 10},
                                                                                 {20, 10},
                                                                                 {21, 11},
                                                                                 {22, 11},
                                                                                 {23, 12},
                                                                                 {24, 12},
                                                                                 {25, 13},
                                                                                 {26, 13},
                                                                                 {27, 14},
                                                                                 {28, 14},
                                                                                 {29, 15},
                                                                                 {30, 15}}));
  // Portrait: the height steps.
  EXPECT_EQ(Sizes(2, 3, {1, 1}, {3, 5}), (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 3}, {3, 4}, {3, 5}}));
}

TEST(StretchSizes, LimitsAndDegenerateRanges) {
  EXPECT_EQ(Sizes(10, 10, {0, -5}, {3, 3}), (std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {3, 3}}));
  EXPECT_TRUE(Sizes(10, 10, {20, 20}, {10, 10}).empty());
  EXPECT_TRUE(Sizes(10, 10, {0, 0}, {0, 0}).empty());
  EXPECT_EQ(Sizes(10, 10, {1, 1}, {100, 100}, {4, 3}).size(), 3u);
  EXPECT_TRUE(Sizes(0, 10, {1, 1}, {100, 100}).empty());
  // A very thin picture: the shorter side never drops below 1.
  EXPECT_EQ(Sizes(100, 1, {1, 1}, {3, 3}), (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}}));
}

}  // namespace
}  // namespace pexora
