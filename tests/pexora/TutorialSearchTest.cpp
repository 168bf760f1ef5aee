// The searches the three tutorial programs make, on pictures like theirs.
#include <gtest/gtest.h>

#include <random>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

class TutorialSearchTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(TutorialSearchTest, BasicFindsAPasteInAJpegInArgbAndAhsl) {
  Image scene = NaturalPicture(400, 300, 31);
  const Image part = Crop(scene, 210, 140, 40, 32);
  SavePicture(scene, folder_.File("scene.jpg"), FileFormat::kJpeg, 85);
  SavePicture(part, folder_.File("part.png"), FileFormat::kPng);
  CreatedObject in(folder_.File("scene.jpg"));
  CreatedObject of(folder_.File("part.png"));
  ASSERT_EQ(in.code, PX_OK);
  for (const bool ahsl : {false, true}) {
    for (const int32_t threads : {0, -1}) {
      SCOPED_TRACE(testing::Message() << "ahsl " << ahsl << " threads " << threads);
      TPXProcessParameters p = ahsl ? AhslParameters(0.5, 150) : ArgbParameters(15, 150);
      p.MultiThreadedProcessing = threads;
      Comparison c(in.record, of.record, p);
      ASSERT_EQ(c.code, PX_OK);
      ASSERT_GE(c.result.MatchCount, 1);
      EXPECT_EQ(c[0].Position.X, 210);
      EXPECT_EQ(c[0].Position.Y, 140);
      EXPECT_LE(c[0].Difference, 150);
    }
  }
}

TEST_F(TutorialSearchTest, BasicFindsACropOfADullPictureInItsJpegAtTightAhslTolerances) {
  // Near-grey colours with thin dark strokes, as in screenshots and many
  // photographs: JPEG moves their hue and saturation far, their lightness
  // and chroma little.
  Image scene = NaturalPicture(240, 180, 34);
  for (uint32_t& p : scene.pixels) {
    const uint32_t grey = (RedOf(p) + GreenOf(p) + BlueOf(p)) / 3;
    const auto dull = [grey](uint32_t c) { return (c + 7 * grey) / 8; };
    p = 0xFF000000u | (dull(RedOf(p)) << 16) | (dull(GreenOf(p)) << 8) | dull(BlueOf(p));
  }
  std::mt19937 random(34);
  for (int stroke = 0; stroke < 150; ++stroke) {
    const int32_t x = int32_t(random() % 230), y = int32_t(random() % 170), length = 3 + int32_t(random() % 6);
    const bool across = random() % 2 == 0;
    const uint32_t ink = 0xFF000000u | (0x010101u * (40 + random() % 50));
    for (int32_t k = 0; k < length; ++k)
      scene.pixels[size_t(y + (across ? 0 : k)) * 240 + size_t(x + (across ? k : 0))] = ink;
  }
  SavePicture(scene, folder_.File("scene.jpg"), FileFormat::kJpeg, 80);
  SavePicture(Crop(scene, 150, 60, 50, 40), folder_.File("part.png"), FileFormat::kPng);
  CreatedObject in(folder_.File("scene.jpg"));
  CreatedObject of(folder_.File("part.png"));
  ASSERT_EQ(in.code, PX_OK);
  int32_t differences[2] = {};
  for (const bool ahsl : {false, true}) {
    SCOPED_TRACE(ahsl ? "AHSL 0.06" : "ARGB 15");
    Comparison c(in.record, of.record, ahsl ? AhslParameters(0.06, 100) : ArgbParameters(15, 100));
    ASSERT_EQ(c.code, PX_OK);
    ASSERT_EQ(c.result.MatchCount, 1);
    EXPECT_EQ(c[0].Position.X, 150);
    EXPECT_EQ(c[0].Position.Y, 60);
    differences[ahsl] = c[0].Difference;
  }
  std::cout << "differing pixels of 2000: ARGB " << differences[0] << ", AHSL " << differences[1] << "\n";
}

TEST_F(TutorialSearchTest, ScaledFindsAnAlphaIconAtOneAndAHalfItsSize) {
  const Image icon = RoundIcon();
  SavePicture(icon, folder_.File("icon.png"), FileFormat::kPng);
  Image scene = NaturalPicture(300, 220, 32);
  Stamp(scene, Rescaled(icon, 72, 72), 150, 100);
  SavePicture(scene, folder_.File("scene.png"), FileFormat::kPng);
  CreatedObject in(folder_.File("scene.png"));
  CreatedObject of(folder_.File("icon.png"));
  ASSERT_EQ(of.code, PX_OK);
  for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
    SCOPED_TRACE(type);
    TPXProcessParameters p =
        type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA ? ArgbParameters(15, 45) : AhslParameters(0.05, 45);
    p.CompareType = type;
    p.StretchCompare = 1;
    p.MinimalStretchSize = {20, 20};
    p.MaximalStretchSize = {100, 100};
    p.StretchResampler = PX_RESAMPLER_BILINEAR;
    p.MultiThreadedProcessing = -1;
    Comparison c(in.record, of.record, p);
    ASSERT_EQ(c.code, PX_OK);
    ASSERT_GE(c.result.MatchCount, 1);
    EXPECT_EQ(c[0].Position.X, 150);
    EXPECT_EQ(c[0].Position.Y, 100);
    EXPECT_EQ(c[0].Dimensions.Width, 72);
    EXPECT_EQ(c[0].Dimensions.Height, 72);
    EXPECT_EQ(c[0].Difference, 0);
  }
}

TEST_F(TutorialSearchTest, FilteredComparesTwoPicturesResampledTo100x100) {
  const Image scene = NaturalPicture(320, 240, 33);
  SavePicture(scene, folder_.File("big.png"), FileFormat::kPng);
  SavePicture(Crop(scene, 0, 0, 160, 120), folder_.File("half.png"), FileFormat::kPng);
  for (int32_t filter = PX_RESAMPLER_BOX; filter <= PX_RESAMPLER_LANCZOS3; ++filter) {
    SCOPED_TRACE(filter);
    const TPXCreateObjectParameters create{PX_PROCESS_TYPE_RESAMPLE, {100, 100}, filter};
    CreatedObject in(folder_.File("big.png"), create);
    CreatedObject same(folder_.File("big.png"), create);
    CreatedObject other(folder_.File("half.png"), create);
    ASSERT_EQ(in.code, PX_OK);
    EXPECT_EQ(in.record.OriginalDimensions.Width, 320);
    Comparison match(in.record, same.record, ArgbParameters(15, 100));
    ASSERT_EQ(match.result.MatchCount, 1);
    EXPECT_EQ(match[0].Position.X, 0);
    EXPECT_EQ(match[0].Difference, 0);
    EXPECT_EQ(match[0].Dimensions.Width, 100);
    Comparison differ(in.record, other.record, ArgbParameters(15, 100));
    EXPECT_EQ(differ.code, PX_OK);
    EXPECT_EQ(differ.result.Success, 0);
  }
}

}  // namespace
}  // namespace pexora::test
