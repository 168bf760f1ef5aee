// One position where the search-for picture matched, before it is reported.
#pragma once

#include <cstdint>

namespace pexora {

struct Match {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int64_t difference = 0;  // differing pixels
  int64_t compared = 0;    // pixels that took part
  uint64_t sum = 0;        // how far the pixels lie outside what tolerance 0 accepts

  bool operator==(const Match&) const = default;
};

}  // namespace pexora
