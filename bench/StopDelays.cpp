// How long a comparison takes to return once it is asked to stop, in each
// of the long searches: from another thread and by a time limit, on one
// thread and on all, with the request at several moments. Prints one line a
// case and the worst delay.
//
//   build/bench/pexora_stop_delays [repeats]
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "LongSearches.h"

using namespace pexora::test;

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
  double worst = 0;
  for (const LongSearch& search : LongSearches()) {
    TPXObject in{}, of{};
    if (Pexora_CreateObjectFromPixels(&in, search.in.width, search.in.height, 4 * search.in.width,
                                      search.in.pixels.data(), {}) != PX_OK ||
        Pexora_CreateObjectFromPixels(&of, search.of.width, search.of.height, 4 * search.of.width,
                                      search.of.pixels.data(), {}) != PX_OK) {
      std::fprintf(stderr, "cannot create the objects of %s\n", search.name.c_str());
      return 1;
    }
    for (const int32_t threads : {0, -1}) {
      for (const bool timeLimit : {false, true}) {
        double caseWorst = 0, sum = 0;
        int runs = 0;
        for (const int after : {5, 40, 300}) {
          for (int r = 0; r < repeats; ++r) {
            TPXProcessParameters p = search.parameters;
            p.MultiThreadedProcessing = threads;
            StoppedSearch s = StopAfter(in, of, p, std::chrono::milliseconds(after), timeLimit);
            const int32_t expected = timeLimit ? PX_ERROR_TIME_LIMIT : PX_ERROR_STOPPED;
            if (s.code != expected) {
              std::fprintf(stderr, "%s: code %d after %d ms\n", search.name.c_str(), s.code, after);
              Pexora_FreeResult(&s.result);
              continue;
            }
            caseWorst = std::max(caseWorst, s.delayMs);
            sum += s.delayMs;
            ++runs;
          }
        }
        std::printf("%-40s %-4s %-10s worst %7.2f ms  mean %7.2f ms  (%d runs)\n", search.name.c_str(),
                    threads != 0 ? "all" : "one", timeLimit ? "time limit" : "interrupt", caseWorst,
                    runs > 0 ? sum / runs : 0.0, runs);
        std::fflush(stdout);
        worst = std::max(worst, caseWorst);
      }
    }
    Pexora_FreeObject(&in);
    Pexora_FreeObject(&of);
  }
  std::printf("worst delay %.2f ms\n", worst);
  return 0;
}
