// Comparisons that run for seconds, each spending its time in one stage of
// the search, and a way to stop one from another thread and see how long
// the library took to return.
#pragma once

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "TestPictures.h"
#include "pexora/pexora.h"

namespace pexora::test {

struct LongSearch {
  std::string name;
  Image in, of;
  TPXProcessParameters parameters{};
};

inline void PrintTo(const LongSearch& search, std::ostream* out) { *out << search.name; }

inline TPXProcessParameters LongParameters(int32_t differenceTolerance) {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.DifferenceTolerance = differenceTolerance;
  p.MultipleMatches = 1;
  return p;
}

// Each takes seconds to finish on its own, most of it in the stage named.
inline std::vector<LongSearch> LongSearches() {
  std::vector<LongSearch> searches;
  // Random pixels, a tolerance that lets each position test tens of
  // thousands of them before it fails: the vector scan, and beyond what
  // 16-bit counters hold, the scalar one.
  searches.push_back({"scan", RandomPicture(900, 900, 1), RandomPicture(256, 256, 2), LongParameters(60000)});
  searches.push_back({"scalar scan", RandomPicture(900, 900, 3), RandomPicture(300, 300, 4), LongParameters(80000)});
  // Every position of a flat picture matches: millions of matching
  // positions to sort and merge.
  searches.push_back({"merge", Uniform(2048, 2048, 0xFF808080u), Uniform(8, 8, 0xFF808080u), LongParameters(0)});
  // Many large sizes, each a big resampling and preparation, little to scan.
  LongSearch stretch{"stretch preparation", RandomPicture(1024, 1024, 5), RandomPicture(1024, 1024, 6),
                     LongParameters(0)};
  stretch.parameters.StretchCompare = 1;
  stretch.parameters.StretchResampler = PX_RESAMPLER_BILINEAR;
  stretch.parameters.MinimalStretchSize = {700, 700};
  stretch.parameters.MaximalStretchSize = {1024, 1024};
  searches.push_back(std::move(stretch));
  // The case users met: a small picture stretched over a large flat one.
  LongSearch tiny{"small picture stretched in a flat one", Uniform(2048, 2048, 0xFF336699u), Uniform(8, 8, 0xFF336699u),
                  LongParameters(0)};
  tiny.parameters.StretchCompare = 1;
  tiny.parameters.MinimalStretchSize = {1, 1};
  tiny.parameters.MaximalStretchSize = {64, 64};
  searches.push_back(std::move(tiny));
  return searches;
}

// Returns the flag at User: what another thread sets to stop a comparison.
inline int32_t PX_CALL ReturnFlag(void* user) { return static_cast<std::atomic<int32_t>*>(user)->load(); }

struct StoppedSearch {
  int32_t code = -1;
  TPXResult result{};
  double delayMs = 0;  // from the request to the return
};

// Runs `parameters` on the objects, sets the stop flag after `after` from
// another thread, and measures how long the comparison took to return
// after that. With `timeLimit` set instead, the limit is the request.
inline StoppedSearch StopAfter(const TPXObject& in, const TPXObject& of, const TPXProcessParameters& parameters,
                               std::chrono::milliseconds after, bool timeLimit) {
  using Clock = std::chrono::steady_clock;
  std::atomic<int32_t> flag{0};
  TPXSearchOptions options{};
  options.Size = sizeof options;
  if (timeLimit) {
    options.TimeLimit = int32_t(after.count());
  } else {
    options.InterruptCallback = ReturnFlag;
    options.InterruptUser = &flag;
  }
  StoppedSearch stopped;
  const Clock::time_point start = Clock::now();
  Clock::time_point request = start + after;
  std::thread stopper([&] {
    if (timeLimit) return;
    std::this_thread::sleep_until(request);
    request = Clock::now();
    flag = 1;
  });
  stopped.code = Pexora_Compare(in, of, parameters, &stopped.result, &options);
  const Clock::time_point end = Clock::now();
  stopper.join();
  stopped.delayMs = std::chrono::duration<double, std::milli>(end - request).count();
  return stopped;
}

}  // namespace pexora::test
