// The working memory of comparisons: refused before it is taken when it would
// pass the limit, and channel planes released or kept within the cache.
#include <gtest/gtest.h>

#include "AllocationMeter.h"
#include "TestPictures.h"
#include "core/Limits.h"
#include "core/StatusError.h"
#include "core/WorkingMemory.h"
#include "engine/SearchEngine.h"
#include "image/Resample.h"

namespace pexora::test {
namespace {

constexpr int64_t kMiB = int64_t{1} << 20;

int32_t SearchCode(const SearchObject& in, const SearchObject& of, const TPXProcessParameters& p,
                   PlaneCache& cache = PlaneCache::Instance()) {
  try {
    Search(
        in, of, MakeCompareSettings(p), 2, [](double) {}, cache);
    return PX_OK;
  } catch (const StatusError& error) {
    return error.code();
  }
}

TEST(WorkingMemory, AComparisonAboveTheLimitIsRefusedBeforeItsMemoryIsTaken) {
  // A 4 x 4 picture stretched to every size up to 3000 x 3000: its prepared
  // sizes alone would take hundreds of gigabytes.
  const SearchObject in(Uniform(3000, 3000, 0xFF808080u)), of(RandomPicture(4, 4, 91));
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.DifferenceTolerance = 3;
  p.StretchCompare = 1;
  p.MinimalStretchSize = {1, 1};
  p.MaximalStretchSize = {3000, 3000};
  p.StretchResampler = PX_RESAMPLER_BILINEAR;
  // The cap keeps a broken bound from taking the machine's memory.
  AllocationMeter meter(kMaxWorkingBytes);
  EXPECT_EQ(SearchCode(in, of, p), PX_ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_LT(meter.Peak(), 16 * kMiB);
}

TEST(WorkingMemory, ResamplesThatWouldPassTheLimitAreToldFromTheirSizes) {
  struct {
    int32_t width, height, newWidth, newHeight, filter;
    bool allowed;
  } cases[] = {
      {64, 48, 67108864, 1, PX_RESAMPLER_LANCZOS3, false},   {64, 48, 1, 67108864, PX_RESAMPLER_LANCZOS3, false},
      {64, 48, 33554432, 2, PX_RESAMPLER_BOX, false},        {64, 48, 16777216, 4, PX_RESAMPLER_BOX, true},
      {8192, 8192, 8192, 8192, PX_RESAMPLER_LANCZOS3, true}, {4096, 4096, 8192, 8192, PX_RESAMPLER_LANCZOS3, true},
      {8192, 8192, 1, 1, PX_RESAMPLER_LANCZOS3, true},       {640, 480, 100, 100, PX_RESAMPLER_BICUBIC, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.newWidth << "x" << c.newHeight);
    const int64_t bytes = ResampleWorkingBytes(c.width, c.height, c.newWidth, c.newHeight, c.filter);
    EXPECT_EQ(bytes <= kMaxWorkingBytes, c.allowed);
  }
}

TEST(WorkingMemory, PlanesLargerThanTheCacheAreReleasedWhenTheSearchEnds) {
  // Planes of 20 bytes a pixel in ARGB and AHSL (counted with their run
  // bounds), both above a cache of 1 MiB.
  const int32_t width = 600, height = 500;
  PlaneCache cache(static_cast<size_t>(kMiB));
  ASSERT_GT(PlaneBytesFor(width, height, ColorModel::kAhsl), size_t(kMiB));
  Image picture = Uniform(width, height, 0xFF406080u);
  const Image part = RandomPicture(8, 8, 92);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) picture.pixels[size_t(100 + y) * width + size_t(200 + x)] = part.At(x, y);
  }
  const SearchObject in(std::move(picture)), of(part);
  for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_AHSL}) {
    SCOPED_TRACE(type);
    TPXProcessParameters p{};
    p.CompareType = type;
    AllocationMeter meter(kMaxWorkingBytes);
    const std::vector<Match> found = Search(
        in, of, MakeCompareSettings(p), 2, [](double) {}, cache);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].x, 200);
    // The planes were there during the search; a search of limit 0 in a
    // fresh picture makes no run bounds.
    const ColorModel model = MakeCompareSettings(p).model;
    const auto planes =
        static_cast<int64_t>(PlaneBytesFor(width, height, model) -
                             RunBoundBytesFor(width, height, model == ColorModel::kArgb, kRunWidths[0]));
    EXPECT_GE(meter.Peak(), planes);
    EXPECT_LT(meter.Current(), 64 * 1024);  // and are gone after it
    EXPECT_EQ(cache.Bytes(), 0u);
  }
}

TEST(WorkingMemory, TheCacheKeepsRecentPlanesWithinItsBudget) {
  const auto bytes = [](int32_t side) { return PlaneBytesFor(side, side, ColorModel::kArgb); };
  PlaneCache cache(2 * bytes(100) + bytes(100) / 2);  // room for two of 100 x 100
  {
    const SearchObject a(Uniform(100, 100, 0xFF000001u)), b(Uniform(100, 100, 0xFF000002u)),
        c(Uniform(100, 100, 0xFF000003u)), big(Uniform(200, 200, 0xFF000004u));
    std::weak_ptr<const ChannelPlanes> planesA = a.Planes(ColorModel::kArgb, cache);
    std::weak_ptr<const ChannelPlanes> planesB = b.Planes(ColorModel::kArgb, cache);
    EXPECT_FALSE(planesA.expired());
    EXPECT_EQ(cache.Bytes(), 2 * bytes(100));
    // Using a again makes b the least recently used, which c then pushes out.
    EXPECT_EQ(a.Planes(ColorModel::kArgb, cache).get(), planesA.lock().get());
    std::weak_ptr<const ChannelPlanes> planesC = c.Planes(ColorModel::kArgb, cache);
    EXPECT_FALSE(planesA.expired());
    EXPECT_TRUE(planesB.expired());
    EXPECT_FALSE(planesC.expired());
    EXPECT_GT(b.NewPlaneBytes(ColorModel::kArgb), 0u);
    EXPECT_EQ(a.NewPlaneBytes(ColorModel::kArgb), 0u);
    // Planes above the whole budget live only while someone holds them.
    std::shared_ptr<const ChannelPlanes> held = big.Planes(ColorModel::kArgb, cache);
    std::weak_ptr<const ChannelPlanes> planesBig = held;
    EXPECT_EQ(big.Planes(ColorModel::kArgb, cache).get(), held.get());  // shared, not built again
    held.reset();
    EXPECT_TRUE(planesBig.expired());
    EXPECT_EQ(cache.Bytes(), 2 * bytes(100));
  }
  // Objects that go take their planes out of the cache.
  EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(WorkingMemory, PlaneSizesAreKnownBeforeThePlanesAreBuilt) {
  for (const ColorModel model : {ColorModel::kArgb, ColorModel::kAhsl}) {
    const ChannelPlanes planes = MakeChannelPlanes(NaturalPicture(37, 23, 93), model);
    EXPECT_EQ(PlaneBytes(planes), PlaneBytesFor(37, 23, model));
    // The run bounds, made later, take what was counted for them.
    size_t runBytes = 0;
    for (const RunBounds& runs : RunBoundsOf(planes)) {
      for (int c = 0; c < 4; ++c) {
        runBytes += runs.narrowLow[c].capacity() + runs.narrowHigh[c].capacity();
        runBytes += (runs.low[c].capacity() + runs.high[c].capacity()) * sizeof(uint16_t);
      }
    }
    EXPECT_EQ(runBytes, RunBoundBytesFor(37, 23, model == ColorModel::kArgb, kRunWidths[0]));
    EXPECT_EQ(PlaneBytes(planes), PlaneBytesFor(37, 23, model));
  }
}

TEST(WorkingMemory, PlanesWeighTheSameInTheCacheWhenTheirRunBoundsAreMadeLater) {
  // Kept before a scan made their run bounds, dropped after: the cache's
  // count must not run below zero (it once emptied the cache and crashed).
  const size_t bytes = PlaneBytesFor(64, 48, ColorModel::kArgb);
  PlaneCache cache(2 * bytes);
  std::vector<std::shared_ptr<const ChannelPlanes>> planes;
  for (uint32_t seed = 0; seed < 4; ++seed) {
    planes.push_back(std::make_shared<const ChannelPlanes>(
        MakeChannelPlanes(NaturalPicture(64, 48, 200 + seed), ColorModel::kArgb)));
    cache.Keep(planes.back());
    RunBoundsOf(*planes.back());
    EXPECT_LE(cache.Bytes(), 2 * bytes);
  }
  EXPECT_EQ(cache.Bytes(), 2 * bytes);
  for (const auto& p : planes) cache.Forget(p.get());
  EXPECT_EQ(cache.Bytes(), 0u);
}

}  // namespace
}  // namespace pexora::test
