#include "engine/CandidateSink.h"

#include <algorithm>
#include <chrono>

#include "merge/PercentageOrder.h"

namespace pexora {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool CandidateSink::Skips(const SearchTemplate& /*t*/, int32_t /*y*/) {
  return overflow_.load() && rowsAfter_.load() >= rowsBefore_.load();
}

void CandidateSink::Take(const ScannedRow& row) {
  const int64_t* const differences = row.differences;
  if (overflow_.load()) {
    if (row.positions == 0) return;  // left unscanned
    ++rowsAfter_;
    const auto matching =
        std::count_if(differences, differences + row.positions, [&](int64_t d) { return d <= row.tolerance; });
    return progress_.OverflowRow(double(matching), SecondsSince(row.start));
  }
  RowMatches& found = found_[row.unit];
  found.y = row.y;
  found.width = row.t.width;
  found.height = row.t.height;
  found.compared = row.t.Compared();
  std::vector<RowMatches::Position>& positions = found.positions;
  for (int32_t i = 0; i < row.positions; ++i) {
    // At most the pixels of a size, which kMaxPixels keeps within 32 bits.
    if (differences[i] <= row.tolerance) positions.push_back({row.x0 + i, static_cast<uint32_t>(differences[i])});
  }
  if (int64_t(candidatesFound_.load() + positions.size()) > maxCandidates_) {
    // The rows so far and their matching positions, this one's too.
    // The rows to time after the room, known before the overflow shows.
    size_t unset = 0;
    rowsBefore_.compare_exchange_strong(unset, rowsScanned_.load() + 1);
    if (!overflow_.exchange(true)) {
      progress_.Overflowed(double(rowsScanned_.load() + 1), double(candidatesFound_.load() + positions.size()));
    }
    std::vector<RowMatches::Position>().swap(positions);
    return;
  }
  const double candidates = double(candidatesFound_ += positions.size());
  const double rows = double(++rowsScanned_);
  progress_.Collected(candidates, rows);
}

std::vector<Match> CandidateSink::Gather() {
  std::vector<Match> candidates;
  // In the merge's order where counting serves, else as the scan found them.
  const auto each = [this](const auto& visit) {
    for (const RowMatches& found : found_) {
      for (const RowMatches::Position& p : found.positions) visit(found.At(p));
    }
  };
  if (GatherByCounting(candidatesFound_.load(), each, candidates, kWholeBufferBytes, stop_)) {
    std::vector<RowMatches>().swap(found_);
    return candidates;
  }
  candidates.reserve(candidatesFound_.load());
  for (RowMatches& found : found_) {
    stop_.Check();
    for (const RowMatches::Position& p : found.positions) candidates.push_back(found.At(p));
    std::vector<RowMatches::Position>().swap(found.positions);
  }
  std::vector<RowMatches>().swap(found_);
  return candidates;
}

}  // namespace pexora
