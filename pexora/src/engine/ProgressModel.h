// How far a comparison is, as the share of its time already spent.
//
// Work comes in units, grouped so that the units of a group cost alike (the
// rows of one size, the sums of one size), and groups come in kinds (preparing
// sizes, scanning rows, sums). The time of the units still to run is estimated
// from what the finished units of the same group took; a group not begun is
// estimated from its prior cost, scaled by how long the finished work of its
// kind (of any kind, before its own has begun) took against its prior.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace pexora {

class ProgressModel {
 public:
  // Adds a group (of a `kind` from 0) of `units` units of prior cost `priorPerUnit` each
  // (any unit, the same for every group) and returns its number.
  size_t AddGroup(int kind, double units, double priorPerUnit);
  void SetGroup(size_t group, double units, double priorPerUnit);

  // Seconds per prior unit for a kind of work before any of it is measured,
  // rather than the ratio of the work measured so far.
  void SetFirstGuess(int kind, double secondsPerPrior);

  // `units` units of the group (one unless told) took `seconds`.
  void Done(size_t group, double seconds, double units = 1);

  // Spent time over spent plus estimated remaining time, 0 .. 1.
  double Fraction() const;

 private:
  struct Group {
    int kind = 0;
    double units = 0, prior = 0;
    double done = 0, seconds = 0;
  };
  mutable std::mutex mutex_;
  std::vector<Group> groups_;
  std::map<int, double> firstGuess_;
  mutable std::vector<std::pair<double, double>> byKind_;
};

}  // namespace pexora
