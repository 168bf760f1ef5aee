#include "PositionScan.h"

#include "ScalarScan.h"

namespace pexora {

void ScanRow(const ChannelPlanes& in, const SearchTemplate& t, int32_t y, int32_t x0, int32_t count,
             int64_t limit, int64_t* differences) {
  ScanRowScalar(in, t, y, x0, count, limit, differences);
}

}  // namespace pexora
