// Block rejection against the one-by-one scan: a block of positions may be
// rejected only where every one of its positions has more differing pixels
// than the limit, on every compiled instruction set, and the scan that uses
// it must give what ScanRowScalar gives.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <algorithm>
#include <random>
#include <utility>

#include "TestPictures.h"
#include "image/ChannelPlanes.h"
#include "image/SearchObject.h"
#include "scan/BlockRejection.h"
#include "scan/CompareSettings.h"
#include "scan/PositionScan.h"
#include "scan/ScalarScan.h"
#include "scan/SearchTemplate.h"

namespace pexora::test {
namespace {

// kTranslucent: a natural picture with steps of alpha, where alpha decides too.
enum class Kind { kNatural, kPalette, kTranslucent, kFlat };

struct BlockCase {
  const char* what;
  int32_t type;
  Kind kind;
  uint8_t argb;  // every ARGB tolerance
  double ahsl;   // every AHSL tolerance
  int64_t limit;
  int32_t templateSide;
  int32_t x0;    // the first position of each row (a region's offset)
  int32_t cut;   // positions left off at the row's end (0: blocks straddle it)
  bool rejects;  // whether some block must be rejected
};

// The searched pictures are 101 pixels wide (no multiple of a run width).
// The large templates are black, 65536 pixels, over a picture 290 wide whose
// channels are 64 and more but for three black pixels, so that positions
// differ in 65533 to 65536 pixels, around the limit.
const BlockCase kCases[] = {
    {"exact palette", PX_COMPARE_TYPE_EXACT, Kind::kPalette, 0, 0, 0, 5, 0, 0, true},
    {"argb flat, ranges touching the bounds", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kFlat, 1, 0, 2, 6, 3, 0, true},
    {"argb translucent", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kTranslucent, 2, 0, 2, 6, 0, 0, true},
    {"ahsl translucent", PX_COMPARE_TYPE_RELATIVE_AHSL, Kind::kTranslucent, 0, 0.01, 2, 6, 1, 0, true},
    {"argb flat, one step apart", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kFlat, 0, 0, 1, 7, 0, 5, true},
    {"argb natural in a region", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kNatural, 12, 0, 10, 12, 17, 9, true},
    {"argb alpha mask", PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA, Kind::kNatural, 10, 0, 6, 10, 1, 0, true},
    {"argb limit 254, 8-bit counters", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kNatural, 6, 0, 254, 24, 2, 0, true},
    {"argb limit 255, 16-bit counters", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kNatural, 6, 0, 255, 24, 0, 3, true},
    {"ahsl natural", PX_COMPARE_TYPE_RELATIVE_AHSL, Kind::kNatural, 0, 0.05, 8, 10, 4, 0, true},
    {"ahsl flat", PX_COMPARE_TYPE_RELATIVE_AHSL, Kind::kFlat, 0, 0.0, 1, 6, 0, 2, true},
    {"ahsl alpha mask", PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA, Kind::kNatural, 0, 0.04, 5, 9, 6, 0, true},
    {"ahsl limit 254", PX_COMPARE_TYPE_RELATIVE_AHSL, Kind::kNatural, 0, 0.03, 254, 24, 0, 0, true},
    {"argb limit 65534", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kNatural, 4, 0, 65534, 256, 0, 0, true},
    {"ahsl limit 65534", PX_COMPARE_TYPE_RELATIVE_AHSL, Kind::kNatural, 0, 0.02, 65534, 256, 3, 0, true},
    {"argb limit 65535, no blocks", PX_COMPARE_TYPE_RELATIVE_ARGB, Kind::kNatural, 4, 0, 65535, 256, 0, 0, false},
};

Image SearchedPicture(const BlockCase& c) {
  const int32_t width = c.templateSide > 100 ? 290 : 101, height = c.templateSide + 12;
  if (c.templateSide > 100) {
    Image bright = NaturalPicture(width, height, 10);
    for (uint32_t& px : bright.pixels) px |= 0xFF404040u;
    for (const auto& [x, y] : {std::pair{260, 10}, std::pair{270, 10}, std::pair{275, 11}})
      bright.pixels[static_cast<size_t>(y * width + x)] = 0xFF000000u;
    return bright;
  }
  switch (c.kind) {
    case Kind::kPalette: return PalettePicture(width, height, 7);
    case Kind::kTranslucent: {
      Image translucent = NaturalPicture(width, height, 13);
      for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          uint32_t& px = translucent.pixels[static_cast<size_t>(y * width + x)];
          px = (px & 0x00FFFFFFu) | static_cast<uint32_t>(255 - ((x / 20 + y / 3) % 4) * 40) << 24;
        }
      }
      return translucent;
    }
    case Kind::kFlat: return FlatPicture(width, height, 8);
    case Kind::kNatural: break;
  }
  return NaturalPicture(width, height, 9);
}

TEST(BlockRejection, RejectsOnlyPositionsOverTheLimitOnEveryTarget) {
  for (const BlockCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const Image searched = SearchedPicture(c);
    Image target = Crop(searched, 40 % (searched.width - c.templateSide), 5, c.templateSide, c.templateSide);
    TPXProcessParameters p{};
    p.CompareType = c.type;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = c.argb;
    p.AHSLATolerance = p.AHSLHTolerance = p.AHSLSTolerance = p.AHSLLTolerance = c.ahsl;
    if (c.templateSide > 100) std::fill(target.pixels.begin(), target.pixels.end(), 0xFF000000u);
    const CompareSettings settings = MakeCompareSettings(p);
    if (settings.alphaMask) {
      std::mt19937 random(11);
      static const uint32_t alphas[] = {0, 1, 128, 254, 255, 255};
      for (uint32_t& px : target.pixels) px = (px & 0x00FFFFFFu) | (alphas[random() % 6] << 24);
    }
    const ChannelPlanes planes = MakeChannelPlanes(searched, settings.model);
    ASSERT_EQ(RunBoundsOf(planes).size(), kRunWidths.size());
    const SearchTemplate t = MakeSearchTemplate(target, settings, searched.width);
    const int32_t count = searched.width - t.width + 1 - c.x0 - c.cut;
    for (const int64_t hwyTarget : hwy::SupportedAndGeneratedTargets()) {
      SCOPED_TRACE(hwy::TargetName(hwyTarget));
      hwy::SetSupportedTargetsForTest(hwyTarget);
      int64_t rejectedCount = 0;
      for (int32_t y = 0; y + t.height <= searched.height; ++y) {
        std::vector<int64_t> expected(static_cast<size_t>(count)), actual(static_cast<size_t>(count));
        ScanRowScalar(planes, t, y, c.x0, count, c.limit, expected.data());
        ScanRow(planes, t, y, c.x0, count, c.limit, actual.data());
        std::vector<uint8_t> rejected(static_cast<size_t>(count));
        size_t sinceStop = 0;
        RejectBlocks(planes, t, y, c.x0, count, c.limit, rejected.data(), sinceStop, StopToken::Never());
        for (int32_t k = 0; k < count; ++k) {
          const auto i = static_cast<size_t>(k);
          ASSERT_EQ(std::min(expected[i], c.limit + 1), std::min(actual[i], c.limit + 1))
              << "row " << y << " position " << c.x0 + k;
          if (rejected[i] == 0) continue;
          ++rejectedCount;
          ASSERT_GT(expected[i], c.limit) << "rejected in a block: row " << y << " position " << c.x0 + k;
        }
      }
      // The blocks must have been tried, or the comparison shows nothing.
      EXPECT_EQ(rejectedCount > 0, c.rejects);
    }
    hwy::SetSupportedTargetsForTest(0);
  }
}

TEST(BlockRejection, LeavesEveryPositionThatACloseCopyMatches) {
  // A copy with every channel moved by exactly the tolerance sits at the
  // edge of every range. It lies on grey at x = 64, where a block begins
  // after blocks that the grey rejects: its position and its block stay.
  Image searched{101, 30, std::vector<uint32_t>(101 * 30, 0xFF808080u)};
  const Image copy = Crop(NaturalPicture(40, 40, 12), 10, 10, 16, 16);
  Stamp(searched, copy, 64, 8);
  for (int32_t type : {PX_COMPARE_TYPE_RELATIVE_ARGB, PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA}) {
    SCOPED_TRACE(type);
    TPXProcessParameters p{};
    p.CompareType = type;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 3;
    Image target = copy;
    for (uint32_t& px : target.pixels) {
      const uint32_t r = std::min<uint32_t>(255, RedOf(px) + 3), b = BlueOf(px) >= 3 ? BlueOf(px) - 3 : 0;
      px = 0xFF000000u | (r << 16) | (GreenOf(px) << 8) | b;
    }
    const CompareSettings settings = MakeCompareSettings(p);
    const ChannelPlanes planes = MakeChannelPlanes(searched, settings.model);
    RunBoundsOf(planes);  // as an earlier scan of a larger limit would have made them
    const SearchTemplate t = MakeSearchTemplate(target, settings, searched.width);
    const int32_t count = searched.width - t.width + 1;
    for (const int64_t hwyTarget : hwy::SupportedAndGeneratedTargets()) {
      SCOPED_TRACE(hwy::TargetName(hwyTarget));
      hwy::SetSupportedTargetsForTest(hwyTarget);
      std::vector<int64_t> differences(static_cast<size_t>(count));
      ScanRow(planes, t, 8, 0, count, 0, differences.data());
      EXPECT_EQ(differences[64], 0);
      std::vector<uint8_t> rejected(static_cast<size_t>(count));
      size_t sinceStop = 0;
      RejectBlocks(planes, t, 8, 0, count, 0, rejected.data(), sinceStop, StopToken::Never());
      EXPECT_EQ(rejected[64], 0);
      EXPECT_EQ(rejected[63], 1);
      EXPECT_GT(std::count(rejected.begin(), rejected.end(), uint8_t{1}), count / 2);
    }
    hwy::SetSupportedTargetsForTest(0);
  }
}

TEST(BlockRejection, RunBoundsAreMadeOnlyForALimitThatPaysForThem) {
  // A fresh picture: a scan below kRunBoundsFromLimit leaves the bounds
  // unmade (and rejects nothing); one at it makes them for every later scan.
  const Image searched = NaturalPicture(120, 40, 13);
  const Image target = Crop(NaturalPicture(60, 60, 14), 5, 5, 20, 20);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  const CompareSettings settings = MakeCompareSettings(p);
  const ChannelPlanes planes = MakeChannelPlanes(searched, settings.model);
  const SearchTemplate t = MakeSearchTemplate(target, settings, searched.width);
  const int32_t count = searched.width - t.width + 1;
  std::vector<uint8_t> rejected(static_cast<size_t>(count));
  size_t sinceStop = 0;
  RejectBlocks(planes, t, 3, 0, count, kRunBoundsFromLimit - 1, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_TRUE(MadeRunBounds(planes).empty());
  EXPECT_EQ(std::count(rejected.begin(), rejected.end(), uint8_t{1}), 0);
  RejectBlocks(planes, t, 3, 0, count, kRunBoundsFromLimit, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_EQ(MadeRunBounds(planes).size(), kRunWidths.size());
  std::fill(rejected.begin(), rejected.end(), uint8_t{0});
  RejectBlocks(planes, t, 3, 0, count, 0, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_GT(std::count(rejected.begin(), rejected.end(), uint8_t{1}), 0);

  // A picture searched again makes them from kRunBoundsAgainFromLimit on.
  PlaneCache cache(size_t{1} << 24);
  const SearchObject object(searched);
  const std::shared_ptr<const ChannelPlanes> first = object.Planes(settings.model, cache);
  RejectBlocks(*first, t, 3, 0, count, kRunBoundsAgainFromLimit, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_TRUE(MadeRunBounds(*first).empty());
  const std::shared_ptr<const ChannelPlanes> again = object.Planes(settings.model, cache);
  ASSERT_EQ(again.get(), first.get());
  RejectBlocks(*again, t, 3, 0, count, kRunBoundsAgainFromLimit - 1, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_TRUE(MadeRunBounds(*again).empty());
  RejectBlocks(*again, t, 3, 0, count, kRunBoundsAgainFromLimit, rejected.data(), sinceStop, StopToken::Never());
  EXPECT_EQ(MadeRunBounds(*again).size(), kRunWidths.size());
}

}  // namespace
}  // namespace pexora::test
