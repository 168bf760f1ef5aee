// The options record of Pexora_Compare: a search region, a minimal match
// percentage and a maximal match count, and the records it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

TPXSearchOptions Options() {
  TPXSearchOptions o{};
  o.Size = sizeof o;
  return o;
}

TPXSearchOptions RegionOptions(int32_t x, int32_t y, int32_t width, int32_t height) {
  TPXSearchOptions o = Options();
  o.UseRegion = -1;
  o.Region = {x, y, width, height};
  return o;
}

std::string Describe(const TPXResultMatches& m) {
  return testing::PrintToString(std::vector<double>{double(m.Position.X), double(m.Position.Y),
                                                    double(m.Dimensions.Width), double(m.Dimensions.Height),
                                                    double(m.Difference), m.MatchPercentage});
}

std::vector<std::string> Describe(const std::vector<TPXResultMatches>& matches) {
  std::vector<std::string> lines;
  for (const TPXResultMatches& m : matches) lines.push_back(Describe(m));
  return lines;
}

// A scene with the part planted four times, some copies a little spoiled, so
// that matches differ in percentage.
class SearchOptionsTest : public ::testing::Test {
 protected:
  SearchOptionsTest() : scene_(RandomPicture(120, 90, 41)), part_(RandomPicture(10, 8, 42)) {
    Paste(scene_, part_, 7, 5);
    Paste(scene_, Spoiled(3), 60, 30);
    Paste(scene_, Spoiled(9), 100, 70);
    Paste(scene_, Spoiled(20), 30, 60);
  }

  Image Spoiled(int pixels) const {
    Image copy = part_;
    for (int i = 0; i < pixels; ++i) copy.pixels[size_t(i) * 3 % copy.pixels.size()] ^= 0x00800000u;
    return copy;
  }

  static std::vector<TPXProcessParameters> ParameterSets() {
    TPXProcessParameters stretch = ArgbParameters(10, 12);
    stretch.StretchCompare = 1;
    stretch.MinimalStretchSize = {8, 6};
    stretch.MaximalStretchSize = {13, 13};
    stretch.StretchResampler = PX_RESAMPLER_BILINEAR;
    TPXProcessParameters single = ArgbParameters(10, 30);
    single.MultipleMatches = 0;
    return {ArgbParameters(10, 30), AhslParameters(0.02, 30), stretch, single};
  }

  Image scene_;
  Image part_;
};

TEST_F(SearchOptionsTest, ARegionFindsWhatTheCroppedPictureHoldsAtTheSamePlaces) {
  PixelObject whole(scene_);
  PixelObject of(part_);
  ASSERT_EQ(whole.code, PX_OK);
  const TPXRect regions[] = {
      {0, 0, 120, 90},   // the whole picture
      {50, 20, 40, 40},  // one copy inside
      {61, 30, 40, 40},  // that copy cut by one column: not found
      {110, 82, 10, 8},  // exactly the part's size, at the bottom right corner
      {7, 5, 10, 8},     // exactly one copy
      {0, 0, 17, 13},    // the first copy touching the region's right and bottom sides
      {25, 4, 90, 70},
  };
  int found = 0;
  for (const TPXRect& r : regions) {
    PixelObject cropped(Crop(scene_, r.X, r.Y, r.Width, r.Height));
    ASSERT_EQ(cropped.code, PX_OK);
    const TPXSearchOptions options = RegionOptions(r.X, r.Y, r.Width, r.Height);
    for (const TPXProcessParameters& p : ParameterSets()) {
      SCOPED_TRACE(testing::Message() << "region " << r.X << "," << r.Y << " " << r.Width << "x" << r.Height
                                      << " stretch " << int(p.StretchCompare) << " type " << p.CompareType);
      Comparison inRegion(whole.record, of.record, p, &options);
      Comparison inCrop(cropped.record, of.record, p);
      ASSERT_EQ(inRegion.code, inCrop.code);
      std::vector<TPXResultMatches> expected = inCrop.Entries();
      for (TPXResultMatches& m : expected) {
        m.Position.X += r.X;
        m.Position.Y += r.Y;
      }
      EXPECT_EQ(Describe(inRegion.Entries()), Describe(expected));
      found += int(expected.size());
    }
  }
  EXPECT_GE(found, 20);  // the regions must hold something to agree on
  // The copy cut by one column is found once the region takes that column in.
  const TPXSearchOptions wider = RegionOptions(60, 30, 41, 40);
  Comparison c(whole.record, of.record, ArgbParameters(10, 30), &wider);
  ASSERT_GE(c.result.MatchCount, 1);
  EXPECT_EQ(c[0].Position.X, 60);
  EXPECT_EQ(c[0].Position.Y, 30);
}

TEST_F(SearchOptionsTest, MinimalPercentageAndMaximalCountFilterTheFullList) {
  PixelObject in(scene_);
  PixelObject of(part_);
  const TPXProcessParameters p = ArgbParameters(10, 40);
  Comparison all(in.record, of.record, p);
  const std::vector<TPXResultMatches> full = all.Entries();
  ASSERT_GE(full.size(), 4u);
  ASSERT_LT(full.back().MatchPercentage, full.front().MatchPercentage);

  std::vector<double> minimals = {0.0, 100.0, 50.0};
  for (const TPXResultMatches& m : full) {
    minimals.push_back(m.MatchPercentage);                                                        // that match stays in
    if (m.MatchPercentage < 100.0) minimals.push_back(std::nextafter(m.MatchPercentage, 101.0));  // drops out
  }
  for (const double minimal : minimals) {
    SCOPED_TRACE(testing::Message() << "minimal " << minimal);
    TPXSearchOptions o = Options();
    o.MinimalMatchPercentage = minimal;
    Comparison c(in.record, of.record, p, &o);
    ASSERT_EQ(c.code, PX_OK);
    std::vector<TPXResultMatches> expected;
    for (const TPXResultMatches& m : full) {
      if (m.MatchPercentage >= minimal) expected.push_back(m);
    }
    EXPECT_EQ(Describe(c.Entries()), Describe(expected));
    EXPECT_EQ(c.result.Success != 0, !expected.empty());
  }

  for (const int32_t count : {0, 1, 2, int32_t(full.size()), int32_t(full.size()) + 5}) {
    SCOPED_TRACE(testing::Message() << "count " << count);
    TPXSearchOptions o = Options();
    o.MaximalMatchCount = count;
    Comparison c(in.record, of.record, p, &o);
    const size_t kept = count == 0 ? full.size() : std::min(full.size(), size_t(count));
    EXPECT_EQ(Describe(c.Entries()), Describe({full.begin(), full.begin() + std::ptrdiff_t(kept)}));
  }
}

TEST_F(SearchOptionsTest, AZeroedRecordIsTheBehaviourWithoutOptions) {
  PixelObject in(scene_);
  PixelObject of(part_);
  const TPXSearchOptions zeroed = Options();
  for (const TPXProcessParameters& p : ParameterSets()) {
    Comparison without(in.record, of.record, p);
    Comparison with(in.record, of.record, p, &zeroed);
    EXPECT_EQ(with.code, without.code);
    EXPECT_FALSE(without.Entries().empty());
    EXPECT_EQ(Describe(with.Entries()), Describe(without.Entries()));
  }
}

TEST_F(SearchOptionsTest, BadRecordsAreRefusedBeforeAnythingIsSearched) {
  PixelObject in(scene_);
  PixelObject of(part_);
  const int32_t big = std::numeric_limits<int32_t>::max();
  const auto withSize = [](uint32_t size) {
    TPXSearchOptions o = Options();
    o.Size = size;
    return o;
  };
  const auto withMinimal = [](double minimal) {
    TPXSearchOptions o = Options();
    o.MinimalMatchPercentage = minimal;
    return o;
  };
  TPXSearchOptions negativeCount = Options();
  negativeCount.MaximalMatchCount = -1;
  const struct Case {
    const char* what;
    TPXSearchOptions options;
    int32_t code;
  } cases[] = {
      {"size zero", withSize(0), PX_ERROR_INVALID_PARAMETER},
      {"size one short", withSize(sizeof(TPXSearchOptions) - 1), PX_ERROR_INVALID_PARAMETER},
      {"size of a later, larger record", withSize(sizeof(TPXSearchOptions) + 8), PX_ERROR_INVALID_PARAMETER},
      {"size all ones", withSize(0xFFFFFFFFu), PX_ERROR_INVALID_PARAMETER},
      {"region of zero width", RegionOptions(5, 5, 0, 10), PX_ERROR_INVALID_PARAMETER},
      {"region of zero height", RegionOptions(5, 5, 10, 0), PX_ERROR_INVALID_PARAMETER},
      {"region of zero area at the origin", RegionOptions(0, 0, 0, 0), PX_ERROR_INVALID_PARAMETER},
      {"region of negative size", RegionOptions(50, 50, -10, -10), PX_ERROR_INVALID_PARAMETER},
      {"region left of the picture", RegionOptions(-1, 0, 20, 20), PX_ERROR_INVALID_PARAMETER},
      {"region above the picture", RegionOptions(0, -1, 20, 20), PX_ERROR_INVALID_PARAMETER},
      {"region one column past the right side", RegionOptions(101, 0, 20, 20), PX_ERROR_INVALID_PARAMETER},
      {"region one row past the bottom", RegionOptions(0, 71, 20, 20), PX_ERROR_INVALID_PARAMETER},
      {"region whose end overflows", RegionOptions(big, big, big, big), PX_ERROR_INVALID_PARAMETER},
      {"region entirely outside", RegionOptions(500, 500, 10, 10), PX_ERROR_INVALID_PARAMETER},
      {"region smaller than the search-for picture", RegionOptions(0, 0, 9, 20), PX_ERROR_DIMENSIONS},
      {"percentage NaN", withMinimal(std::nan("")), PX_ERROR_INVALID_PARAMETER},
      {"percentage below 0", withMinimal(-0.001), PX_ERROR_INVALID_PARAMETER},
      {"percentage above 100", withMinimal(100.001), PX_ERROR_INVALID_PARAMETER},
      {"percentage infinite", withMinimal(std::numeric_limits<double>::infinity()), PX_ERROR_INVALID_PARAMETER},
      {"negative count", negativeCount, PX_ERROR_INVALID_PARAMETER},
      {"region ignored when not asked for",
       [] {
         TPXSearchOptions o = RegionOptions(-5, -5, 0, 0);
         o.UseRegion = 0;
         return o;
       }(),
       PX_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Room behind the record, as a later, larger record would have.
    alignas(8) unsigned char buffer[sizeof(TPXSearchOptions) + 64] = {};
    std::memcpy(buffer, &c.options, sizeof c.options);
    int dummy = 0;
    TPXResult result{-1, 7, reinterpret_cast<PPXResultMatches>(&dummy)};
    EXPECT_EQ(Pexora_Compare(in.record, of.record, ArgbParameters(10, 30), &result, buffer), c.code);
    EXPECT_EQ(result.Success != 0, c.code == PX_OK);
    if (c.code != PX_OK) {
      EXPECT_EQ(result.MatchCount, 0);
      EXPECT_EQ(result.Matches, nullptr);
    }
    Pexora_FreeResult(&result);
  }

  // The codes of the objects and of the process parameters come first.
  TPXSearchOptions bad = withSize(1);
  TPXObject zero{};
  TPXProcessParameters unknownType = ArgbParameters(10, 30);
  unknownType.CompareType = 99;
  TPXResult result{};
  EXPECT_EQ(Pexora_Compare(zero, of.record, ArgbParameters(10, 30), &result, &bad), PX_ERROR_OBJECT);
  EXPECT_EQ(Pexora_Compare(in.record, of.record, unknownType, &result, &bad), PX_ERROR_NOT_AVAILABLE);
}

// What a status callback does from inside a comparison: a whole second
// comparison with options, on objects it makes from pixels and frees.
struct Reentry {
  const Image* scene = nullptr;
  const Image* part = nullptr;
  TPXSearchOptions options{};
  bool done = false;
  std::vector<std::string> found;
};

void PX_CALL CompareAgainInside(double, int32_t, void* user) {
  auto* reentry = static_cast<Reentry*>(user);
  if (reentry->done) return;
  reentry->done = true;
  PixelObject in(*reentry->scene);
  PixelObject of(*reentry->part);
  Comparison c(in.record, of.record, ArgbParameters(10, 30), &reentry->options);
  reentry->found = Describe(c.Entries());
}

TEST_F(SearchOptionsTest, ConcurrentAndReentrantCallsGiveTheSameMatches) {
  const TPXSearchOptions region = RegionOptions(20, 0, 100, 80);
  std::vector<std::string> expected;
  {
    PixelObject in(scene_);
    PixelObject of(part_);
    Comparison c(in.record, of.record, ArgbParameters(10, 30), &region);
    expected = Describe(c.Entries());
  }
  ASSERT_GE(expected.size(), 2u);

  std::vector<std::vector<std::string>> results(6);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 5; ++round) {
        PixelObject in(scene_);
        PixelObject of(part_);
        TPXProcessParameters p = ArgbParameters(10, 30);
        p.MultiThreadedProcessing = t % 2 == 0 ? -1 : 0;
        Comparison c(in.record, of.record, p, &region);
        results[t] = Describe(c.Entries());
        if (results[t] != expected) return;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);

  Reentry reentry{&scene_, &part_, region, false, {}};
  PixelObject in(scene_);
  PixelObject of(part_);
  in.record.User = &reentry;
  TPXProcessParameters p = ArgbParameters(10, 30);
  p.StatusCallback = CompareAgainInside;
  Comparison outer(in.record, of.record, p, &region);
  ASSERT_TRUE(reentry.done);
  EXPECT_EQ(reentry.found, expected);
  EXPECT_EQ(Describe(outer.Entries()), expected);
}

}  // namespace
}  // namespace pexora::test
