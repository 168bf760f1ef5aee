// How many compared pixels of a match may differ: a number of pixels, or a
// share of them that the library turns into a count for each search-for size.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pexora::find {

struct DifferenceTolerance {
  int32_t pixels = 0;            // the library's DifferenceTolerance
  double leastPercentage = 0.0;  // the least MatchPercentage of a match
};

// "150" (pixels, 0 .. 2^31 - 1) or "5%" (a share 0 .. 100 with at most three
// decimals); nothing for any other text. A share P allows every position
// whose MatchPercentage is at least 100 - P, the difference computed in
// decimal and rounded once, so that "5%" of 400 pixels allows exactly 20.
std::optional<DifferenceTolerance> ParseDifference(std::string_view text);

// The share that argb and ahsl allow unless told otherwise.
inline constexpr std::string_view kDefaultShare = "1%";

// No differing pixel for exact, kDefaultShare for the others.
DifferenceTolerance DefaultDifference(int32_t compareType);

}  // namespace pexora::find
