#include "merge/KeepBestFirst.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "merge/MatchSelection.h"

namespace pexora {

void KeepBestFirst(std::vector<Match> batch, CoveredArea& covered, std::vector<Match>& kept, size_t most,
                   const ParallelFor& run, const StopToken& stop) {
  // The first part as the merge of collected positions takes it, then
  // doubling; drops run in chunks, one stop check each.
  constexpr size_t kFirstSorted = size_t{1} << 16, kChunk = 4096;
  const std::function<void()> noReport = [] {};
  std::vector<uint8_t> dropped;
  for (size_t begin = 0; begin < batch.size();) {
    const size_t want = std::max(kFirstSorted, begin);
    const size_t end =
        begin + SortLeast(batch.data() + begin, batch.size() - begin, want, IsBetterMatch, run, noReport, stop);
    const size_t keptBefore = kept.size();
    for (size_t i = begin; i < end; ++i) {
      if (i % kCompareStopInterval == 0) stop.Check();
      const Match& m = batch[i];
      if (covered.AnyCovered(m)) continue;
      covered.Cover(m);
      kept.push_back(m);
      if (most > 0 && kept.size() >= most) return;
    }
    begin = end;
    if (kept.size() == keptBefore || begin == batch.size()) continue;
    // What the matches kept since cover leaves the rest.
    const size_t rest = batch.size() - begin;
    dropped.assign(rest, 0);
    run((rest + kChunk - 1) / kChunk,
        [&](size_t chunk) {
          stop.Check();
          for (size_t i = chunk * kChunk; i < std::min(rest, (chunk + 1) * kChunk); ++i) {
            dropped[i] = covered.AnyCovered(batch[begin + i]) ? 1 : 0;
          }
        },
        noReport);
    size_t left = begin;
    for (size_t i = 0; i < rest; ++i) {
      if (i % kCompareStopInterval == 0) stop.Check();
      if (dropped[i] == 0) batch[left++] = batch[begin + i];
    }
    batch.resize(left);
  }
}

}  // namespace pexora
