// When one pixel differs from the search-for pixel over it, at the edges of
// each rule, checked through the engine and the reference alike.
#include <gtest/gtest.h>

#include "EngineRun.h"
#include "image/HslColor.h"

namespace pexora::test {
namespace {

struct PixelCase {
  const char* what;
  int32_t type;
  uint32_t searched;  // ARGB
  uint32_t target;    // ARGB
  uint8_t argb[4];    // A, R, G, B tolerances
  double ahsl[4];     // A, H, S, L tolerances
  bool differs;
};

const PixelCase kCases[] = {
    {"exact, equal", PX_COMPARE_TYPE_EXACT, 0xFF102030, 0xFF102030, {}, {}, false},
    {"exact, blue off by one", PX_COMPARE_TYPE_EXACT, 0xFF102030, 0xFF102031, {}, {}, true},
    {"exact, alpha off by one", PX_COMPARE_TYPE_EXACT, 0xFE102030, 0xFF102030, {}, {}, true},
    {"argb, red at its tolerance", PX_COMPARE_TYPE_RELATIVE_ARGB, 0xFF1F2030, 0xFF102030, {0, 15, 0, 0}, {}, false},
    {"argb, red past its tolerance", PX_COMPARE_TYPE_RELATIVE_ARGB, 0xFF202030, 0xFF102030, {0, 15, 0, 0}, {}, true},
    {"argb, alpha is a channel", PX_COMPARE_TYPE_RELATIVE_ARGB, 0x80102030, 0xFF102030, {15, 15, 15, 15}, {}, true},
    {"argb, tolerance 255 takes anything",
     PX_COMPARE_TYPE_RELATIVE_ARGB,
     0x00000000,
     0xFFFFFFFF,
     {255, 255, 255, 255},
     {},
     false},
    // Red 16 at alpha 128 gives 9..135 over some background; 240 gives 121..247.
    {"argb alpha, dark red at half over the lightest background",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFF960000,
     0x80100000,
     {0, 15, 0, 0},
     {},
     false},
    {"argb alpha, dark red at half, one past the lightest",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFF970000,
     0x80100000,
     {0, 15, 0, 0},
     {},
     true},
    {"argb alpha, light red at half over the darkest background",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFF6A0000,
     0x80F00000,
     {0, 15, 0, 0},
     {},
     false},
    {"argb alpha, light red at half, one past the darkest",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFF690000,
     0x80F00000,
     {0, 15, 0, 0},
     {},
     true},
    {"argb alpha, opaque keeps the plain rule",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFF200000,
     0xFF100000,
     {0, 15, 0, 0},
     {},
     true},
    {"argb alpha, the A tolerance is not used",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0x00102030,
     0xFF102030,
     {0, 0, 0, 0},
     {},
     false},
    {"argb alpha, black at alpha 1 reaches 254, tolerance 1 the rest",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFFFFFFFF,
     0x01000000,
     {0, 1, 1, 1},
     {},
     false},
    {"argb alpha, black at alpha 1 does not reach 255",
     PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA,
     0xFFFFFFFF,
     0x01000000,
     {0, 0, 0, 0},
     {},
     true},
    {"ahsl, hue distance goes round the circle",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFFFF0018,
     0xFFFF1800,
     {},
     {0, 0.04, 0, 0},
     false},
    {"ahsl, hue past its tolerance", PX_COMPARE_TYPE_RELATIVE_AHSL, 0xFFFF0030, 0xFFFF3000, {}, {0, 0.04, 0, 0}, true},
    {"ahsl, grey has no hue", PX_COMPARE_TYPE_RELATIVE_AHSL, 0xFF808080, 0xFF828080, {}, {0, 0, 0.01, 0.01}, false},
    {"ahsl, opposite hues of near-grey pixels are close",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF848080,
     0xFF808084,
     {},
     {0, 0.01, 0.02, 0.02},
     false},
    {"ahsl, hue weighted by the duller pixel, past",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF908070,
     0xFFFF0000,
     {},
     {0, 0.01, 1, 1},
     true},
    {"ahsl, hue weighted by the duller pixel, within",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF908070,
     0xFFFF0000,
     {},
     {0, 0.0105, 1, 1},
     false},
    {"ahsl, chroma past its tolerance",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF808080,
     0xFF908080,
     {},
     {0, 1, 0.05, 1},
     true},
    {"ahsl, chroma at its tolerance",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF808080,
     0xFF8D8080,
     {},
     {0, 1, 13.0 / 255, 1},
     false},
    {"ahsl, near white: one level is little chroma",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFFFFFFFE,
     0xFFFFFFFF,
     {},
     {0, 0, 0.01, 0.01},
     false},
    {"ahsl, near black: one level is little chroma",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF000100,
     0xFF010000,
     {},
     {0, 0.01, 0.01, 0.01},
     false},
    {"ahsl, lightness past its tolerance",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xFF000000,
     0xFF202020,
     {},
     {0, 1, 1, 0.1},
     true},
    {"ahsl, alpha past its tolerance", PX_COMPARE_TYPE_RELATIVE_AHSL, 0xC0102030, 0xFF102030, {}, {0.2, 1, 1, 1}, true},
    {"ahsl, alpha within its tolerance",
     PX_COMPARE_TYPE_RELATIVE_AHSL,
     0xD0102030,
     0xFF102030,
     {},
     {0.2, 1, 1, 1},
     false},
    // White at alpha 64 has at least lightness 64 / 255 = 0.251 over any background.
    {"ahsl alpha, white at a quarter does not give black",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF000000,
     0x40FFFFFF,
     {},
     {0, 0, 0, 0.25},
     true},
    {"ahsl alpha, white at a quarter over black",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF000000,
     0x40FFFFFF,
     {},
     {0, 0, 0, 0.251},
     false},
    {"ahsl alpha, opaque keeps the plain rule",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF000000,
     0xFFFFFFFF,
     {},
     {0, 0, 0, 0.3},
     true},
    // Red at alpha 128 keeps a chroma of at least 1 / 255 over any background.
    {"ahsl alpha, red at half does not give grey",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF808080,
     0x80FF0000,
     {},
     {0, 0, 0, 0},
     true},
    {"ahsl alpha, red at half over grey",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF808080,
     0x80FF0000,
     {},
     {0, 0, 0.004, 0},
     false},
    // Red at alpha 230 over green is (230, 25, 0): its hue moves within the slack.
    {"ahsl alpha, red at 230 over green",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFFE61900,
     0xE6FF0000,
     {},
     {0, 0, 0, 0.001},
     false},
    {"ahsl alpha, red at 230 does not turn green",
     PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA,
     0xFF19E600,
     0xE6FF0000,
     {},
     {0, 0.1, 0, 0.001},
     true},
};

void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.what; }

class PixelRules : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelRules, DiffersExactlyWhenTheRuleSays) {
  const PixelCase& c = GetParam();
  // The pixel under test next to one that always agrees, so that a position
  // always compares at least one pixel.
  const Image searched{2, 1, {c.searched, 0xFF000000}};
  const Image target{2, 1, {c.target, 0xFF000000}};
  TPXProcessParameters p{};
  p.CompareType = c.type;
  SetTolerances(p, c.argb, c.ahsl);
  p.DifferenceTolerance = 2;
  for (const reference::Outcome& outcome :
       {reference::Search(searched, target, p), RunEngine(searched, target, p, 1)}) {
    ASSERT_EQ(outcome.code, PX_OK);
    ASSERT_EQ(outcome.matches.size(), 1u);
    EXPECT_EQ(outcome.matches[0].difference, c.differs ? 1 : 0);
    EXPECT_EQ(outcome.matches[0].compared, 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, PixelRules, ::testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PixelCase>& info) { return std::to_string(info.index); });

TEST(PixelRulesAlphaMask, TransparentPixelsTakeNoPart) {
  const Image searched{3, 1, {0xFF000000, 0xFFFFFFFF, 0xFF000000}};
  const Image target{2, 1, {0x00FFFFFF, 0xFF000000}};
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  p.DifferenceTolerance = 0;
  p.MultipleMatches = 1;
  for (const reference::Outcome& outcome :
       {reference::Search(searched, target, p), RunEngine(searched, target, p, 1)}) {
    ASSERT_EQ(outcome.matches.size(), 1u);
    EXPECT_EQ(outcome.matches[0].x, 1);  // the transparent pixel lies over black at x = 1
    EXPECT_EQ(outcome.matches[0].compared, 1);
  }
  // Nothing visible: nothing to find.
  const Image invisible{2, 1, {0x00FFFFFF, 0x00000000}};
  EXPECT_TRUE(RunEngine(searched, invisible, p, 1).matches.empty());
  EXPECT_TRUE(reference::Search(searched, invisible, p).matches.empty());
}

TEST(HslColor, KnownColours) {
  struct {
    uint32_t argb;
    uint16_t hue, chroma, lightness;
  } cases[] = {
      {0xFFFF0000, 0, 65535, 32768},     {0xFF00FF00, 21845, 65535, 32768}, {0xFF0000FF, 43691, 65535, 32768},
      {0xFFFF00FF, 54613, 65535, 32768}, {0xFFFFFFFF, 0, 0, 65535},         {0xFF000000, 0, 0, 0},
      {0x00808080, 0, 0, 32896},         {0xFF804040, 0, 16448, 24672},     {0xFF908070, 5461, 8224, 32896},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argb);
    const Hsl16 hsl = ToHsl16(c.argb);
    EXPECT_EQ(hsl.hue, c.hue);
    EXPECT_EQ(hsl.chroma, c.chroma);
    EXPECT_EQ(hsl.lightness, c.lightness);
  }
}

TEST(HslColor, WeightedHueDistanceGoesRoundTheCircleAndFadesWithChroma) {
  EXPECT_EQ(WeightedHueDistance(0, 32768, 65535), kMaxWeightedHueDistance);
  EXPECT_EQ(WeightedHueDistance(65535, 1, 65535), 1u);        // 2 apart across 0
  EXPECT_EQ(WeightedHueDistance(1000, 60000, 65535), 6535u);  // the short way round
  EXPECT_EQ(WeightedHueDistance(0, 32768, 0), 0u);
  EXPECT_EQ(WeightedHueDistance(0, 16384, 32768), 8192u);
}

}  // namespace
}  // namespace pexora::test
