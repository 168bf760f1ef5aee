// Sorting millions of candidates on every thread, in steps short enough to
// look for a stop request between them.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/StopToken.h"

namespace pexora {

// Runs body(0) .. body(count - 1), perhaps on several threads, and onCaller
// on the calling thread now and then.
using ParallelFor =
    std::function<void(size_t count, const std::function<void(size_t)>& body, const std::function<void()>& onCaller)>;

// Items compared between two looks for a stop request.
inline constexpr uint32_t kCompareStopInterval = 4096;

// `less`, looking for a stop request every kCompareStopInterval comparisons
// (counted in `count`, which the copies that a sort makes share).
template <typename T, typename Less>
auto Stoppable(const Less& less, const StopToken& stop, uint32_t& count) {
  return [&less, &stop, &count](const T& a, const T& b) {
    if (++count % kCompareStopInterval == 0) stop.Check();
    return less(a, b);
  };
}

// How many of the first `diagonal` items of std::merge(a, b) come from a:
// the least i for which b[diagonal - i - 1] goes before a[i] (merge path).
// Equal items come from a first, as std::merge takes them.
template <typename T, typename Less>
size_t MergeSplit(const T* a, size_t countA, const T* b, size_t countB, size_t diagonal, const Less& less) {
  size_t low = diagonal > countB ? diagonal - countB : 0;
  size_t high = std::min(diagonal, countA);
  while (low < high) {
    const size_t i = low + (high - low) / 2;
    if (less(b[diagonal - i - 1], a[i])) {
      high = i;
    } else {
      low = i + 1;
    }
  }
  return low;
}

// Sorts items[0, count) by `less` with room for as many in `buffer`: sixteen
// parts sorted on every thread, then merged pairwise into the buffer and
// back, each merge cut into as many pieces as there are parts so that every
// level keeps every thread busy.
template <typename T, typename Less>
void SortWithBuffer(T* items, size_t count, T* buffer, const Less& less, const ParallelFor& run,
                    const std::function<void()>& report, const StopToken& stop) {
  constexpr size_t kParts = 16;
  static_assert(std::countr_zero(kParts) % 2 == 0, "an even number of merge levels ends in items");
  const auto bound = [count](size_t k) { return count * k / kParts; };
  run(
      kParts,
      [&](size_t k) {
        uint32_t compared = 0;
        std::sort(items + bound(k), items + bound(k + 1), Stoppable<T>(less, stop, compared));
      },
      report);
  T* from = items;
  T* to = buffer;
  for (size_t width = 1; width < kParts; width *= 2) {
    const size_t pieces = width * 2;  // of each pair's merge
    run(
        kParts,
        [&](size_t task) {
          const size_t pair = task / pieces, piece = task % pieces;
          const size_t begin = bound(2 * pair * width), middle = bound((2 * pair + 1) * width);
          const size_t end = bound((2 * pair + 2) * width);
          const T* a = from + begin;
          const T* b = from + middle;
          const size_t countA = middle - begin, countB = end - middle, total = end - begin;
          const size_t first = total * piece / pieces, last = total * (piece + 1) / pieces;
          uint32_t compared = 0;
          const auto cmp = Stoppable<T>(less, stop, compared);
          const size_t firstA = MergeSplit(a, countA, b, countB, first, cmp);
          const size_t lastA = MergeSplit(a, countA, b, countB, last, cmp);
          std::merge(a + firstA, a + lastA, b + (first - firstA), b + (last - lastA), to + begin + first, cmp);
        },
        report);
    std::swap(from, to);
  }
}

// Items sorted with a buffer for all of them up to this size; beyond it the
// buffer holds half, and the last merge runs on the calling thread: the
// dense merge's millions of candidates would otherwise hold the buffer's
// hundreds of megabytes at its peak.
inline constexpr size_t kWholeBufferBytes = size_t{1} << 28;

// Sorts `items` by `less` on every thread (SortWithBuffer; in two halves,
// merged on the calling thread, beyond `wholeBufferBytes`). Nothing runs
// long between two looks at `stop`: the comparisons look every few thousand,
// copies every block, and the buffer's pages are first touched by the
// merges. `report` runs on the calling thread now and then. The order of
// equal items depends on the parts alone, not on the threads.
template <typename T, typename Less>
void SortInParts(T* const data, const size_t count, const Less& less, const ParallelFor& run,
                 const std::function<void()>& report, const StopToken& stop,
                 size_t wholeBufferBytes = kWholeBufferBytes) {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  // Few items are sorted here: starting threads for them costs more than
  // sorting (docs/library.md, *Measured constants*).
  constexpr size_t kFewItems = 8192, kCopyBlock = size_t{1} << 16, kReportEvery = size_t{1} << 20;
  uint32_t compared = 0;
  if (count < kFewItems) return std::sort(data, data + count, Stoppable<T>(less, stop, compared));
  const bool inHalves = count > wholeBufferBytes / sizeof(T);
  const size_t room = inHalves ? count - count / 2 : count;
  // Uninitialised: its pages cost nothing until a merge writes them.
  std::allocator<T> allocator;
  const auto release = [&](T* p) { allocator.deallocate(p, room); };
  const std::unique_ptr<T, decltype(release)> buffer(allocator.allocate(room), release);
  if (!inHalves) return SortWithBuffer(data, count, buffer.get(), less, run, report, stop);
  SortWithBuffer(data, room, buffer.get(), less, run, report, stop);
  SortWithBuffer(data + room, count - room, buffer.get(), less, run, report, stop);
  // The first half moves to the buffer; merged from the front, the output
  // never overtakes the second half's next item.
  const auto copy = [&stop](const T* from, size_t n, T* to) {
    for (size_t done = 0; done < n; done += kCopyBlock) {
      stop.Check();
      std::copy(from + done, from + std::min(n, done + kCopyBlock), to + done);
    }
  };
  copy(data, room, buffer.get());
  const auto cmp = Stoppable<T>(less, stop, compared);
  const T *a = buffer.get(), *const aEnd = a + room;
  const T *b = data + room, *const bEnd = data + count;
  T* out = data;
  while (a != aEnd && b != bEnd) {
    *out++ = cmp(*b, *a) ? *b++ : *a++;
    if (static_cast<size_t>(out - data) % kReportEvery == 0) report();
  }
  copy(a, static_cast<size_t>(aEnd - a), out);  // what is left of the second half is in place
}

template <typename T, typename Less>
void SortInParts(std::vector<T>& items, const Less& less, const ParallelFor& run, const std::function<void()>& report,
                 const StopToken& stop, size_t wholeBufferBytes = kWholeBufferBytes) {
  SortInParts(items.data(), items.size(), less, run, report, stop, wholeBufferBytes);
}

// Moves the least items of items[0, count), about `want` of them and at
// least one, to the front, sorted (SortInParts), and returns how many: none
// of the others goes before any of them. For taking millions of items least
// first when most of them will be dropped unsorted.
template <typename T, typename Less>
size_t SortLeast(T* const items, const size_t count, const size_t want, const Less& less, const ParallelFor& run,
                 const std::function<void()>& report, const StopToken& stop) {
  if (count == 0) return 0;
  size_t least = count;
  if (want < count - count / 4) {
    // The pivot: of evenly spread samples, the one with about the wanted
    // share of samples before it.
    constexpr size_t kSamples = 1024;
    std::vector<T> samples;
    samples.reserve(kSamples);
    for (size_t k = 0; k < kSamples; ++k)
      samples.push_back(items[count / kSamples * k + count % kSamples * k / kSamples]);
    uint32_t compared = 0;
    const auto cmp = Stoppable<T>(less, stop, compared);
    std::sort(samples.begin(), samples.end(), cmp);
    const T pivot = samples[std::min(kSamples - 1, want * kSamples / count)];
    // Those not after the pivot (the pivot too) to the front.
    T* low = items;
    T* high = items + count;
    while (true) {
      while (low < high && !cmp(pivot, *low)) ++low;
      while (low < high && cmp(pivot, *(high - 1))) --high;
      if (high - low < 2) break;
      std::iter_swap(low++, --high);
    }
    least = static_cast<size_t>(low - items);
  }
  SortInParts(items, least, less, run, report, stop);
  return least;
}

}  // namespace pexora
