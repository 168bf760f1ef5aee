// The merge's sort of millions of candidates on every thread: the order of
// std::sort's contract, equal items in one order whatever the threads, and
// every piece of the merges where it belongs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "core/SharedLoop.h"
#include "merge/ParallelSort.h"

namespace pexora {
namespace {

struct Item {
  uint32_t key;
  uint32_t id;  // tells equal keys apart
  bool operator==(const Item&) const = default;
};

bool ByKey(const Item& a, const Item& b) { return a.key < b.key; }

std::vector<Item> Items(size_t count, uint32_t keys, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Item> items(count);
  for (size_t i = 0; i < count; ++i) items[i] = {uint32_t(random() % keys), uint32_t(i)};
  return items;
}

std::vector<Item> Sorted(std::vector<Item> items, unsigned threads, size_t wholeBufferBytes) {
  const ParallelFor run = [threads](size_t count, const std::function<void(size_t)>& body,
                                    const std::function<void()>& onCaller) {
    RunShared(count, threads, body, onCaller);
  };
  SortInParts(
      items, ByKey, run, [] {}, StopToken::Never(), wholeBufferBytes);
  return items;
}

TEST(SortInParts, SortsAndKeepsEveryItemWithTiesInOneOrderOnAnyThreadCount) {
  struct Case {
    size_t count;
    uint32_t keys;
  };
  // Fewer than the threshold of the parts, just past it, parts of uneven
  // length, keys all equal, few keys (long runs across the pieces' cuts),
  // keys all different; with a buffer for all items and, as for the dense
  // merge's hundreds of megabytes, for half of them.
  for (const size_t wholeBufferBytes : {kWholeBufferBytes, size_t{1}}) {
    for (const Case c :
         {Case{100, 10}, Case{8192, 5}, Case{8193, 1}, Case{100003, 3}, Case{65536, 1u << 30}, Case{250001, 1000}}) {
      SCOPED_TRACE(testing::Message() << c.count << " items, " << c.keys << " keys, buffer up to " << wholeBufferBytes
                                      << " bytes");
      const std::vector<Item> items = Items(c.count, c.keys, uint32_t(c.count));
      const std::vector<Item> one = Sorted(items, 1, wholeBufferBytes);
      EXPECT_TRUE(std::is_sorted(one.begin(), one.end(), ByKey));
      std::vector<Item> byId = one;
      std::sort(byId.begin(), byId.end(), [](const Item& a, const Item& b) { return a.id < b.id; });
      EXPECT_EQ(byId, items);
      EXPECT_EQ(Sorted(items, 2, wholeBufferBytes), one);
      EXPECT_EQ(Sorted(items, 5, wholeBufferBytes), one);
    }
  }
}

TEST(SortInParts, SortLeastPutsTheLeastFirstSortedAndNothingLessAfterThem) {
  // Wanted shares from none to all, keys all equal, few and all different;
  // the part returned is at least one item, sorted, and no item after it
  // goes before any in it.
  for (const uint32_t keys : {1u, 7u, 1u << 30}) {
    for (const size_t want : {size_t{0}, size_t{1}, size_t{1000}, size_t{30000}, size_t{200000}}) {
      SCOPED_TRACE(testing::Message() << keys << " keys, " << want << " wanted");
      const std::vector<Item> items = Items(100000, keys, keys + uint32_t(want));
      std::vector<Item> moved = items;
      const ParallelFor run = [](size_t count, const std::function<void(size_t)>& body,
                                 const std::function<void()>& onCaller) { RunShared(count, 2, body, onCaller); };
      const size_t least = SortLeast(
          moved.data(), moved.size(), want, ByKey, run, [] {}, StopToken::Never());
      ASSERT_GE(least, size_t{1});
      ASSERT_LE(least, moved.size());
      EXPECT_TRUE(std::is_sorted(moved.begin(), moved.begin() + std::ptrdiff_t(least), ByKey));
      const auto firstAfter = std::min_element(moved.begin() + std::ptrdiff_t(least), moved.end(), ByKey);
      if (firstAfter != moved.end()) {
        EXPECT_FALSE(ByKey(*firstAfter, moved[least - 1]));
      }
      // About the share wanted, when the keys allow it.
      if (keys > 100000 && want >= 1000 && want < 75000) {
        EXPECT_GT(least, want / 2);
        EXPECT_LT(least, want * 2);
      }
      std::sort(moved.begin(), moved.end(), [](const Item& a, const Item& b) { return a.id < b.id; });
      EXPECT_EQ(moved, items);
    }
  }
}

TEST(SortInParts, MergeSplitCutsWhereStdMergeWouldBe) {
  // Two sorted runs with many equal keys between them; the first n items of
  // their merge hold MergeSplit(n) items of the first run.
  const std::vector<Item> a = {{1, 0}, {2, 1}, {2, 2}, {2, 3}, {5, 4}, {7, 5}};
  const std::vector<Item> b = {{0, 6}, {2, 7}, {2, 8}, {6, 9}, {7, 10}, {9, 11}};
  std::vector<Item> merged(a.size() + b.size());
  std::merge(a.begin(), a.end(), b.begin(), b.end(), merged.begin(), ByKey);
  for (size_t n = 0; n <= merged.size(); ++n) {
    const size_t fromA = size_t(
        std::count_if(merged.begin(), merged.begin() + std::ptrdiff_t(n), [](const Item& i) { return i.id < 6; }));
    EXPECT_EQ(MergeSplit(a.data(), a.size(), b.data(), b.size(), n, ByKey), fromA) << n;
  }
}

}  // namespace
}  // namespace pexora
