// Search objects made from pixels in memory: the same objects as from a file,
// whatever the row layout, and the arguments they refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

std::vector<std::vector<int64_t>> Summary(const Comparison& c) {
  std::vector<std::vector<int64_t>> lines;
  for (const TPXResultMatches& m : c.Entries()) {
    lines.push_back({m.Position.X, m.Position.Y, m.Dimensions.Width, m.Dimensions.Height, m.Difference,
                     static_cast<int64_t>(m.MatchPercentage * 1e9)});
  }
  return lines;
}

std::vector<TPXProcessParameters> ParameterSets() {
  TPXProcessParameters alpha = AhslParameters(0.05, 10);
  alpha.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA;
  TPXProcessParameters stretch = ArgbParameters(20, 15);
  stretch.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  stretch.StretchCompare = 1;
  stretch.MinimalStretchSize = {10, 10};
  stretch.MaximalStretchSize = {24, 24};
  stretch.StretchResampler = PX_RESAMPLER_CATMULLROM;
  return {ArgbParameters(10, 5), alpha, stretch};
}

class PixelObjectTest : public ::testing::Test {
 protected:
  PixelObjectTest() : scene_(PalettePicture(70, 50, 51, true)), part_(Crop(scene_, 30, 20, 16, 12)) {
    Paste(scene_, Rescaled(part_, 20, 15), 3, 30);
  }
  TempFolder folder_;
  Image scene_;
  Image part_;
};

TEST_F(PixelObjectTest, SearchesExactlyLikeTheSamePictureFromAFile) {
  SavePicture(scene_, folder_.File("scene.png"), FileFormat::kPng);
  SavePicture(part_, folder_.File("part.png"), FileFormat::kPng);
  const TPXCreateObjectParameters none{};
  const TPXCreateObjectParameters resample{PX_PROCESS_TYPE_RESAMPLE, {61, 43}, PX_RESAMPLER_BICUBIC};
  int found = 0;
  for (const TPXCreateObjectParameters& create : {none, resample}) {
    SCOPED_TRACE(create.ProcessType);
    CreatedObject fileIn(folder_.File("scene.png"), create);
    CreatedObject fileOf(folder_.File("part.png"));
    PixelObject memoryIn(scene_, create);
    PixelObject memoryOf(part_);
    ASSERT_EQ(memoryIn.code, PX_OK);
    ASSERT_EQ(memoryOf.code, PX_OK);
    EXPECT_EQ(memoryIn.record.OriginalDimensions.Width, 70);
    EXPECT_EQ(memoryIn.record.OriginalDimensions.Height, 50);
    EXPECT_EQ(memoryIn.record.ProcessedDimensions.Width, fileIn.record.ProcessedDimensions.Width);
    EXPECT_EQ(memoryIn.record.ProcessedDimensions.Height, fileIn.record.ProcessedDimensions.Height);
    for (const TPXProcessParameters& p : ParameterSets()) {
      SCOPED_TRACE(p.CompareType);
      Comparison fromFiles(fileIn.record, fileOf.record, p);
      Comparison fromMemory(memoryIn.record, memoryOf.record, p);
      Comparison mixed(memoryIn.record, fileOf.record, p);
      EXPECT_EQ(fromMemory.code, fromFiles.code);
      EXPECT_EQ(Summary(fromMemory), Summary(fromFiles));
      EXPECT_EQ(Summary(mixed), Summary(fromFiles));
      found += fromFiles.result.MatchCount;
    }
  }
  EXPECT_GE(found, 3);
}

TEST_F(PixelObjectTest, ReadsPaddedAndUnalignedRowsAndCopiesThem) {
  PixelObject tight(scene_);
  PixelObject of(part_);
  const TPXProcessParameters p = ParameterSets()[0];
  Comparison expected(tight.record, of.record, p);
  ASSERT_GE(expected.result.MatchCount, 1);
  const int32_t w = scene_.width, h = scene_.height;
  for (const int32_t padding : {0, 3, 12, 4000}) {
    for (const size_t misalignment : {0u, 1u, 2u}) {
      SCOPED_TRACE(testing::Message() << "padding " << padding << " misalignment " << misalignment);
      const int32_t stride = 4 * w + padding;
      // Only the bytes the layout names: a read past them shows under AddressSanitizer.
      const size_t bytes = size_t(stride) * size_t(h - 1) + 4 * size_t(w);
      std::vector<unsigned char> storage(bytes + misalignment, 0xEE);
      unsigned char* start = storage.data() + misalignment;
      for (int32_t y = 0; y < h; ++y) {
        std::memcpy(start + size_t(y) * size_t(stride), scene_.pixels.data() + size_t(y) * size_t(w), 4 * size_t(w));
      }
      const std::u16string name = u"kept as it is";
      TPXObject record{};
      record.FileName = name.c_str();
      record.User = &storage;
      ASSERT_EQ(Pexora_CreateObjectFromPixels(&record, w, h, stride, reinterpret_cast<const uint32_t*>(start), {}),
                PX_OK);
      EXPECT_EQ(record.FileName, name.c_str());
      EXPECT_EQ(record.User, &storage);
      std::fill(storage.begin(), storage.end(), 0);  // the object holds its own copy
      {
        Comparison c(record, of.record, p);
        EXPECT_EQ(Summary(c), Summary(expected));
      }
      EXPECT_EQ(Pexora_FreeObject(&record), PX_OK);
    }
  }
}

TEST_F(PixelObjectTest, RefusesBadArgumentsAndLeavesTheRecordAsItWas) {
  const std::vector<uint32_t> pixels(64, 0xFF102030u);
  const uint32_t* p = pixels.data();
  const int32_t big = std::numeric_limits<int32_t>::max();
  const TPXCreateObjectParameters none{};
  const struct Case {
    const char* what;
    int32_t width, height, stride;
    const uint32_t* pixels;
    TPXCreateObjectParameters parameters;
    int32_t code;
  } cases[] = {
      {"zero width", 0, 4, 16, p, none, PX_ERROR_DIMENSIONS},
      {"zero height", 4, 0, 16, p, none, PX_ERROR_DIMENSIONS},
      {"negative size", -4, -4, 16, p, none, PX_ERROR_DIMENSIONS},
      {"null pixels", 4, 4, 16, nullptr, none, PX_ERROR_INVALID_PARAMETER},
      {"stride one byte short", 4, 4, 15, p, none, PX_ERROR_INVALID_PARAMETER},
      {"zero stride", 4, 4, 0, p, none, PX_ERROR_INVALID_PARAMETER},
      {"negative stride", 4, 4, -16, p, none, PX_ERROR_INVALID_PARAMETER},
      {"width whose row overflows the stride", big, 1, big, p, none, PX_ERROR_INVALID_PARAMETER},
      // Refused before a pixel is read: the buffer is far too small for these.
      {"one column past the pixel limit", 8193, 8192, 4 * 8193, p, none, PX_ERROR_NOT_ENOUGH_MEMORY},
      {"tall and narrow past the limit", 1, big, 4, p, none, PX_ERROR_NOT_ENOUGH_MEMORY},
      {"unknown process type", 4, 4, 16, p, {7, {}, 0}, PX_ERROR_NOT_AVAILABLE},
      {"resample to zero", 4, 4, 16, p, {PX_PROCESS_TYPE_RESAMPLE, {0, 3}, 0}, PX_ERROR_DIMENSIONS},
      {"unknown filter", 4, 4, 16, p, {PX_PROCESS_TYPE_RESAMPLE, {3, 3}, 6}, PX_ERROR_NOT_AVAILABLE},
      {"resample past the limit", 4, 4, 16, p, {PX_PROCESS_TYPE_RESAMPLE, {9000, 9000}, 0}, PX_ERROR_NOT_ENOUGH_MEMORY},
      {"a single pixel", 1, 1, 4, p, none, PX_OK},
      {"resampled to 1 x 1", 8, 8, 32, p, {PX_PROCESS_TYPE_RESAMPLE, {1, 1}, PX_RESAMPLER_LANCZOS3}, PX_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPXObject record{};
    record.OriginalDimensions = {-7, -7};
    record.User = &record;
    EXPECT_EQ(Pexora_CreateObjectFromPixels(&record, c.width, c.height, c.stride, c.pixels, c.parameters), c.code);
    EXPECT_EQ(record.User, &record);
    if (c.code == PX_OK) {
      EXPECT_EQ(record.OriginalDimensions.Width, c.width);
      EXPECT_EQ(Pexora_FreeObject(&record), PX_OK);
    } else {
      EXPECT_EQ(record.ImageObject, nullptr);
      EXPECT_EQ(record.OriginalDimensions.Width, -7);
    }
  }
  EXPECT_EQ(Pexora_CreateObjectFromPixels(nullptr, 4, 4, 16, p, none), PX_ERROR_OBJECT);
}

}  // namespace
}  // namespace pexora::test
