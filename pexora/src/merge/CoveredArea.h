// The pixels of an area that kept matches cover, one bit each: a rectangle
// overlaps a kept match exactly when it holds a covered pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Match.h"
#include "core/StopToken.h"
#include "pexora/pexora.h"

namespace pexora {

class CoveredArea {
 public:
  explicit CoveredArea(const TPXRect& area);

  const TPXRect& Area() const { return area_; }

  // Whether a pixel of m's rectangle (inside the area) is covered.
  bool AnyCovered(const Match& m) const;
  void Cover(const Match& m);

  // The columns of the area that hold a covered pixel in rows y .. y +
  // height - 1, one bit each: a rectangle of those rows overlaps a kept match
  // exactly when AnyInColumns finds one of its columns set.
  void CoveredColumns(int32_t y, int32_t height, std::vector<uint64_t>& columns) const;
  bool AnyInColumns(const std::vector<uint64_t>& columns, int32_t x, int32_t width) const;

  // The positions of a width x height rectangle in row y that overlap a
  // kept match, one bit each from the area's left edge (bit k for x = area.X
  // + k, for every k up to the area's width - width); true when at least
  // one position is left free. A shift and an OR per word for each doubling
  // of the width, where AnyInColumns looks a position at a time.
  bool BlockedPositions(int32_t y, int32_t width, int32_t height, std::vector<uint64_t>& blocked) const;

  // For each height h from 0 to the area's, the widest rectangle of that
  // height (or more) that holds no covered pixel: a width x h rectangle fits
  // somewhere uncovered exactly when widest[h] >= width. One pass over the
  // pixels (the largest empty rectangles by a stack of column heights),
  // looking for a stop request every row.
  std::vector<int32_t> WidestFree(const StopToken& stop) const;

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
