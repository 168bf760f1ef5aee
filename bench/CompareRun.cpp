#include "CompareRun.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace pexora::bench {

namespace {

using Clock = std::chrono::steady_clock;

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
double StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == field + ":") {
      double value = 0;
      status >> value;
      return value;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

// Lets the peak resident size (VmHWM) start again from the current size.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct ProgressLog {
  std::vector<std::pair<double, Clock::time_point>> reports;
};

void PX_CALL Record(double progress, int32_t, void* user) {
  static_cast<ProgressLog*>(user)->reports.emplace_back(progress, Clock::now());
}

}  // namespace

CompareRun RunCompare(const LibraryObject& in, const LibraryObject& of, const TPXProcessParameters& parameters) {
  ProgressLog log;
  TPXObject searchIn = in.record;
  searchIn.User = &log;
  TPXProcessParameters p = parameters;
  p.StatusCallback = Record;
  TPXResult result{};
  ResetPeakMemory();
  const double before = StatusKilobytes("VmRSS");
  const Clock::time_point start = Clock::now();
  CompareRun run;
  run.code = Pexora_Compare(searchIn, of.record, p, &result, nullptr);
  const Clock::time_point end = Clock::now();
  run.peakMegabytes = std::max(0.0, StatusKilobytes("VmHWM") - before) / 1024.0;
  run.seconds = std::chrono::duration<double>(end - start).count();
  run.matchCount = result.Success ? result.MatchCount : 0;
  if (run.matchCount > 0) {
    run.firstX = result.Matches[0].Position.X;
    run.firstY = result.Matches[0].Position.Y;
  }
  Pexora_FreeResult(&result);

  Clock::time_point last = start;
  for (const auto& [progress, at] : log.reports) {
    run.longestSilence = std::max(run.longestSilence, std::chrono::duration<double>(at - last).count());
    last = at;
    if (run.halfwayAt < 0 && progress >= 50 && run.seconds > 0) {
      run.halfwayAt = std::chrono::duration<double>(at - start).count() / run.seconds;
    }
  }
  run.longestSilence = std::max(run.longestSilence, std::chrono::duration<double>(end - last).count());
  return run;
}

}  // namespace pexora::bench
