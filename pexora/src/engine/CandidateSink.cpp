#include "engine/CandidateSink.h"

#include <algorithm>
#include <chrono>

namespace pexora {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void CandidateSink::Take(const ScannedRow& row) {
  const int64_t* const differences = row.differences;
  if (overflow_.load()) {
    const auto matching =
        std::count_if(differences, differences + row.positions, [&](int64_t d) { return d <= row.tolerance; });
    return progress_.OverflowRow(double(matching), SecondsSince(row.start));
  }
  std::vector<Match>& found = found_[row.unit];
  for (int32_t i = 0; i < row.positions; ++i) {
    if (differences[i] <= row.tolerance) found.push_back(row.MatchAt(i));
  }
  // Held here, then once more while they are gathered for the merge.
  if (int64_t(candidatesFound_.load() + found.size()) > maxCandidates_) {
    // The rows so far and their matching positions, this one's too.
    if (!overflow_.exchange(true)) {
      progress_.Overflowed(double(rowsScanned_.load() + 1), double(candidatesFound_.load() + found.size()));
    }
    std::vector<Match>().swap(found);
    return;
  }
  const double candidates = double(candidatesFound_ += found.size());
  const double rows = double(++rowsScanned_);
  progress_.Collected(candidates, rows);
}

std::vector<Match> CandidateSink::Gather() {
  std::vector<Match> candidates;
  candidates.reserve(candidatesFound_.load());
  for (std::vector<Match>& found : found_) {
    stop_.Check();
    candidates.insert(candidates.end(), found.begin(), found.end());
    std::vector<Match>().swap(found);
  }
  std::vector<std::vector<Match>>().swap(found_);
  return candidates;
}

}  // namespace pexora
