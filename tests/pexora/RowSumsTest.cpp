// Sums of differences a row at a time against the pixel-by-pixel sum, on
// every instruction set compiled in: row lengths around every vector width,
// alpha masks, both colour models.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <algorithm>
#include <random>
#include <vector>

#include "TestPictures.h"
#include "api/SearchOptions.h"
#include "merge/BoundRows.h"
#include "merge/RowSums.h"
#include "merge/SumBounds.h"
#include "scan/ScalarScan.h"

namespace pexora::test {
namespace {

TEST(RowSums, EqualThePixelByPixelSumAndBoundIt) {
  std::mt19937 random(31);
  const Image searched = NaturalPicture(90, 40, 32);
  const ChannelPlanes argb = MakeChannelPlanes(searched, ColorModel::kArgb);
  const ChannelPlanes ahsl = MakeChannelPlanes(searched, ColorModel::kAhsl);
  const PlaneSums argbSums(argb, ColorModel::kArgb, 0), argbMaskedSums(argb, ColorModel::kArgb, 1);
  const PlaneSums ahslSums(ahsl, ColorModel::kAhsl, 0), ahslMaskedSums(ahsl, ColorModel::kAhsl, 1);
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
        Image part = RandomPicture(width, height, uint32_t(width * 7 + type), settings.alphaMask);
        const SearchTemplate t = MakeSearchTemplate(part, settings, searched.width);
        const TemplateRows rows(t);
        const SumBounds bounds(t);
        const bool isAhsl = settings.model == ColorModel::kAhsl;
        const ChannelPlanes& planes = isAhsl ? ahsl : argb;
        const PlaneSums& sums = isAhsl ? (settings.alphaMask ? ahslMaskedSums : ahslSums)
                                       : (settings.alphaMask ? argbMaskedSums : argbSums);
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
}

}  // namespace
}  // namespace pexora::test
