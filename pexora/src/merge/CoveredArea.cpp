#include "merge/CoveredArea.h"

#include <algorithm>

namespace pexora {

CoveredArea::CoveredArea(const TPXRect& area)
    : area_(area),
      wordsPerRow_((static_cast<size_t>(area.Width) + 63) / 64),
      bits_(wordsPerRow_ * static_cast<size_t>(area.Height)) {}

namespace {

// Calls body(word, mask) for the words of a row that hold columns first ..
// last (counted from the area's left edge), with the bits of those columns
// set in mask, until body returns true; true when it did.
template <typename Body>
bool ForSpanWords(size_t first, size_t last, const Body& body) {
  for (size_t word = first / 64; word <= last / 64; ++word) {
    const size_t from = word == first / 64 ? first % 64 : 0, to = word == last / 64 ? last % 64 : 63;
    if (body(word, (~uint64_t{0} >> (63 - to)) & (~uint64_t{0} << from))) return true;
  }
  return false;
}

}  // namespace

template <typename Body>
bool CoveredArea::ForWords(const Match& m, const Body& body) const {
  const size_t first = static_cast<size_t>(m.x - area_.X), last = first + static_cast<size_t>(m.width) - 1;
  for (int32_t y = m.y; y < m.y + m.height; ++y) {
    const size_t row = static_cast<size_t>(y - area_.Y) * wordsPerRow_;
    if (ForSpanWords(first, last, [&](size_t word, uint64_t mask) { return body(row + word, mask); })) return true;
  }
  return false;
}

bool CoveredArea::AnyCovered(const Match& m) const {
  return ForWords(m, [&](size_t word, uint64_t mask) { return (bits_[word] & mask) != 0; });
}

void CoveredArea::Cover(const Match& m) {
  ForWords(m, [&](size_t word, uint64_t mask) {
    bits_[word] |= mask;
    return false;
  });
}

void CoveredArea::CoveredColumns(int32_t y, int32_t height, std::vector<uint64_t>& columns) const {
  columns.assign(wordsPerRow_, 0);
  for (int32_t row = y; row < y + height; ++row) {
    const uint64_t* bits = bits_.data() + static_cast<size_t>(row - area_.Y) * wordsPerRow_;
    for (size_t word = 0; word < wordsPerRow_; ++word) columns[word] |= bits[word];
  }
}

bool CoveredArea::AnyInColumns(const std::vector<uint64_t>& columns, int32_t x, int32_t width) const {
  const size_t first = static_cast<size_t>(x - area_.X), last = first + static_cast<size_t>(width) - 1;
  return ForSpanWords(first, last, [&](size_t word, uint64_t mask) { return (columns[word] & mask) != 0; });
}

namespace {

// to[k] = from[k + shift] (bit k of the words in order), zero past the end.
void ShiftDown(const std::vector<uint64_t>& from, size_t shift, std::vector<uint64_t>& to) {
  const size_t words = from.size(), whole = shift / 64, bits = shift % 64;
  to.assign(words, 0);
  for (size_t w = 0; w + whole < words; ++w) {
    to[w] = from[w + whole] >> bits;
    if (bits > 0 && w + whole + 1 < words) to[w] |= from[w + whole + 1] << (64 - bits);
  }
}

}  // namespace

std::vector<int32_t> CoveredArea::WidestFree(const StopToken& stop) const {
  const auto width = static_cast<size_t>(area_.Width);
  std::vector<int32_t> widest(static_cast<size_t>(area_.Height) + 1, 0);
  // heights[x]: the uncovered pixels of column x up to the row, unbroken.
  std::vector<int32_t> heights(width, 0);
  std::vector<size_t> starts;  // columns of the stack's rising heights
  for (int32_t y = 0; y < area_.Height; ++y) {
    stop.Check();
    const uint64_t* bits = bits_.data() + static_cast<size_t>(y) * wordsPerRow_;
    for (size_t x = 0; x < width; ++x) heights[x] = (bits[x / 64] >> (x % 64) & 1) != 0 ? 0 : heights[x] + 1;
    // Each column's height, popped, spans back to where it began.
    starts.clear();
    for (size_t x = 0; x <= width; ++x) {
      const int32_t h = x < width ? heights[x] : 0;
      while (!starts.empty() && heights[starts.back()] >= h) {
        const size_t top = starts.back();
        starts.pop_back();
        const size_t from = starts.empty() ? 0 : starts.back() + 1;
        int32_t& w = widest[static_cast<size_t>(heights[top])];
        w = std::max(w, static_cast<int32_t>(x - from));
      }
      if (x < width) starts.push_back(x);
    }
  }
  for (size_t h = widest.size() - 1; h > 0; --h) widest[h - 1] = std::max(widest[h - 1], widest[h]);
  return widest;
}

bool CoveredArea::BlockedPositions(int32_t y, int32_t width, int32_t height, std::vector<uint64_t>& blocked) const {
  // Doubling: blocked[k] = OR of columns k .. k + reach - 1; then the rest
  // of the width with one more shift.
  CoveredColumns(y, height, blocked);
  thread_local std::vector<uint64_t> shifted;
  size_t reach = 1;
  for (; 2 * reach <= static_cast<size_t>(width); reach *= 2) {
    ShiftDown(blocked, reach, shifted);
    for (size_t w = 0; w < blocked.size(); ++w) blocked[w] |= shifted[w];
  }
  if (reach < static_cast<size_t>(width)) {
    ShiftDown(blocked, static_cast<size_t>(width) - reach, shifted);
    for (size_t w = 0; w < blocked.size(); ++w) blocked[w] |= shifted[w];
  }
  const size_t positions = static_cast<size_t>(area_.Width) - static_cast<size_t>(width) + 1;
  for (size_t w = 0; w < positions / 64; ++w) {
    if (blocked[w] != ~uint64_t{0}) return true;
  }
  return positions % 64 != 0 && (~blocked[positions / 64] & (~uint64_t{0} >> (64 - positions % 64))) != 0;
}

}  // namespace pexora
