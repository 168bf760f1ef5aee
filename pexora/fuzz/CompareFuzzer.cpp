// libFuzzer target: Pexora_Compare with process parameters and search options
// made of the input bytes, against a few fixed pairs of objects. Every
// comparison runs on one thread and on all, and the outcome is checked: the
// same code and the same matches either way, the codes a comparison may give,
// a result record that is empty exactly when there is no match, matches
// inside the searched picture (and the region), at a searched size, within
// the difference tolerance and the minimal percentage, no more than the
// maximal count, best first and without overlaps, progress from 0 rising to
// 100, and a result that is released exactly once. A broken check aborts.
#include <FreeImage.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ToUtf16.h"
#include "pexora/pexora.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

struct Picture {
  int width, height;
  std::vector<uint32_t> argb;
};

// A deterministic picture: smooth colours with noise, or few colours.
Picture MakePicture(int width, int height, uint32_t seed, bool fewColours) {
  Picture p{width, height, std::vector<uint32_t>(size_t(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const uint32_t noise = seed >> 28;
      uint32_t r = (x * 255 / width + noise) & 0xFF, g = (y * 255 / height + noise) & 0xFF, b = ((x ^ y) * 9) & 0xFF;
      if (fewColours) r = g = b = ((seed >> 20) % 3) * 120;
      p.argb[size_t(y) * width + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return p;
}

Picture Crop(const Picture& from, int x0, int y0, int width, int height) {
  Picture p{width, height, std::vector<uint32_t>(size_t(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.argb[size_t(y) * width + x] = from.argb[size_t(y0 + y) * from.width + x0 + x];
  }
  return p;
}

std::u16string Save(const Picture& p, const std::string& name) {
  const std::string path = "/tmp/pexora-compare-fuzz-" + std::to_string(getpid()) + "-" + name + ".png";
  FIBITMAP* dib = FreeImage_Allocate(p.width, p.height, 32);
  for (int y = 0; y < p.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, p.height - 1 - y);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.argb[size_t(y) * p.width + x];
      line[4 * x + FI_RGBA_RED] = BYTE(c >> 16);
      line[4 * x + FI_RGBA_GREEN] = BYTE(c >> 8);
      line[4 * x + FI_RGBA_BLUE] = BYTE(c);
      line[4 * x + FI_RGBA_ALPHA] = BYTE(c >> 24);
    }
  }
  Check(FreeImage_Save(FIF_PNG, dib, path.c_str(), 0) != FALSE, "writing a fixed picture");
  FreeImage_Unload(dib);
  return pexora::test::ToUtf16(path);
}

struct Pair {
  std::u16string inName, forName;
  TPXObject in{}, of{};
};

TPXObject Create(const std::u16string& name) {
  TPXObject object{};
  object.FileName = name.c_str();
  Check(Pexora_CreateObject(&object, {}) == PX_OK, "creating a fixed object");
  return object;
}

// The pairs: a photo-like scene and a crop of it; the same with an alpha icon
// stamped in; few colours, so that many positions tie and overlap; a tiny
// scene; a search-for picture larger than the search-in picture.
std::vector<Pair>& Pairs() {
  static std::vector<Pair>* pairs = [] {
    auto* made = new std::vector<Pair>(5);
    const Picture scene = MakePicture(64, 48, 1, false);
    Picture icon = MakePicture(10, 9, 2, false);
    for (size_t i = 0; i < icon.argb.size(); ++i) {
      static const uint32_t alphas[] = {0, 1, 128, 255, 255};
      icon.argb[i] = (icon.argb[i] & 0xFFFFFFu) | alphas[i % 5] << 24;
    }
    Picture withIcon = scene;
    for (int y = 0; y < icon.height; ++y) {
      for (int x = 0; x < icon.width; ++x) {
        const uint32_t c = icon.argb[size_t(y) * icon.width + x];
        if (c >> 24) withIcon.argb[size_t(20 + y) * scene.width + 30 + x] = c | 0xFF000000u;
      }
    }
    const Picture few = MakePicture(40, 30, 3, true);
    const Picture pictures[5][2] = {{scene, Crop(scene, 17, 11, 8, 6)},
                                    {withIcon, icon},
                                    {few, Crop(few, 5, 4, 5, 4)},
                                    {MakePicture(3, 2, 4, false), MakePicture(2, 2, 5, false)},
                                    {MakePicture(6, 5, 6, false), MakePicture(7, 5, 7, false)}};
    for (size_t i = 0; i < made->size(); ++i) {
      Pair& pair = (*made)[i];
      pair.inName = Save(pictures[i][0], std::to_string(i) + "-in");
      pair.forName = Save(pictures[i][1], std::to_string(i) + "-for");
      pair.in = Create(pair.inName);
      pair.of = Create(pair.forName);
    }
    return made;
  }();
  return *pairs;
}

struct Progress {
  std::vector<double> values;
};

void PX_CALL Record(double progress, int32_t type, void* user) {
  Check(type == PX_STATUS_PROGRESS, "status type");
  static_cast<Progress*>(user)->values.push_back(progress);
}

// A value that is often small and sometimes anything.
int32_t SmallOrAny(FuzzedDataProvider& data, int32_t low, int32_t high) {
  return data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(low, high) : data.ConsumeIntegral<int32_t>();
}

double UnitOrAny(FuzzedDataProvider& data) {
  if (data.ConsumeBool()) return data.ConsumeProbability<double>();
  double value;
  const uint64_t bits = data.ConsumeIntegral<uint64_t>();
  std::memcpy(&value, &bits, sizeof value);  // NaN, infinities, huge
  return value;
}

TPXProcessParameters Parameters(FuzzedDataProvider& data) {
  TPXProcessParameters p{};
  p.CompareType = data.ConsumeIntegralInRange<int32_t>(-1, 5);
  p.ARGBATolerance = data.ConsumeIntegral<uint8_t>();
  p.ARGBRTolerance = data.ConsumeIntegral<uint8_t>();
  p.ARGBGTolerance = data.ConsumeIntegral<uint8_t>();
  p.ARGBBTolerance = data.ConsumeIntegral<uint8_t>();
  p.AHSLATolerance = UnitOrAny(data);
  p.AHSLHTolerance = UnitOrAny(data);
  p.AHSLSTolerance = UnitOrAny(data);
  p.AHSLLTolerance = UnitOrAny(data);
  p.DifferenceTolerance = SmallOrAny(data, -2, 120);
  p.StretchCompare = data.ConsumeIntegral<uint8_t>() & 1;
  p.MinimalStretchSize = {SmallOrAny(data, -2, 70), SmallOrAny(data, -2, 70)};
  p.MaximalStretchSize = {SmallOrAny(data, -2, 70), SmallOrAny(data, -2, 70)};
  p.StretchResampler = data.ConsumeIntegralInRange<int32_t>(-1, 6);
  p.MultipleMatches = data.ConsumeIntegral<uint8_t>();
  return p;
}

// Options or none; mostly well-formed records with values in and out of range.
const TPXSearchOptions* Options(FuzzedDataProvider& data, TPXSearchOptions& options) {
  if (data.ConsumeBool()) return nullptr;
  options = TPXSearchOptions{};
  options.Size = data.ConsumeIntegralInRange<int>(0, 7) == 0 ? data.ConsumeIntegral<uint32_t>()
                                                             : uint32_t{sizeof(TPXSearchOptions)};
  options.UseRegion = data.ConsumeBool() ? -1 : 0;
  options.Region = {SmallOrAny(data, -2, 70), SmallOrAny(data, -2, 70), SmallOrAny(data, -2, 70),
                    SmallOrAny(data, -2, 70)};
  options.MinimalMatchPercentage =
      data.ConsumeBool() ? data.ConsumeFloatingPointInRange<double>(-5.0, 105.0) : 100.0 * UnitOrAny(data);
  options.MaximalMatchCount = SmallOrAny(data, -1, 5);
  return &options;
}

bool Overlap(const TPXResultMatches& a, const TPXResultMatches& b) {
  return a.Position.X < b.Position.X + b.Dimensions.Width && b.Position.X < a.Position.X + a.Dimensions.Width &&
         a.Position.Y < b.Position.Y + b.Dimensions.Height && b.Position.Y < a.Position.Y + a.Dimensions.Height;
}

void CheckResult(int32_t code, const TPXResult& r, const Pair& pair, const TPXProcessParameters& p,
                 const TPXSearchOptions* options) {
  Check(code == PX_OK || code == PX_ERROR_NOT_AVAILABLE || code == PX_ERROR_DIMENSIONS ||
            (options != nullptr && code == PX_ERROR_INVALID_PARAMETER),
        "a code that no check explains");
  if (code != PX_OK || r.Success == 0) {
    Check(r.Success == 0 && r.MatchCount == 0 && r.Matches == nullptr, "an empty record without matches");
    return;
  }
  Check(r.MatchCount >= 1 && r.Matches != nullptr, "matches behind Success");
  Check(p.MultipleMatches != 0 || r.MatchCount == 1, "one match unless several are wanted");
  if (options != nullptr && options->MaximalMatchCount > 0) {
    Check(r.MatchCount <= options->MaximalMatchCount, "no more than the maximal count");
  }
  const TPXDimensions searched = pair.in.ProcessedDimensions, wanted = pair.of.ProcessedDimensions;
  for (int32_t i = 0; i < r.MatchCount; ++i) {
    const TPXResultMatches& m = r.Matches[i];
    Check(m.Dimensions.Width >= 1 && m.Dimensions.Height >= 1, "a match has a size");
    Check(m.Position.X >= 0 && m.Position.Y >= 0 && int64_t{m.Position.X} + m.Dimensions.Width <= searched.Width &&
              int64_t{m.Position.Y} + m.Dimensions.Height <= searched.Height,
          "a match inside the searched picture");
    if (p.StretchCompare) {
      Check(m.Dimensions.Width >= std::max(1, p.MinimalStretchSize.Width) &&
                m.Dimensions.Width <= p.MaximalStretchSize.Width &&
                m.Dimensions.Height >= std::max(1, p.MinimalStretchSize.Height) &&
                m.Dimensions.Height <= p.MaximalStretchSize.Height,
            "a stretched size within the limits");
    } else {
      Check(m.Dimensions.Width == wanted.Width && m.Dimensions.Height == wanted.Height, "the search-for size");
    }
    Check(m.Difference >= 0 && m.Difference <= p.DifferenceTolerance, "Difference within the tolerance");
    if (options != nullptr) {
      Check(m.MatchPercentage >= options->MinimalMatchPercentage, "the minimal percentage reached");
      const TPXRect& area = options->Region;
      Check(!options->UseRegion || (m.Position.X >= area.X && m.Position.Y >= area.Y &&
                                    int64_t{m.Position.X} + m.Dimensions.Width <= int64_t{area.X} + area.Width &&
                                    int64_t{m.Position.Y} + m.Dimensions.Height <= int64_t{area.Y} + area.Height),
            "a match inside the region");
    }
    Check(m.MatchPercentage >= 0.0 && m.MatchPercentage <= 100.0, "a percentage");
    Check((m.Difference == 0) == (m.MatchPercentage == 100.0), "100 % exactly without differences");
    Check(i == 0 || r.Matches[i - 1].MatchPercentage >= m.MatchPercentage, "best first");
    for (int32_t j = 0; j < i; ++j) Check(!Overlap(r.Matches[j], m), "no overlapping matches");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  std::vector<Pair>& pairs = Pairs();
  const Pair& pair = pairs[data.ConsumeIntegralInRange<size_t>(0, pairs.size() - 1)];
  TPXProcessParameters p = Parameters(data);
  TPXSearchOptions record;
  const TPXSearchOptions* options = Options(data, record);
  int32_t codes[2];
  TPXResult results[2] = {};
  for (int run = 0; run < 2; ++run) {
    Progress progress;
    TPXObject in = pair.in;
    in.User = &progress;
    p.MultiThreadedProcessing = run == 0 ? 0 : -1;
    p.StatusCallback = Record;
    codes[run] = Pexora_Compare(in, pair.of, p, &results[run], const_cast<TPXSearchOptions*>(options));
    CheckResult(codes[run], results[run], pair, p, options);
    const std::vector<double>& v = progress.values;
    for (size_t i = 1; i < v.size(); ++i) Check(v[i - 1] < v[i], "progress rises");
    if (codes[run] == PX_OK) Check(v.size() >= 2 && v.front() == 0.0 && v.back() == 100.0, "progress from 0 to 100");
  }
  Check(codes[0] == codes[1], "the same code on one thread and on all");
  Check(results[0].MatchCount == results[1].MatchCount, "the same match count on one thread and on all");
  for (int32_t i = 0; i < results[0].MatchCount; ++i) {
    Check(std::memcmp(&results[0].Matches[i], &results[1].Matches[i], sizeof(TPXResultMatches)) == 0,
          "the same matches on one thread and on all");
  }
  for (TPXResult& r : results) {
    const bool filled = r.Success != 0;
    TPXResult copy = r;
    Check(Pexora_FreeResult(&r) == (filled ? -1 : 0), "a filled result is released");
    Check(Pexora_FreeResult(&copy) == 0, "and only once");
  }
  return 0;
}
