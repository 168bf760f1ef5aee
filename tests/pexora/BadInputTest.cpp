// Every kind of bad input the exports can be handed, and the code each gives.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scene_ = RandomPicture(40, 30, 21);
    SavePicture(scene_, folder_.File("scene.png"), FileFormat::kPng);
    SavePicture(Crop(scene_, 2, 3, 10, 8), folder_.File("part.png"), FileFormat::kPng);
    std::ofstream(folder_.File("empty.png"), std::ios::binary);
    std::ofstream(folder_.File("noise.png"), std::ios::binary) << std::string(300, '\x5a');
    // A PNG cut off after its header.
    std::ifstream whole(folder_.File("scene.png"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), {});
    std::ofstream(folder_.File("truncated.png"), std::ios::binary) << bytes.substr(0, 60);
    std::filesystem::create_directory(folder_.File("folder.png"));
  }

  std::u16string Name(const std::string& file) const { return ToUtf16(folder_.File(file).string()); }

  TempFolder folder_;
  Image scene_;
};

TEST_F(BadInputTest, CreateObjectCodes) {
  const TPXCreateObjectParameters none{};
  const auto resample = [](int32_t w, int32_t h, int32_t filter) {
    return TPXCreateObjectParameters{PX_PROCESS_TYPE_RESAMPLE, {w, h}, filter};
  };
  const std::u16string scene = Name("scene.png");
  const std::u16string loneHigh = Name("a") + u'\xD800' + u".png";
  const std::u16string loneLow = Name("a") + u'\xDC00' + u".png";
  const std::u16string nothing;
  const std::u16string folder = Name("folder.png"), empty = Name("empty.png"), noise = Name("noise.png"),
                       truncated = Name("truncated.png");
  struct Case {
    const char* what;
    const char16_t* name;
    TPXCreateObjectParameters parameters;
    int32_t code;
  } cases[] = {
      {"null file name", nullptr, none, PX_ERROR_LOADING},
      {"empty file name", nothing.c_str(), none, PX_ERROR_LOADING},
      {"missing file", u"/nonexistent/picture.png", none, PX_ERROR_LOADING},
      {"a folder", folder.c_str(), none, PX_ERROR_LOADING},
      {"empty file", empty.c_str(), none, PX_ERROR_LOADING},
      {"not a picture", noise.c_str(), none, PX_ERROR_LOADING},
      {"truncated picture", truncated.c_str(), none, PX_ERROR_LOADING},
      {"unpaired high surrogate", loneHigh.c_str(), none, PX_ERROR_LOADING},
      {"unpaired low surrogate", loneLow.c_str(), none, PX_ERROR_LOADING},
      {"unknown process type", scene.c_str(), {2, {}, 0}, PX_ERROR_NOT_AVAILABLE},
      {"negative process type", scene.c_str(), {-1, {}, 0}, PX_ERROR_NOT_AVAILABLE},
      {"resample to zero width", scene.c_str(), resample(0, 10, 0), PX_ERROR_DIMENSIONS},
      {"resample to zero height", scene.c_str(), resample(10, 0, 0), PX_ERROR_DIMENSIONS},
      {"resample to negative size", scene.c_str(), resample(-5, -5, 0), PX_ERROR_DIMENSIONS},
      {"unknown filter", scene.c_str(), resample(10, 10, 6), PX_ERROR_NOT_AVAILABLE},
      {"negative filter", scene.c_str(), resample(10, 10, -1), PX_ERROR_NOT_AVAILABLE},
      {"huge resample", scene.c_str(), resample(100000, 100000, 0), PX_ERROR_NOT_ENOUGH_MEMORY},
      // Within the picture size limit, but FreeImage's weight tables alone
      // would take gigabytes.
      {"resample to 67108864 x 1 with Lanczos", scene.c_str(), resample(67108864, 1, PX_RESAMPLER_LANCZOS3),
       PX_ERROR_NOT_ENOUGH_MEMORY},
      {"resample to 1 x 67108864 with Lanczos", scene.c_str(), resample(1, 67108864, PX_RESAMPLER_LANCZOS3),
       PX_ERROR_NOT_ENOUGH_MEMORY},
      {"resampled to 1 x 1", scene.c_str(), resample(1, 1, PX_RESAMPLER_LANCZOS3), PX_OK},
      {"the picture as it is", scene.c_str(), none, PX_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPXObject object{};
    object.FileName = c.name;
    object.User = &object;
    EXPECT_EQ(Pexora_CreateObject(&object, c.parameters), c.code);
    EXPECT_EQ(object.FileName, c.name);
    EXPECT_EQ(object.User, &object);
    if (c.code == PX_OK) {
      EXPECT_NE(object.ImageObject, nullptr);
      EXPECT_EQ(Pexora_FreeObject(&object), PX_OK);
    } else {
      EXPECT_EQ(object.ImageObject, nullptr);
    }
  }
  EXPECT_EQ(Pexora_CreateObject(nullptr, none), PX_ERROR_OBJECT);
}

TEST_F(BadInputTest, PicturesAboveTheSizeLimitAreRefused) {
  // 8193 x 8192 is one column past the limit of 8192 x 8192 pixels, whether
  // decoded (refused from the file's header) or resampled to.
  SavePicture(RandomPicture(3, 3, 22), folder_.File("small.png"), FileFormat::kPng);
  SaveBlankMonochromePng(folder_.File("huge.png"), 8193, 8192);
  CreatedObject huge(folder_.File("huge.png"));
  EXPECT_EQ(huge.code, PX_ERROR_NOT_ENOUGH_MEMORY);
  CreatedObject enlarged(folder_.File("small.png"), {PX_PROCESS_TYPE_RESAMPLE, {8193, 8192}, PX_RESAMPLER_BOX});
  EXPECT_EQ(enlarged.code, PX_ERROR_NOT_ENOUGH_MEMORY);
}

TEST_F(BadInputTest, FreeObjectCodes) {
  TPXObject zero{};
  EXPECT_EQ(Pexora_FreeObject(&zero), PX_ERROR_OBJECT);
  EXPECT_EQ(Pexora_FreeObject(nullptr), PX_ERROR_OBJECT);
  int dummy = 0;
  TPXObject madeUp{};
  madeUp.ImageObject = &dummy;
  EXPECT_EQ(Pexora_FreeObject(&madeUp), PX_ERROR_OBJECT);
  madeUp.ImageObject = reinterpret_cast<void*>(uintptr_t{0xDEADBEEF});
  EXPECT_EQ(Pexora_FreeObject(&madeUp), PX_ERROR_OBJECT);
  // A record whose creation failed still holds nothing to free.
  const std::u16string missing = u"/nonexistent.png";
  TPXObject named{};
  named.FileName = missing.c_str();
  EXPECT_EQ(Pexora_CreateObject(&named, {}), PX_ERROR_LOADING);
  EXPECT_EQ(Pexora_FreeObject(&named), PX_ERROR_OBJECT);
}

TEST_F(BadInputTest, CompareCodes) {
  CreatedObject in(folder_.File("scene.png"));
  CreatedObject of(folder_.File("part.png"));
  CreatedObject freed(folder_.File("part.png"));
  ASSERT_EQ(Pexora_FreeObject(&freed.record), PX_OK);
  TPXObject stale = in.record;
  {
    CreatedObject gone(folder_.File("scene.png"));
    stale = gone.record;
  }
  TPXObject zero{};
  int dummy = 0;
  TPXObject madeUp{};
  madeUp.ImageObject = &dummy;

  const TPXProcessParameters plain = ArgbParameters(0, 0);
  TPXProcessParameters unknownType = plain;
  unknownType.CompareType = 5;
  TPXProcessParameters negativeType = plain;
  negativeType.CompareType = -1;
  TPXProcessParameters unknownFilter = plain;
  unknownFilter.StretchCompare = 1;
  unknownFilter.MinimalStretchSize = {5, 5};
  unknownFilter.MaximalStretchSize = {20, 20};
  unknownFilter.StretchResampler = 6;
  TPXProcessParameters noFit = unknownFilter;
  noFit.StretchResampler = PX_RESAMPLER_BILINEAR;
  noFit.MinimalStretchSize = {50, 50};
  noFit.MaximalStretchSize = {80, 80};
  TPXProcessParameters minAboveMax = noFit;
  minAboveMax.MinimalStretchSize = {20, 20};
  minAboveMax.MaximalStretchSize = {10, 10};
  TPXProcessParameters zeroStretch = noFit;
  zeroStretch.MinimalStretchSize = {0, 0};
  zeroStretch.MaximalStretchSize = {0, 0};
  TPXProcessParameters zeroMaximalWidth = noFit;
  zeroMaximalWidth.MinimalStretchSize = {1, 1};
  zeroMaximalWidth.MaximalStretchSize = {0, 30};
  TPXProcessParameters negativeMinimal = noFit;
  negativeMinimal.MinimalStretchSize = {-7, -7};
  negativeMinimal.MaximalStretchSize = {10, 10};
  TPXProcessParameters filterUnusedWithoutStretch = plain;
  filterUnusedWithoutStretch.StretchResampler = 99;

  struct Case {
    const char* what;
    TPXObject in, of;
    TPXProcessParameters parameters;
    int32_t code;
    bool success;
  } cases[] = {
      {"both records zero", zero, zero, plain, PX_ERROR_OBJECT, false},
      {"search-in zero", zero, of.record, plain, PX_ERROR_OBJECT, false},
      {"search-for zero", in.record, zero, plain, PX_ERROR_OBJECT, false},
      {"freed object", in.record, freed.record, plain, PX_ERROR_OBJECT, false},
      {"stale handle", stale, of.record, plain, PX_ERROR_OBJECT, false},
      {"made-up handle", in.record, madeUp, plain, PX_ERROR_OBJECT, false},
      {"unknown compare type", in.record, of.record, unknownType, PX_ERROR_NOT_AVAILABLE, false},
      {"negative compare type", in.record, of.record, negativeType, PX_ERROR_NOT_AVAILABLE, false},
      {"unknown stretch filter", in.record, of.record, unknownFilter, PX_ERROR_NOT_AVAILABLE, false},
      {"search-for larger than search-in", of.record, in.record, plain, PX_ERROR_DIMENSIONS, false},
      {"no stretch size fits", in.record, of.record, noFit, PX_ERROR_DIMENSIONS, false},
      {"minimal above maximal stretch", in.record, of.record, minAboveMax, PX_ERROR_DIMENSIONS, false},
      {"zero stretch sizes", in.record, of.record, zeroStretch, PX_ERROR_DIMENSIONS, false},
      {"maximal stretch width 0", in.record, of.record, zeroMaximalWidth, PX_ERROR_DIMENSIONS, false},
      {"negative minimal stretch sides count as 1", in.record, of.record, negativeMinimal, PX_OK, true},
      {"stretch filter ignored without stretch", in.record, of.record, filterUnusedWithoutStretch, PX_OK, true},
      {"the same picture", in.record, in.record, plain, PX_OK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPXResult result{-1, 7, reinterpret_cast<PPXResultMatches>(&dummy)};
    EXPECT_EQ(Pexora_Compare(c.in, c.of, c.parameters, &result, nullptr), c.code);
    EXPECT_EQ(result.Success != 0, c.success);
    if (c.success) {
      EXPECT_GE(result.MatchCount, 1);
      EXPECT_EQ(Pexora_FreeResult(&result), -1);
    } else {
      EXPECT_EQ(result.MatchCount, 0);
      EXPECT_EQ(result.Matches, nullptr);
    }
  }
  EXPECT_EQ(Pexora_Compare(in.record, of.record, plain, nullptr, nullptr), PX_ERROR_UNKNOWN);
}

// With several arguments wrong at once, the code is that of the first in the
// order the contract gives: objects, compare type, stretch filter, options,
// result, then what the sizes tell.
TEST_F(BadInputTest, CompareCodesComeInTheContractsOrder) {
  CreatedObject in(folder_.File("scene.png"));
  CreatedObject of(folder_.File("part.png"));
  const TPXObject zero{};
  const TPXProcessParameters plain = ArgbParameters(0, 0);
  TPXProcessParameters unknownType = plain;
  unknownType.CompareType = 5;
  TPXProcessParameters unknownFilter = plain;
  unknownFilter.StretchCompare = 1;
  unknownFilter.MinimalStretchSize = {50, 50};
  unknownFilter.MaximalStretchSize = {80, 80};
  unknownFilter.StretchResampler = 6;
  TPXProcessParameters unknownTypeAndFilter = unknownFilter;
  unknownTypeAndFilter.CompareType = 5;
  TPXProcessParameters noFit = unknownFilter;
  noFit.StretchResampler = PX_RESAMPLER_BILINEAR;
  TPXSearchOptions badSize{};
  badSize.Size = 3;
  TPXSearchOptions outsideRegion{};
  outsideRegion.Size = sizeof outsideRegion;
  outsideRegion.UseRegion = 1;
  outsideRegion.Region = {0, 0, 10000, 10};
  TPXSearchOptions badPercentage{};
  badPercentage.Size = sizeof badPercentage;
  badPercentage.MinimalMatchPercentage = 101;
  TPXResult result{};
  struct Case {
    const char* what;
    TPXObject in;
    TPXProcessParameters parameters;
    const TPXSearchOptions* options;
    TPXResult* result;
    int32_t code;
  } cases[] = {
      {"no object, unknown type, bad options, no result", zero, unknownType, &badSize, nullptr, PX_ERROR_OBJECT},
      {"unknown type and filter, bad options", in.record, unknownTypeAndFilter, &badSize, nullptr,
       PX_ERROR_NOT_AVAILABLE},
      {"unknown filter, bad options", in.record, unknownFilter, &badPercentage, &result, PX_ERROR_NOT_AVAILABLE},
      {"unknown options size, no result", in.record, noFit, &badSize, nullptr, PX_ERROR_INVALID_PARAMETER},
      {"region outside, no result", in.record, noFit, &outsideRegion, nullptr, PX_ERROR_INVALID_PARAMETER},
      {"no result, no size fits", in.record, noFit, nullptr, nullptr, PX_ERROR_UNKNOWN},
      {"no size fits", in.record, noFit, nullptr, &result, PX_ERROR_DIMENSIONS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Pexora_Compare(c.in, of.record, c.parameters, c.result, const_cast<TPXSearchOptions*>(c.options)),
              c.code);
  }
}

TEST_F(BadInputTest, OddToleranceValuesAreHandled) {
  CreatedObject in(folder_.File("scene.png"));
  CreatedObject of(folder_.File("part.png"));
  // A negative difference tolerance matches nothing; NaN and out-of-range
  // AHSL tolerances are clamped to 0..1.
  Comparison negative(in.record, of.record, ArgbParameters(255, -1));
  EXPECT_EQ(negative.code, PX_OK);
  EXPECT_EQ(negative.result.Success, 0);
  // The search-for picture half transparent for the alpha types: over the
  // background of its own colour it is the scene's crop.
  Image halfTransparent = Crop(scene_, 2, 3, 10, 8);
  for (uint32_t& p : halfTransparent.pixels) p = (p & 0x00FFFFFFu) | 0x80000000u;
  SavePicture(halfTransparent, folder_.File("half.png"), FileFormat::kPng);
  CreatedObject half(folder_.File("half.png"));
  const double infinity = std::numeric_limits<double>::infinity();
  for (const double tolerance : {std::nan(""), -3.0, 7.0, 1e300, infinity, -infinity}) {
    for (const int32_t type : {PX_COMPARE_TYPE_RELATIVE_AHSL, PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA}) {
      SCOPED_TRACE(testing::Message() << tolerance << " type " << type);
      TPXProcessParameters p = AhslParameters(tolerance, 0);
      p.CompareType = type;
      Comparison c(in.record, type == PX_COMPARE_TYPE_RELATIVE_AHSL ? of.record : half.record, p);
      EXPECT_EQ(c.code, PX_OK);
      ASSERT_GE(c.result.MatchCount, 1);
      EXPECT_EQ(c[0].Difference, 0);
      EXPECT_EQ(c[0].Position.X, 2);
      EXPECT_EQ(c[0].Position.Y, 3);
    }
  }
  // The widest ARGB tolerances accept everything everywhere, the true place first.
  TPXProcessParameters widest = ArgbParameters(255, 0);
  widest.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  Comparison c(in.record, half.record, widest);
  ASSERT_EQ(c.code, PX_OK);
  ASSERT_GE(c.result.MatchCount, 1);
  EXPECT_EQ(c[0].Position.X, 2);
  EXPECT_EQ(c[0].Position.Y, 3);
}

}  // namespace
}  // namespace pexora::test
