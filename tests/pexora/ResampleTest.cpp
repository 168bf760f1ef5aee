// Resampling pictures with alpha: the colour of transparent pixels must not
// bleed into the visible ones, with every filter, enlarging and shrinking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "TestPictures.h"
#include "image/Resample.h"
#include "pexora/pexora.h"

namespace pexora::test {
namespace {

// The picture with every fully transparent pixel given another colour.
Image WithHiddenColour(Image picture, uint32_t colour) {
  for (uint32_t& p : picture.pixels) {
    if (AlphaOf(p) == 0) p = colour & 0x00FFFFFFu;
  }
  return picture;
}

const TPXDimensions kSizes[] = {{72, 72}, {31, 31}, {48, 20}, {5, 5}};

TEST(Resample, TheColourOfTransparentPixelsDoesNotShow) {
  const Image icon = RoundIcon();
  const Image onBlack = WithHiddenColour(icon, 0x000000), onGreen = WithHiddenColour(icon, 0x00FF00);
  for (int32_t filter = PX_RESAMPLER_BOX; filter <= PX_RESAMPLER_LANCZOS3; ++filter) {
    for (const TPXDimensions size : kSizes) {
      SCOPED_TRACE(testing::Message() << "filter " << filter << " size " << size.Width << " x " << size.Height);
      const Image black = Resample(onBlack, size.Width, size.Height, filter);
      const Image green = Resample(onGreen, size.Width, size.Height, filter);
      ASSERT_EQ(black.pixels.size(), green.pixels.size());
      int differing = 0, visible = 0;
      for (size_t i = 0; i < black.pixels.size(); ++i) {
        ASSERT_EQ(AlphaOf(black.pixels[i]), AlphaOf(green.pixels[i])) << i;
        if (AlphaOf(black.pixels[i]) == 0) continue;
        ++visible;
        differing += black.pixels[i] != green.pixels[i] ? 1 : 0;
      }
      EXPECT_GT(visible, 0);
      EXPECT_EQ(differing, 0);
    }
  }
}

TEST(Resample, AFlatColourKeepsItsColourWhereverItIsVisible) {
  // One colour under a soft alpha edge: a stretched pixel may be more or less
  // transparent, but never of another colour (within rounding where it is
  // nearly transparent).
  Image icon = RoundIcon();
  for (uint32_t& p : icon.pixels) p = (p & 0xFF000000u) | (AlphaOf(p) ? 0xE03010u : 0x000000u);
  for (int32_t filter = PX_RESAMPLER_BOX; filter <= PX_RESAMPLER_LANCZOS3; ++filter) {
    for (const TPXDimensions size : kSizes) {
      SCOPED_TRACE(testing::Message() << "filter " << filter << " size " << size.Width << " x " << size.Height);
      int worst = 0;
      for (const uint32_t p : Resample(icon, size.Width, size.Height, filter).pixels) {
        if (AlphaOf(p) < 4) continue;
        worst = std::max(
            {worst, std::abs(int(RedOf(p)) - 0xE0), std::abs(int(GreenOf(p)) - 0x30), std::abs(int(BlueOf(p)) - 0x10)});
      }
      EXPECT_LE(worst, 1);
    }
  }
}

}  // namespace
}  // namespace pexora::test
