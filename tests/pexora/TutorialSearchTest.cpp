// The searches the three tutorial programs make, on pictures like theirs.
#include <gtest/gtest.h>

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
    TPXProcessParameters p = type == PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA ? ArgbParameters(15, 45)
                                                                          : AhslParameters(0.05, 45);
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
