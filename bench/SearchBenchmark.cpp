// The search library against the plain reference on three scenes:
//   a) a 1920 x 1080 picture saved as JPEG at quality 85, searched for a 64 x 64
//      crop of the lossless original; relative ARGB, tolerances 15,
//      DifferenceTolerance 150;
//   b) the same in AHSL with tolerances 0.05;
//   c) an 800 x 600 scene holding a 48 x 48 alpha icon at 1.5 x its size,
//      ARGB with alpha, stretched 20 .. 100, bilinear, DifferenceTolerance 45.
// The library is called through its exports (libpexora.so), with one thread
// and with all; the reference runs once per scene. Scene (a) also runs with
// search options, and objects are made from pixels in memory up to the
// largest size the library takes.
#include <benchmark/benchmark.h>

#include <memory>
#include <thread>
#include <vector>

#include "ReferenceSearch.h"
#include "TestPictures.h"
#include "decode/PictureFile.h"
#include "pexora/pexora.h"

namespace {

using namespace pexora;
using namespace pexora::test;

struct Scene {
  std::u16string inName, forName;
  Image searched, target;  // as the library decodes them, for the reference
  TPXObject in{}, of{};
  TPXProcessParameters parameters{};
  int32_t expectedX = 0, expectedY = 0;
};

TempFolder& Folder() {
  static TempFolder folder;
  return folder;
}

void Create(Scene& scene, const std::filesystem::path& inPath, const std::filesystem::path& forPath) {
  scene.inName = ToUtf16(inPath.string());
  scene.forName = ToUtf16(forPath.string());
  scene.in.FileName = scene.inName.c_str();
  scene.of.FileName = scene.forName.c_str();
  if (Pexora_CreateObject(&scene.in, {}) != PX_OK || Pexora_CreateObject(&scene.of, {}) != PX_OK) {
    throw std::runtime_error("creating the benchmark objects failed");
  }
  scene.searched = DecodePictureFile(inPath.string());
  scene.target = DecodePictureFile(forPath.string());
}

std::unique_ptr<Scene> MakePhotoScene(bool ahsl) {
  auto scene = std::make_unique<Scene>();
  const Image original = NaturalPicture(1920, 1080, 85);
  scene->expectedX = 1203;
  scene->expectedY = 611;
  SavePicture(original, Folder().File("photo.jpg"), FileFormat::kJpeg, 85);
  SavePicture(Crop(original, scene->expectedX, scene->expectedY, 64, 64), Folder().File("crop.png"), FileFormat::kPng);
  Create(*scene, Folder().File("photo.jpg"), Folder().File("crop.png"));
  TPXProcessParameters& p = scene->parameters;
  p.CompareType = ahsl ? PX_COMPARE_TYPE_RELATIVE_AHSL : PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 15;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.05;
  p.DifferenceTolerance = 150;
  p.MultipleMatches = 1;
  return scene;
}

std::unique_ptr<Scene> MakeIconScene() {
  auto scene = std::make_unique<Scene>();
  const Image icon = RoundIcon();
  Image picture = NaturalPicture(800, 600, 86);
  scene->expectedX = 517;
  scene->expectedY = 233;
  Stamp(picture, Rescaled(icon, 72, 72), scene->expectedX, scene->expectedY);
  SavePicture(picture, Folder().File("scene.png"), FileFormat::kPng);
  SavePicture(icon, Folder().File("icon.png"), FileFormat::kPng);
  Create(*scene, Folder().File("scene.png"), Folder().File("icon.png"));
  TPXProcessParameters& p = scene->parameters;
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 15;
  p.DifferenceTolerance = 45;
  p.StretchCompare = 1;
  p.MinimalStretchSize = {20, 20};
  p.MaximalStretchSize = {100, 100};
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  p.MultipleMatches = 1;
  return scene;
}

Scene& SceneFor(int which) {
  static std::unique_ptr<Scene> scenes[3];
  if (!scenes[which]) scenes[which] = which == 2 ? MakeIconScene() : MakePhotoScene(which == 1);
  return *scenes[which];
}

void CheckFound(benchmark::State& state, const Scene& scene, int32_t count, int32_t x, int32_t y) {
  if (count < 1 || x != scene.expectedX || y != scene.expectedY) state.SkipWithError("the picture was not found");
  state.counters["matches"] = count;
}

void Engine(benchmark::State& state) {
  Scene& scene = SceneFor(static_cast<int>(state.range(0)));
  TPXProcessParameters p = scene.parameters;
  p.MultiThreadedProcessing = state.range(1) ? -1 : 0;
  for (auto _ : state) {
    TPXResult result{};
    if (Pexora_Compare(scene.in, scene.of, p, &result, nullptr) != PX_OK) state.SkipWithError("compare failed");
    state.PauseTiming();
    CheckFound(state, scene, result.MatchCount, result.MatchCount ? result.Matches[0].Position.X : -1,
               result.MatchCount ? result.Matches[0].Position.Y : -1);
    Pexora_FreeResult(&result);
    state.ResumeTiming();
  }
  state.counters["threads"] = p.MultiThreadedProcessing ? std::thread::hardware_concurrency() : 1;
}

void Reference(benchmark::State& state) {
  Scene& scene = SceneFor(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const reference::Outcome outcome = reference::Search(scene.searched, scene.target, scene.parameters);
    CheckFound(state, scene, static_cast<int32_t>(outcome.matches.size()),
               outcome.matches.empty() ? -1 : outcome.matches[0].x,
               outcome.matches.empty() ? -1 : outcome.matches[0].y);
  }
}

// Scene (a) on one thread with options: 0 = a 256 x 256 region around the
// crop, 1 = minimal match percentage 99 (a limit of 40 differing pixels
// instead of 150), 2 = at most one match.
void EngineWithOptions(benchmark::State& state) {
  Scene& scene = SceneFor(0);
  TPXSearchOptions options{};
  options.Size = sizeof options;
  switch (state.range(0)) {
    case 0:
      options.UseRegion = -1;
      options.Region = {scene.expectedX - 96, scene.expectedY - 96, 256, 256};
      break;
    case 1: options.MinimalMatchPercentage = 99.0; break;
    default: options.MaximalMatchCount = 1; break;
  }
  for (auto _ : state) {
    TPXResult result{};
    if (Pexora_Compare(scene.in, scene.of, scene.parameters, &result, &options) != PX_OK) {
      state.SkipWithError("compare failed");
    }
    state.PauseTiming();
    CheckFound(state, scene, result.MatchCount, result.MatchCount ? result.Matches[0].Position.X : -1,
               result.MatchCount ? result.Matches[0].Position.Y : -1);
    Pexora_FreeResult(&result);
    state.ResumeTiming();
  }
}

// An object from side x side pixels in memory, made and freed.
void CreateFromPixels(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const std::vector<uint32_t> pixels(size_t(side) * size_t(side), 0xFF336699u);
  for (auto _ : state) {
    TPXObject object{};
    if (Pexora_CreateObjectFromPixels(&object, side, side, 4 * side, pixels.data(), {}) != PX_OK) {
      state.SkipWithError("create failed");
    }
    Pexora_FreeObject(&object);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 4 * side * side);
}

// Scene 0 = (a), 1 = (b), 2 = (c); second argument: all threads.
BENCHMARK(Engine)
    ->ArgNames({"scene", "all_threads"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(Reference)
    ->ArgNames({"scene"})
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(EngineWithOptions)
    ->ArgNames({"option"})
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(CreateFromPixels)->ArgNames({"side"})->Arg(1024)->Arg(8192)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
