#pragma once

#include <climits>

#include "Picture.h"

// A plain check of the sample pairs, independent of the search library: how
// many pixels of a search-for picture differ from the search-in picture at a
// place, under relative ARGB tolerances, with the search-for alpha either a
// channel or a mask (alpha 0 takes no part; a pixel of alpha a matches any
// searched value that some opaque background under it could give, widened by
// the tolerance; the A tolerance is not used).
namespace ScalarCheck {

struct Tolerances {
  int a = 15, r = 15, g = 15, b = 15;
};

struct Place {
  int x = 0, y = 0;
};

// Counting stops once the count exceeds stopAbove; the result is then stopAbove + 1.
int differences(const Picture& searchIn, const Picture& searchFor, Place at, Tolerances tolerances, bool alphaMask,
                int stopAbove = INT_MAX);

// The smallest difference count among the places whose rectangle does not
// overlap the one of the search-for picture at `at`; counts above cap are
// not told apart (the result is then cap + 1).
int closestElsewhere(const Picture& searchIn, const Picture& searchFor, Place at, Tolerances tolerances, bool alphaMask,
                     int cap);

}  // namespace ScalarCheck
