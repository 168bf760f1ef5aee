// The search library against OpenCV's matchTemplate (TM_SQDIFF, one thread)
// on pictures nobody here made, in one run, and the library's worst cases:
//
//   OpenCV/scene                 every scene once; its time does not depend on
//                                the tolerances
//   Library/scene/D/threads/ahsl RELATIVE_ARGB tolerances 30 (AHSL 0.12),
//                                DifferenceTolerance D; counters: best_ms,
//                                opencv_ratio (OpenCV's best / the library's),
//                                at_place (the best match is the crop's place)
//   BestOnly/scene/threads       every tolerance wide open, one match: the
//                                job of matchTemplate plus minMaxLoc
//   Samples/case                 every corner a tutorial window reaches on the
//                                bundled samples, MultiThread on
//   Page/case                    wide-open tolerances on the 1920 x 1080 page:
//                                a 64 x 64 crop stretched 20..100, a 480 x 270
//                                crop, and stretch ranges up to 1..1080
//
// Every library figure comes with the progress check (halfway_at: when 50 %
// was reported, as a fraction of the call; max_silence_s: the longest time
// without a report) and the peak memory the call added (peak_MiB; run a
// benchmark alone for a clean figure). The scenes need
// scripts/fetch-real-pictures.sh and scripts/make-benchmark-screenshot.sh.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "CompareRun.h"
#include "RealScenes.h"
#include "TestPictures.h"
#include "decode/PictureFile.h"

namespace {

using namespace pexora;
using namespace pexora::bench;

constexpr int32_t kDifferenceTolerances[] = {0, 45, 150, 300, 1000};

struct Loaded {
  RealScene scene;
  std::unique_ptr<LibraryObject> in, of;
};

test::TempFolder& Folder() {
  static test::TempFolder folder;
  return folder;
}

std::vector<Loaded>& Scenes() {
  static std::vector<Loaded> loaded = [] {
    std::vector<Loaded> all;
    for (RealScene& scene : MakeRealScenes(RealPicturesFolder(), Folder().File(""))) {
      auto in = std::make_unique<LibraryObject>(scene.searchIn);
      auto of = std::make_unique<LibraryObject>(scene.searchFor);
      all.push_back({std::move(scene), std::move(in), std::move(of)});
    }
    return all;
  }();
  return loaded;
}

// Best times of this run by name, for the ratio counters.
std::map<std::string, double>& BestSeconds() {
  static std::map<std::string, double> best;
  return best;
}

void ReportRun(benchmark::State& state, const CompareRun& run, double best) {
  state.counters["best_ms"] = best * 1000;
  state.counters["matches"] = run.matchCount;
  state.counters["halfway_at"] = run.halfwayAt;
  state.counters["max_silence_s"] = run.longestSilence;
  state.counters["peak_MiB"] = run.peakMegabytes;
}

// Runs the Compare as often as the state asks; the best time is the figure.
CompareRun Measure(benchmark::State& state, const LibraryObject& in, const LibraryObject& of,
                   const TPXProcessParameters& p, double& best) {
  CompareRun run;
  best = 1e30;
  for (auto _ : state) {
    run = RunCompare(in, of, p);
    state.SetIterationTime(run.seconds);
    best = std::min(best, run.seconds);
    if (run.code != PX_OK) {
      state.SkipWithError(("code " + std::to_string(run.code)).c_str());
      break;
    }
  }
  ReportRun(state, run, best);
  return run;
}

void OpenCv(benchmark::State& state) {
  cv::setNumThreads(1);
  const Loaded& s = Scenes()[static_cast<size_t>(state.range(0))];
  const cv::Mat in = cv::imread(s.scene.searchIn.string(), cv::IMREAD_COLOR);
  const cv::Mat of = cv::imread(s.scene.searchFor.string(), cv::IMREAD_COLOR);
  double best = 1e30;
  cv::Point at;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    cv::Mat scores;
    cv::matchTemplate(in, of, scores, cv::TM_SQDIFF);
    cv::minMaxLoc(scores, nullptr, nullptr, &at, nullptr);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    best = std::min(best, seconds);
  }
  if (at.x != s.scene.x || at.y != s.scene.y) state.SkipWithError("OpenCV did not find the crop at its place");
  BestSeconds()["opencv/" + s.scene.name] = best;
  state.counters["best_ms"] = best * 1000;
  state.SetLabel(s.scene.name);
}

void Library(benchmark::State& state) {
  const Loaded& s = Scenes()[static_cast<size_t>(state.range(0))];
  const bool ahsl = state.range(3) != 0;
  TPXProcessParameters p{};
  p.CompareType = ahsl ? PX_COMPARE_TYPE_RELATIVE_AHSL : PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 30;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.12;
  p.DifferenceTolerance = static_cast<int32_t>(state.range(1));
  p.MultiThreadedProcessing = state.range(2) > 1 ? -1 : 0;
  p.MultipleMatches = 1;
  double best = 0;
  const CompareRun run = Measure(state, *s.in, *s.of, p, best);
  // A tight D may find nothing in a JPEG, and loose rules may rank another place first.
  state.counters["at_place"] = run.firstX == s.scene.x && run.firstY == s.scene.y;
  const auto opencv = BestSeconds().find("opencv/" + s.scene.name);
  if (opencv != BestSeconds().end()) state.counters["opencv_ratio"] = opencv->second / best;
  state.SetLabel(s.scene.name + (ahsl ? " AHSL" : " ARGB"));
}

// The best match only, every tolerance wide open and MultipleMatches off:
// every position matches at 100 % and sums alone rank them, the job users do
// with matchTemplate and minMaxLoc.
void BestOnly(benchmark::State& state) {
  const Loaded& s = Scenes()[static_cast<size_t>(state.range(0))];
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 255;
  p.DifferenceTolerance = INT32_MAX;
  p.MultiThreadedProcessing = state.range(1) > 1 ? -1 : 0;
  double best = 0;
  const CompareRun run = Measure(state, *s.in, *s.of, p, best);
  state.counters["at_place"] = run.firstX == s.scene.x && run.firstY == s.scene.y;
  const auto opencv = BestSeconds().find("opencv/" + s.scene.name);
  if (opencv != BestSeconds().end()) state.counters["opencv_ratio"] = opencv->second / best;
  state.SetLabel(s.scene.name);
}

// The corners of the tutorial windows on the bundled samples.
struct Program {
  const char* name;
  const char* in;
  const char* of;
  bool alpha, stretch, resample;
};
constexpr Program kPrograms[] = {
    {"seekbasic", "SearchIn2.jpg", "SearchFor2.jpg", false, false, false},
    {"seekscaled", "SearchInAlphaStretched.PNG", "SearchForAlpha.png", true, true, false},
    {"seekfiltered", "SearchInResample.jpg", "SearchForResample.jpg", false, false, true},
};

void Samples(benchmark::State& state) {
  const int64_t c = state.range(0);
  const Program& program = kPrograms[c / 8];
  const bool ahsl = (c / 4) % 2 != 0, wide = (c / 2) % 2 != 0;
  const int32_t difference = c % 2 ? 1000 : 0;
  TPXCreateObjectParameters create{};
  if (program.resample) create = {PX_PROCESS_TYPE_RESAMPLE, {100, 100}, PX_RESAMPLER_BILINEAR};
  const std::filesystem::path samples = std::filesystem::path(PEXORA_SOURCE_DIR) / "samples";
  const LibraryObject in(samples / program.in, create), of(samples / program.of, create);
  TPXProcessParameters p{};
  p.CompareType = ahsl ? (program.alpha ? PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA : PX_COMPARE_TYPE_RELATIVE_AHSL)
                       : (program.alpha ? PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA : PX_COMPARE_TYPE_RELATIVE_ARGB);
  const uint8_t byte = wide ? 255 : 0;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = byte;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = wide ? 1.0 : 0.0;
  p.DifferenceTolerance = difference;
  p.StretchCompare = program.stretch;
  if (program.stretch) {
    p.MinimalStretchSize = {20, 20};
    p.MaximalStretchSize = {100, 100};
    p.StretchResampler = PX_RESAMPLER_BILINEAR;
  }
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = -1;
  double best = 0;
  Measure(state, in, of, p, best);
  state.SetLabel(std::string(program.name) + (ahsl ? " AHSL" : " ARGB") + (wide ? " wide" : " tight") + " D" +
                 std::to_string(difference));
}

// Wide-open searches on the 1920 x 1080 page (ARGB 255 or AHSL 1, D 1000).
struct PageCase {
  const char* name;
  int32_t cropWidth, cropHeight;
  TPXDimensions minimal, maximal;  // stretch when maximal.Width > 0
  bool ahsl, wide;
};
constexpr PageCase kPageCases[] = {
    {"64x64 stretch 20..100 ARGB", 64, 64, {20, 20}, {100, 100}, false, true},
    {"64x64 stretch 20..100 AHSL", 64, 64, {20, 20}, {100, 100}, true, true},
    {"480x270 ARGB", 480, 270, {}, {}, false, true},
    {"480x270 AHSL", 480, 270, {}, {}, true, true},
    {"64x64 stretch 1..400, tolerances 0", 64, 64, {1, 1}, {400, 400}, false, false},
    {"64x64 stretch 1..1080, tolerances 0", 64, 64, {1, 1}, {1080, 1080}, false, false},
};

void Page(benchmark::State& state) {
  const PageCase& c = kPageCases[state.range(0)];
  const Loaded& page = Scenes()[1];
  const Image picture = DecodePictureFile(page.scene.searchIn.string());
  const std::filesystem::path crop = Folder().File("page-case.png");
  test::SavePicture(test::Crop(picture, 700, 300, c.cropWidth, c.cropHeight), crop, test::FileFormat::kPng);
  const LibraryObject of(crop);
  TPXProcessParameters p{};
  p.CompareType = c.ahsl ? PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA : PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  const uint8_t byte = c.wide ? 255 : 0;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = byte;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = c.wide ? 1.0 : 0.0;
  p.DifferenceTolerance = c.wide ? 1000 : 0;
  p.StretchCompare = c.maximal.Width > 0;
  p.MinimalStretchSize = c.minimal;
  p.MaximalStretchSize = c.maximal;
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = state.range(1) > 1 ? -1 : 0;
  double best = 0;
  Measure(state, *page.in, of, p, best);
  state.SetLabel(c.name);
}

void SceneArguments(benchmark::internal::Benchmark* b) {
  for (int64_t scene = 0; scene < 4; ++scene) {
    for (int32_t d : kDifferenceTolerances) {
      b->Args({scene, d, 1, 0});
      b->Args({scene, d, 2, 0});
      b->Args({scene, d, 1, 1});
    }
  }
}

BENCHMARK(OpenCv)->ArgNames({"scene"})->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(Library)
    ->ArgNames({"scene", "D", "threads", "ahsl"})
    ->Apply(SceneArguments)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(0.5);
BENCHMARK(BestOnly)
    ->ArgNames({"scene", "threads"})
    ->ArgsProduct({{0, 1, 2, 3}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(0.5);
// The worst cases run once each (--benchmark_repetitions repeats them).
BENCHMARK(Samples)
    ->ArgNames({"case"})
    ->DenseRange(0, 23)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(Page)
    ->ArgNames({"case", "threads"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {2}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
