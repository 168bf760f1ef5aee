// Search-for pixels whose accepted ranges cover every value can never differ:
// they are counted but not tested. Tolerances at the edge of covering
// everything must still give the reference's answers.
#include <gtest/gtest.h>

#include <random>

#include "EngineRun.h"
#include "TestPictures.h"
#include "scan/SearchTemplate.h"

namespace pexora::test {
namespace {

// Pixels that lie at the ends of each channel (0, 1, 254, 255), where a
// tolerance of 254 or 255 decides whether every value is accepted.
Image ExtremePicture(int32_t width, int32_t height, uint32_t seed, bool alpha) {
  static const uint32_t values[] = {0, 1, 2, 128, 253, 254, 255};
  std::mt19937 random(seed);
  Image picture{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
  for (uint32_t& p : picture.pixels) {
    const uint32_t a = alpha ? values[random() % 7] : 255;
    p = a << 24 | values[random() % 7] << 16 | values[random() % 7] << 8 | values[random() % 7];
  }
  return picture;
}

struct Tolerances {
  const char* name;
  uint8_t argb[4];
  double ahsl[4];
};

// ARGB tolerances of 254 accept everything only for some values; AHSL
// tolerances around half the hue circle and near 1 for chroma and lightness.
const Tolerances kEdges[] = {
    {"254 everywhere", {254, 254, 254, 254}, {0.999, 0.5, 0.999, 0.999}},
    {"255 but alpha", {0, 255, 255, 255}, {0.0, 1.0, 1.0, 1.0}},
    {"255 but red", {255, 253, 255, 255}, {1.0, 1.0, 0.98, 1.0}},
    {"255 but blue 128", {255, 255, 255, 128}, {1.0, 0.49, 1.0, 1.0}},
    {"everything", {255, 255, 255, 255}, {1.0, 1.0, 1.0, 1.0}},
};

TEST(NeverDifferingPixels, TolerancesAtTheEdgeAgreeWithTheReference) {
  std::mt19937 random(71);
  int mixed = 0, none = 0;
  for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_AHSL,
                             PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
    const bool alpha = type >= PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
    for (const Tolerances& edge : kEdges) {
      for (uint32_t round = 0; round < 4; ++round) {
        const uint32_t seed = 10 * uint32_t(type) + round;
        const Image searched = round % 2 ? ExtremePicture(23, 17, seed, alpha) : PalettePicture(23, 17, seed, alpha);
        const Image target = Crop(ExtremePicture(23, 17, seed + 1, alpha), 2, 3, 4 + int32_t(round), 5);
        TPXProcessParameters p{};
        p.CompareType = type;
        SetTolerances(p, edge.argb, edge.ahsl);
        p.DifferenceTolerance = int32_t(random() % 4);
        p.MultipleMatches = round != 3;
        p.StretchCompare = round == 2;
        p.MinimalStretchSize = {3, 3};
        p.MaximalStretchSize = {7, 7};
        p.StretchResampler = PX_RESAMPLER_BICUBIC;
        SCOPED_TRACE(testing::Message() << "type " << type << " " << edge.name << " round " << round);
        const SearchTemplate t = MakeSearchTemplate(target, MakeCompareSettings(p), searched.width);
        mixed += t.tested > 0 && t.tested < t.pixels.size() ? 1 : 0;
        none += t.tested == 0 ? 1 : 0;
        const reference::Outcome expected = reference::Search(searched, target, p);
        for (unsigned threads : {1u, 2u}) {
          const reference::Outcome actual = RunEngine(searched, target, p, threads);
          ASSERT_EQ(actual.code, expected.code);
          EXPECT_EQ(actual.matches, expected.matches);
        }
      }
    }
  }
  // Both kinds of template occurred: some pixels tested and some not, and
  // nothing tested at all.
  EXPECT_GE(mixed, 20);
  EXPECT_GE(none, 8);
}

TEST(NeverDifferingPixels, OnlyPixelsThatAcceptEverythingAreLeftUntested) {
  // Each pixel alone against every value its channels can take.
  const Image target = ExtremePicture(16, 16, 5, true);
  const Tolerances& edge = kEdges[0];
  for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
    TPXProcessParameters p{};
    p.CompareType = type;
    SetTolerances(p, edge.argb, edge.ahsl);
    const CompareSettings settings = MakeCompareSettings(p);
    const SearchTemplate t = MakeSearchTemplate(target, settings, 1);
    ASSERT_GT(t.tested, 0u);
    ASSERT_LT(t.tested, t.pixels.size());
    // A 1 x 1 template of each pixel against searched pixels of every
    // combination of extreme values: an untested pixel must match them all.
    static const uint32_t ends[] = {0, 1, 254, 255};
    Image every{16, 16, {}};
    for (uint32_t i = 0; i < 256; ++i) {
      every.pixels.push_back(ends[i >> 6] << 24 | ends[(i >> 4) & 3] << 16 | ends[(i >> 2) & 3] << 8 | ends[i & 3]);
    }
    for (size_t i = t.tested; i < t.pixels.size(); ++i) {
      const TemplatePixel& pixel = t.pixels[i];
      const Image one = Crop(target, pixel.x, pixel.y, 1, 1);
      p.MultipleMatches = 1;
      const reference::Outcome expected = reference::Search(every, one, p);
      ASSERT_EQ(expected.matches.size(), size_t(every.width) * size_t(every.height))
          << "pixel " << pixel.x << "," << pixel.y;
    }
  }
}

}  // namespace
}  // namespace pexora::test
