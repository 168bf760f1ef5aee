// The pixels of an area that kept matches cover, one bit each: a rectangle
// overlaps a kept match exactly when it holds a covered pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Match.h"
#include "pexora/pexora.h"

namespace pexora {

class CoveredArea {
 public:
  explicit CoveredArea(const TPXRect& area);

  // Whether a pixel of m's rectangle (inside the area) is covered.
  bool AnyCovered(const Match& m) const;
  void Cover(const Match& m);

  // The columns of the area that hold a covered pixel in rows y .. y +
  // height - 1, one bit each: a rectangle of those rows overlaps a kept match
  // exactly when AnyInColumns finds one of its columns set.
  void CoveredColumns(int32_t y, int32_t height, std::vector<uint64_t>& columns) const;
  bool AnyInColumns(const std::vector<uint64_t>& columns, int32_t x, int32_t width) const;

 private:
  // Calls body(word index, mask) for the words of each row of m's rectangle
  // until body returns true; true when it did.
  template <typename Body>
  bool ForWords(const Match& m, const Body& body) const;

  TPXRect area_;
  size_t wordsPerRow_ = 0;
  std::vector<uint64_t> bits_;
};

}  // namespace pexora
