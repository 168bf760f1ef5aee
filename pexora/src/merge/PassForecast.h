// The seconds that a merge in passes has left, from what its scans took so far.
//
// A scan costs its rows (the first scan tells how much) and the undecided
// positions it meets: each one that may enter the pass's set of best
// positions gets its exact sum, the others are rejected by a bound, at a
// fixed share of that cost. Of U positions met in random order by a set of
// capacity C, about C (1 + ln(U / C)) need their sums (the k-th enters the
// best so far with chance C / k); the running pass tells what share of the
// logarithm it needs. The first pass meets every matching position of
// the first scan; each later pass meets a share of what the last one met,
// which the passes so far tell. A pass that meets fewer positions than its
// set holds is the last. A pass after the first is forecast, once it has
// scanned some rows, from the time the last pass took on the rest of them
// in proportion. Rows are reported from any thread.
#pragma once

#include <mutex>
#include <vector>

namespace pexora {

class PassForecast {
 public:
  // `capacity`: how many positions the set of a pass holds; `rows`: the
  // rows of one scan.
  PassForecast(double capacity, double rows);

  // `rows` rows of the first scan, not timed, met `matching` positions.
  void FirstScanRows(double rows, double matching);
  // A row of the first scan met `matching` positions in `seconds`.
  void FirstScanRow(double matching, double seconds);

  // A pass begins; `expectedMet`: how many undecided matching positions it
  // will meet, as a sample of them tells (below 0 when none was taken).
  void BeginPass(double expectedMet = -1);
  // A row of the running pass met `met` undecided positions, `summed` of
  // them with their exact sums, in `seconds`.
  void PassRow(double met, double summed, double seconds);
  // The pass's scan ended; what follows it (taking and deciding its set)
  // took `seconds`.
  void EndPass(double seconds);

  // No pass follows: the merge is done once its last batch is decided.
  void Finish();

  double RemainingSeconds() const;

  // How many of `met` positions a set of `capacity` is expected to sum,
  // `entering` being the share of the random order's sums past capacity.
  static double ExpectedSums(double met, double capacity, double entering);

 private:
  struct Pass {
    double rows = 0, met = 0, summed = 0;
  };
  // Seconds per row of a scan, per summed position, and after each pass's
  // scan; the share of sums past capacity for a pass that meets `met` and
  // has met `done`; the first scan's matching
  // positions, projected; the share of the last pass's positions the next
  // one meets.
  double RowRate() const;
  double SumRate() const;
  double EndRate() const;
  double Entering(double met, const Pass& done) const;
  double Matching() const;
  double Share() const;
  // What is left of a pass that meets `met` positions, of which `done` has
  // been met, with `rows` rows to scan.
  double PassSeconds(double met, const Pass& done, double rows) const;

  const double capacity_, rows_;
  mutable std::mutex mutex_;
  double scanRows_ = 0;                     // of the first scan
  double timedRows_ = 0, scanSeconds_ = 0;  // of those, timed
  double matching_ = 0;                     // met by the first scan's rows
  double work_ = 0, workSeconds_ = 0;       // positions met, in sums, and their time beyond the rows
  double endSeconds_ = 0;                   // after the passes' scans
  bool running_ = false, finished_ = false;
  double expected_ = -1;  // what the running pass will meet, if a sample told
  // Seconds spent on each pass's first k rows, for k = 0, 1, ...: the
  // running pass's and the last finished one's. Passes scan the same rows
  // in the same order, and their time is spread over them alike (most of it
  // on the first sizes, which meet the most positions), where their count
  // alone would spread it evenly.
  std::vector<double> profile_{0.0}, lastProfile_;
  Pass current_;
  std::vector<double> met_;  // by each finished pass
};

}  // namespace pexora
