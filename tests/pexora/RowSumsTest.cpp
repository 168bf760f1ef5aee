// Sums of differences a row at a time against the pixel-by-pixel sum, on
// every instruction set compiled in: row lengths around every vector width,
// alpha masks, both colour models, searched and search-for pictures opaque
// (whose alpha the sums leave out) and not.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "TestPictures.h"
#include "api/SearchOptions.h"
#include "merge/BoundRows.h"
#include "merge/RowSums.h"
#include "merge/SumBounds.h"
#include "scan/ComparedChannels.h"
#include "scan/ScalarScan.h"

namespace pexora::test {
namespace {

TEST(RowSums, EqualThePixelByPixelSumAndBoundIt) {
  std::mt19937 random(31);
  const Image searched = NaturalPicture(90, 40, 32);
  Image translucent = searched;
  for (size_t i = 0; i < translucent.pixels.size(); i += 3) translucent.pixels[i] &= 0x7FFFFFFFu;
  // By colour model, opaque or not.
  const ChannelPlanes argb[2] = {MakeChannelPlanes(searched, ColorModel::kArgb),
                                 MakeChannelPlanes(translucent, ColorModel::kArgb)};
  const ChannelPlanes ahsl[2] = {MakeChannelPlanes(searched, ColorModel::kAhsl),
                                 MakeChannelPlanes(translucent, ColorModel::kAhsl)};
  ASSERT_TRUE(argb[0].opaque && ahsl[0].opaque);
  ASSERT_FALSE(argb[1].opaque || ahsl[1].opaque);
  const auto sumsOf = [](const ChannelPlanes& planes, ColorModel model) {
    return std::array<PlaneSums, 2>{PlaneSums(planes, model, 0), PlaneSums(planes, model, 1)};
  };
  const std::array<PlaneSums, 2> argbSums[2] = {sumsOf(argb[0], ColorModel::kArgb), sumsOf(argb[1], ColorModel::kArgb)};
  const std::array<PlaneSums, 2> ahslSums[2] = {sumsOf(ahsl[0], ColorModel::kAhsl), sumsOf(ahsl[1], ColorModel::kAhsl)};
  int skipped = 0;
  int checked = 0;
  for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
    SCOPED_TRACE(hwy::TargetName(target));
    hwy::SetSupportedTargetsForTest(target);
    for (const int32_t width : {1, 3, 4, 7, 8, 9, 15, 16, 17, 31, 33, 40, 70}) {
      for (int32_t type = PX_COMPARE_TYPE_EXACT; type <= PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA; ++type) {
        TPXProcessParameters p{};
        p.CompareType = type;
        p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = uint8_t(random() % 60);
        p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = 0.01 * (random() % 30);
        const CompareSettings settings = MakeCompareSettings(p);
        // Parts of one, two and three rows of 16-pixel blocks.
        const int32_t height = 5 + (width % 3) * 14;
        // Search-for pictures with alpha also where no mask leaves it out, and
        // a searched picture with alpha for every fourth width.
        Image part = RandomPicture(width, height, uint32_t(width * 7 + type), settings.alphaMask || width % 2 == 1);
        const SearchTemplate t = MakeSearchTemplate(part, settings, searched.width);
        const bool isAhsl = settings.model == ColorModel::kAhsl;
        const size_t opacity = width % 4 == 3 ? 1 : 0;
        const ChannelPlanes& planes = isAhsl ? ahsl[opacity] : argb[opacity];
        const PlaneSums& sums = (isAhsl ? ahslSums : argbSums)[opacity][settings.alphaMask ? 1 : 0];
        const int firstChannel = FirstSummedChannel(planes, t);
        skipped += firstChannel > t.firstChannel ? 1 : 0;
        const TemplateRows rows(t, firstChannel);
        const SumBounds bounds(t, firstChannel);
        for (int k = 0; k < 6; ++k) {
          const int32_t x = int32_t(random() % uint32_t(searched.width - width + 1));
          const int32_t y = int32_t(random() % uint32_t(searched.height - height + 1));
          const uint64_t exact = SumOfDifferences(planes, t, x, y);
          ASSERT_EQ(SumOfDifferencesByRows(planes, rows, x, y), exact) << "width " << width << " type " << type;
          // Within a limit the sum is exact; past it, above the limit.
          ASSERT_EQ(SumOfDifferencesByRows(planes, rows, x, y, exact), exact);
          if (exact > 0) {
            ASSERT_GT(SumOfDifferencesByRows(planes, rows, x, y, exact - 1), exact - 1);
          }
          uint64_t last = 0;
          for (int level = 0; level < bounds.Levels(); ++level) {
            const uint64_t bound = bounds.Bound(sums, level, x, y);
            ASSERT_LE(bound, exact) << "level " << level;
            ASSERT_GE(bound, last) << "level " << level;
            last = bound;
          }
          ++checked;
        }
        // Every level for a row of positions at once, from any start.
        for (int level = 0; level < bounds.Levels(); ++level) {
          const int32_t y = int32_t(random() % uint32_t(searched.height - height + 1));
          const int32_t x0 = int32_t(random() % uint32_t(searched.width - width + 1));
          const int32_t count = searched.width - width + 1 - x0;
          std::vector<uint32_t> row(static_cast<size_t>(count));
          BoundsOfRow(sums, bounds, level, x0, y, count, row.data());
          for (int32_t i = 0; i < count; ++i) {
            const uint64_t expected = std::min<uint64_t>(bounds.Bound(sums, level, x0 + i, y), kBoundRowCap);
            ASSERT_EQ(row[static_cast<size_t>(i)], expected)
                << "width " << width << " type " << type << " level " << level << " at " << i;
          }
        }
      }
    }
  }
  hwy::SetSupportedTargetsForTest(0);
  EXPECT_GT(checked, 300);
  EXPECT_GT(skipped, 10);
}

}  // namespace
}  // namespace pexora::test
