// The ..._ALPHA compare types ask whether some opaque background under the
// search-for picture could give the searched pixels. A picture composited
// onto any background is therefore found at its place, whatever the
// background; the same picture with an edge that no background gives is not.
// Checked in the engine (every compiled vector target, one to three threads)
// and in the reference alike.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <random>

#include "EngineRun.h"
#include "TestPictures.h"

namespace pexora::test {
namespace {

// Every alpha from 1 to 255 in random colours, and some transparent pixels.
Image EveryAlphaIcon() {
  Image icon = RandomPicture(24, 24, 77, true);
  for (size_t i = 0; i < icon.pixels.size(); ++i) {
    icon.pixels[i] = (icon.pixels[i] & 0x00FFFFFFu) | (uint32_t(i % 256) << 24);
  }
  return icon;
}

Image Flat(uint32_t colour) { return Image{80, 70, std::vector<uint32_t>(80 * 70, colour | 0xFF000000u)}; }

Image Gradient(bool across) {
  Image picture = Flat(0);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t t = uint32_t(across ? x * 255 / (picture.width - 1) : y * 255 / (picture.height - 1));
      picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)] =
          0xFF000000u | (t << 16) | ((255 - t) << 8) | (t / 2);
    }
  }
  return picture;
}

struct Background {
  const char* what;
  Image picture;
};

std::vector<Background> Backgrounds() {
  return {{"black", Flat(0x000000)},
          {"white", Flat(0xFFFFFF)},
          {"grey", Flat(0x808080)},
          {"green", Flat(0x00FF00)},
          {"dark blue", Flat(0x101050)},
          {"gradient across", Gradient(true)},
          {"gradient down", Gradient(false)},
          {"noise", RandomPicture(80, 70, 5)},
          {"photo-like", NaturalPicture(80, 70, 6)}};
}

struct Icon {
  const char* what;
  Image picture;
};

std::vector<Icon> Icons() { return {{"round icon", RoundIcon()}, {"every alpha", EveryAlphaIcon()}}; }

int64_t Visible(const Image& icon) {
  int64_t visible = 0;
  for (uint32_t p : icon.pixels) visible += AlphaOf(p) != 0 ? 1 : 0;
  return visible;
}

TPXProcessParameters AlphaParameters(int32_t type, int32_t differenceTolerance) {
  TPXProcessParameters p{};
  p.CompareType = type;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 1;
  p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.05;
  p.DifferenceTolerance = differenceTolerance;
  p.MultipleMatches = 1;
  return p;
}

// The difference at (x, y), or -1 when that place is not reported.
int64_t DifferenceAt(const reference::Outcome& outcome, int32_t x, int32_t y) {
  EXPECT_EQ(outcome.code, PX_OK);
  for (const Match& m : outcome.matches) {
    if (m.x == x && m.y == y) return m.difference;
  }
  return -1;
}

constexpr int32_t kX = 17, kY = 11;

void ExpectEngineAgrees(const reference::Outcome& expected, const Image& scene, const Image& target,
                        const TPXProcessParameters& p, unsigned threads) {
  for (const int64_t instructionSet : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(instructionSet);
    const reference::Outcome actual = RunEngine(scene, target, p, threads);
    EXPECT_EQ(actual.code, expected.code) << hwy::TargetName(instructionSet);
    EXPECT_EQ(actual.matches, expected.matches) << hwy::TargetName(instructionSet);
  }
  hwy::SetSupportedTargetsForTest(0);
}

TEST(AlphaOverAnyBackground, ACompositeIsFoundAtItsPlaceOnEveryBackground) {
  unsigned threads = 0;
  for (const Icon& icon : Icons()) {
    const int64_t allowed = Visible(icon.picture) / 100;  // AHSL: 1 % of the visible pixels
    for (const Background& background : Backgrounds()) {
      SCOPED_TRACE(testing::Message() << icon.what << " on " << background.what);
      Image scene = background.picture;
      Paste(scene, icon.picture, kX, kY);
      const TPXProcessParameters argb = AlphaParameters(PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, 0);
      const TPXProcessParameters ahsl = AlphaParameters(PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA, int32_t(allowed));
      const reference::Outcome byArgb = reference::Search(scene, icon.picture, argb);
      const reference::Outcome byAhsl = reference::Search(scene, icon.picture, ahsl);
      EXPECT_EQ(DifferenceAt(byArgb, kX, kY), 0);
      EXPECT_GE(DifferenceAt(byAhsl, kX, kY), 0);
      EXPECT_LE(DifferenceAt(byAhsl, kX, kY), allowed);
      threads = threads % 3 + 1;
      ExpectEngineAgrees(byArgb, scene, icon.picture, argb, threads);
      ExpectEngineAgrees(byAhsl, scene, icon.picture, ahsl, threads);
    }
  }
}

TEST(AlphaOverAnyBackground, AnEdgeNoBackgroundGivesIsNotFound) {
  // The round icon with its soft edge drawn opaque in black or white: a
  // visible pixel of colour F at alpha a shows at least a * F and at most
  // a * F + (1 - a) * 255 over any background.
  const Image icon = RoundIcon();
  const int64_t allowed = Visible(icon) / 100;
  for (const uint32_t edge : {0xFF000000u, 0xFFFFFFFFu}) {
    for (const Background& background : Backgrounds()) {
      SCOPED_TRACE(testing::Message() << "edge " << std::hex << edge << std::dec << " on " << background.what);
      Image scene = background.picture;
      Image hardEdged = icon;
      for (uint32_t& p : hardEdged.pixels) {
        if (AlphaOf(p) != 0 && AlphaOf(p) != 255) p = edge;
      }
      Stamp(scene, hardEdged, kX, kY);
      for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
        const TPXProcessParameters p = AlphaParameters(type, int32_t(allowed));
        const reference::Outcome outcome = reference::Search(scene, icon, p);
        EXPECT_TRUE(outcome.matches.empty()) << type;
        ExpectEngineAgrees(outcome, scene, icon, p, 1);
      }
    }
  }
}

}  // namespace
}  // namespace pexora::test
