// Screen capture through the library's export under Xvfb (1920 x 1080,
// depth 24), with the shared-memory extension and without it, and a capture
// followed by a search of a 64 x 64 picture at pexora-find's default
// tolerances on one thread.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestPictures.h"
#include "XServer.h"
#include "pexora/pexora.h"

namespace {

using namespace pexora;
using namespace pexora::test;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// An X server whose screen shows a natural picture, in a window over all of it.
struct Screen {
  Image picture = NaturalPicture(kWidth, kHeight, 42);
  XServer server;
  XClient client;
  Screen(bool sharedMemory)
      : server(std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24",
               sharedMemory ? std::vector<std::string>{} : std::vector<std::string>{"-extension", "MIT-SHM"}),
        client(server.display()) {
    client.Window(picture, 0, 0);
    setenv("DISPLAY", server.display().c_str(), 1);
    usleep(200000);  // the server paints the window
  }
};

// CPU seconds the process has used so far (user and system), from /proc.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The X server's CPU time per iteration, in milliseconds, as a counter.
struct ServerTime {
  pid_t pid;
  double start;
  explicit ServerTime(pid_t server) : pid(server), start(CpuSeconds(server)) {}
  void Report(benchmark::State& state) const {
    state.counters["server_ms"] =
        benchmark::Counter(1000.0 * (CpuSeconds(pid) - start) / static_cast<double>(state.iterations()));
  }
};

Screen& ScreenOf(bool sharedMemory) {
  static std::unique_ptr<Screen> screens[2];
  auto& screen = screens[sharedMemory ? 1 : 0];
  if (!screen) {
    screens[sharedMemory ? 0 : 1].reset();
    screen = std::make_unique<Screen>(sharedMemory);
  }
  setenv("DISPLAY", screen->server.display().c_str(), 1);
  return *screen;
}

// pexora-find's defaults, on one thread: ARGB tolerance 15, and 1 % of the
// compared pixels may differ (a share: every count allowed, and a match
// percentage of at least 99).
TPXProcessParameters ToolDefaults() {
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 15;
  p.DifferenceTolerance = INT32_MAX;
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = 0;
  return p;
}

TPXSearchOptions ToolDefaultOptions() {
  TPXSearchOptions o{};
  o.Size = PX_SEARCH_OPTIONS_SIZE_1_0;
  o.MinimalMatchPercentage = 99;
  return o;
}

void Capture(benchmark::State& state) {
  const Screen& screen = ScreenOf(state.range(0) != 0);
  const ServerTime server(screen.server.pid());
  for (auto _ : state) {
    TPXObject shot{};
    if (Pexora_CreateObjectFromBitmapHandle(&shot, {}) != PX_OK) {
      state.SkipWithError("capture failed");
      return;
    }
    Pexora_FreeObject(&shot);
  }
  server.Report(state);
}
BENCHMARK(Capture)->ArgName("shm")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The search alone, in a new object each time as a capture gives one (its
// channel planes are made again), for comparison.
void PixelsAndSearch(benchmark::State& state) {
  Screen& screen = ScreenOf(true);
  const Image part = Crop(screen.picture, 1000, 600, 64, 64);
  TPXObject of{};
  Pexora_CreateObjectFromPixels(&of, part.width, part.height, 4 * part.width, part.pixels.data(), {});
  const TPXProcessParameters p = ToolDefaults();
  TPXSearchOptions options = ToolDefaultOptions();
  for (auto _ : state) {
    TPXObject in{};
    Pexora_CreateObjectFromPixels(&in, kWidth, kHeight, 4 * kWidth, screen.picture.pixels.data(), {});
    TPXResult result{};
    if (Pexora_Compare(in, of, p, &result, &options) != PX_OK || result.MatchCount < 1) {
      state.SkipWithError("the picture was not found");
    }
    Pexora_FreeResult(&result);
    Pexora_FreeObject(&in);
  }
  Pexora_FreeObject(&of);
}
BENCHMARK(PixelsAndSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

void CaptureAndSearch(benchmark::State& state) {
  Screen& screen = ScreenOf(true);
  const Image part = Crop(screen.picture, 1000, 600, 64, 64);
  TPXObject of{};
  Pexora_CreateObjectFromPixels(&of, part.width, part.height, 4 * part.width, part.pixels.data(), {});
  const TPXProcessParameters p = ToolDefaults();
  TPXSearchOptions options = ToolDefaultOptions();
  const ServerTime server(screen.server.pid());
  for (auto _ : state) {
    TPXObject shot{};
    if (Pexora_CreateObjectFromBitmapHandle(&shot, {}) != PX_OK) {
      state.SkipWithError("capture failed");
      break;
    }
    TPXResult result{};
    const int32_t code = Pexora_Compare(shot, of, p, &result, &options);
    if (code != PX_OK || result.MatchCount < 1 || result.Matches[0].Position.X != 1000 ||
        result.Matches[0].Position.Y != 600) {
      state.SkipWithError("the picture was not found where it lies");
    }
    Pexora_FreeResult(&result);
    Pexora_FreeObject(&shot);
  }
  server.Report(state);
  Pexora_FreeObject(&of);
}
BENCHMARK(CaptureAndSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
