#include "engine/WorkUnits.h"

#include <algorithm>

namespace pexora {

// Rows one by one in bit-reversed order are slower than blocks of them
// (docs/library.md, *Measured constants*).
std::vector<int32_t> SpreadRows(int32_t rows) {
  constexpr int32_t kBlock = 16;
  const int32_t blocks = (rows + kBlock - 1) / kBlock;
  int bits = 0;
  while ((int64_t{1} << bits) < blocks) ++bits;
  std::vector<int32_t> order;
  order.reserve(static_cast<size_t>(rows));
  for (int64_t i = 0; i < (int64_t{1} << bits); ++i) {
    int64_t reversed = 0;
    for (int b = 0; b < bits; ++b) reversed |= ((i >> b) & 1) << (bits - 1 - b);
    if (reversed >= blocks) continue;
    const int32_t first = static_cast<int32_t>(reversed) * kBlock;
    for (int32_t row = first; row < std::min(rows, first + kBlock); ++row) order.push_back(row);
  }
  return order;
}

std::vector<WorkUnit> ListWorkUnits(const TPXRect& area, const SizedTemplates& templates) {
  const size_t sizes = templates.Count();
  std::vector<WorkUnit> units;
  units.reserve(static_cast<size_t>(CountWorkUnits(area, templates)));
  units.push_back({0, -1});
  for (size_t s = 0; s < sizes; ++s) {
    if (s + 1 < sizes) units.push_back({s + 1, -1});
    for (int32_t row : SpreadRows(area.Height - templates.Size(s).Height + 1)) units.push_back({s, area.Y + row});
  }
  return units;
}

int64_t CountWorkUnits(const TPXRect& area, const SizedTemplates& templates) {
  int64_t units = 0;
  for (size_t s = 0; s < templates.Count(); ++s) units += 1 + area.Height - templates.Size(s).Height + 1;
  return units;
}

}  // namespace pexora
