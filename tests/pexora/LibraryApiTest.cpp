// The exports of libpexora.so: objects, comparisons, results and progress.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

class LibraryApiTest : public ::testing::Test {
 protected:
  std::filesystem::path Save(const Image& picture, const std::string& name, FileFormat format = FileFormat::kPng) {
    const auto path = folder_.File(name);
    SavePicture(picture, path, format);
    return path;
  }
  TempFolder folder_;
};

TEST_F(LibraryApiTest, FindsACropAtItsPositionWithEveryCompareType) {
  const Image scene = RandomPicture(90, 70, 1);
  CreatedObject in(Save(scene, "scene.png"));
  CreatedObject of(Save(Crop(scene, 31, 17, 12, 9), "part.png"));
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(of.code, PX_OK);
  EXPECT_NE(in.record.ImageObject, of.record.ImageObject);
  EXPECT_EQ(in.record.OriginalDimensions.Width, 90);
  EXPECT_EQ(in.record.OriginalDimensions.Height, 70);
  EXPECT_EQ(of.record.ProcessedDimensions.Width, 12);
  EXPECT_EQ(of.record.ProcessedDimensions.Height, 9);
  for (int32_t type = PX_COMPARE_TYPE_EXACT; type <= PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA; ++type) {
    SCOPED_TRACE(type);
    TPXProcessParameters p = ArgbParameters(0, 3);
    p.CompareType = type;
    Comparison c(in.record, of.record, p);
    ASSERT_EQ(c.code, PX_OK);
    ASSERT_NE(c.result.Success, 0);
    ASSERT_EQ(c.result.MatchCount, 1);
    EXPECT_EQ(c[0].Position.X, 31);
    EXPECT_EQ(c[0].Position.Y, 17);
    EXPECT_EQ(c[0].Dimensions.Width, 12);
    EXPECT_EQ(c[0].Dimensions.Height, 9);
    EXPECT_EQ(c[0].Difference, 0);
    EXPECT_EQ(c[0].MatchPercentage, 100.0);
  }
}

TEST_F(LibraryApiTest, ReportsSeparateCopiesBestFirstAndOverlapsOnce) {
  Image scene = RandomPicture(120, 80, 2);
  const Image part = RandomPicture(10, 10, 3);
  Image spoiled = part;
  spoiled.pixels[0] ^= 0x00800000u;  // red off by 128 in one pixel: 99 %
  Paste(scene, spoiled, 5, 5);
  Paste(scene, part, 60, 40);
  Paste(scene, part, 100, 6);
  CreatedObject in(Save(scene, "scene.png"));
  CreatedObject of(Save(part, "part.png"));
  TPXProcessParameters p = ArgbParameters(10, 2);
  Comparison all(in.record, of.record, p);
  ASSERT_EQ(all.code, PX_OK);
  ASSERT_EQ(all.result.MatchCount, 3);
  // Two perfect copies, top-most first, then the 99 % one.
  EXPECT_EQ(all[0].Position.X, 100);
  EXPECT_EQ(all[0].Position.Y, 6);
  EXPECT_EQ(all[1].Position.X, 60);
  EXPECT_EQ(all[1].Position.Y, 40);
  EXPECT_EQ(all[2].Position.X, 5);
  EXPECT_EQ(all[2].Difference, 1);
  EXPECT_DOUBLE_EQ(all[2].MatchPercentage, 99.0);

  p.MultipleMatches = 0;
  Comparison best(in.record, of.record, p);
  ASSERT_EQ(best.result.MatchCount, 1);
  EXPECT_EQ(best[0].Position.X, 100);
}

TEST_F(LibraryApiTest, NoMatchLeavesAnEmptyResult) {
  CreatedObject in(Save(RandomPicture(40, 40, 4), "scene.png"));
  CreatedObject of(Save(RandomPicture(8, 8, 5), "part.png"));
  Comparison c(in.record, of.record, ArgbParameters(15, 5));
  EXPECT_EQ(c.code, PX_OK);
  EXPECT_EQ(c.result.Success, 0);
  EXPECT_EQ(c.result.MatchCount, 0);
  EXPECT_EQ(c.result.Matches, nullptr);
}

struct ProgressLog {
  std::thread::id caller;
  std::atomic<int> wrongThread{0};
  std::vector<double> values;
  std::vector<int32_t> types;
  std::vector<void*> users;
};

void PX_CALL RecordProgress(double progress, int32_t type, void* user) {
  auto* log = static_cast<ProgressLog*>(user);
  if (std::this_thread::get_id() != log->caller) ++log->wrongThread;
  log->values.push_back(progress);
  log->types.push_back(type);
  log->users.push_back(user);
}

TEST_F(LibraryApiTest, ProgressComesOnTheCallingThreadAndEndsAtExactly100) {
  const Image scene = NaturalPicture(300, 200, 6);
  CreatedObject in(Save(scene, "scene.png"));
  CreatedObject of(Save(Crop(scene, 100, 50, 24, 24), "part.png"));
  for (const bool stretch : {false, true}) {
    for (const int32_t threads : {0, -1}) {
      SCOPED_TRACE(testing::Message() << "stretch " << stretch << " threads " << threads);
      ProgressLog log;
      log.caller = std::this_thread::get_id();
      TPXObject searchIn = in.record;
      searchIn.User = &log;
      TPXProcessParameters p = ArgbParameters(15, 30);
      p.MultiThreadedProcessing = threads;
      p.StatusCallback = RecordProgress;
      if (stretch) {
        p.StretchCompare = 1;
        p.MinimalStretchSize = {20, 20};
        p.MaximalStretchSize = {30, 30};
        p.StretchResampler = PX_RESAMPLER_BILINEAR;
      }
      Comparison c(searchIn, of.record, p);
      ASSERT_EQ(c.code, PX_OK);
      ASSERT_GE(c.result.MatchCount, 1);
      EXPECT_EQ(log.wrongThread.load(), 0);
      ASSERT_GE(log.values.size(), 3u);
      EXPECT_EQ(log.values.front(), 0.0);
      EXPECT_EQ(log.values.back(), 100.0);
      for (size_t i = 1; i < log.values.size(); ++i) EXPECT_LE(log.values[i - 1], log.values[i]);
      EXPECT_EQ(std::count(log.values.begin(), log.values.end(), 100.0), 1);
      EXPECT_LE(log.values.size(), 102u);
      for (int32_t type : log.types) EXPECT_EQ(type, PX_STATUS_PROGRESS);
      for (void* user : log.users) EXPECT_EQ(user, &log);
    }
  }
}

TEST_F(LibraryApiTest, OneThreadAndAllThreadsGiveTheSameResult) {
  Image scene = NaturalPicture(260, 180, 7);
  const Image part = Crop(scene, 40, 30, 20, 16);
  Paste(scene, part, 200, 120);
  CreatedObject in(Save(scene, "scene.png"));
  CreatedObject of(Save(part, "part.png"));
  TPXProcessParameters p = AhslParameters(0.05, 120);
  Comparison one(in.record, of.record, p);
  p.MultiThreadedProcessing = -1;
  Comparison all(in.record, of.record, p);
  ASSERT_EQ(one.code, PX_OK);
  ASSERT_EQ(all.code, PX_OK);
  ASSERT_GE(one.result.MatchCount, 2);
  ASSERT_EQ(one.result.MatchCount, all.result.MatchCount);
  for (int i = 0; i < one.result.MatchCount; ++i) {
    EXPECT_EQ(0, std::memcmp(&one[i], &all[i], sizeof(TPXResultMatches))) << i;
  }
}

TEST_F(LibraryApiTest, ResamplesAtCreationWithEveryFilter) {
  const auto path = Save(NaturalPicture(64, 48, 8), "scene.png");
  for (int32_t filter = PX_RESAMPLER_BOX; filter <= PX_RESAMPLER_LANCZOS3; ++filter) {
    SCOPED_TRACE(filter);
    CreatedObject object(path, {PX_PROCESS_TYPE_RESAMPLE, {100, 30}, filter});
    ASSERT_EQ(object.code, PX_OK);
    EXPECT_EQ(object.record.OriginalDimensions.Width, 64);
    EXPECT_EQ(object.record.OriginalDimensions.Height, 48);
    EXPECT_EQ(object.record.ProcessedDimensions.Width, 100);
    EXPECT_EQ(object.record.ProcessedDimensions.Height, 30);
  }
}

TEST_F(LibraryApiTest, DecodesEveryFormatToTheSamePixels) {
  Image picture = PalettePicture(33, 21, 9, true);
  const auto png = Save(picture, "alpha.png");
  CreatedObject reference(png);
  ASSERT_EQ(reference.code, PX_OK);
  TPXProcessParameters exact{};
  exact.CompareType = PX_COMPARE_TYPE_EXACT;
  {
    CreatedObject tiff(Save(picture, "alpha.tif", FileFormat::kTiff));
    Comparison c(reference.record, tiff.record, exact);
    ASSERT_EQ(c.result.MatchCount, 1);
    EXPECT_EQ(c[0].Difference, 0);
  }
  // A file without alpha reads as opaque.
  for (uint32_t& p : picture.pixels) p |= 0xFF000000u;
  CreatedObject opaquePng(Save(picture, "opaque.png"));
  CreatedObject bmp24(Save(picture, "rgb.bmp", FileFormat::kBmp));
  ASSERT_EQ(bmp24.code, PX_OK);
  Comparison c(opaquePng.record, bmp24.record, exact);
  ASSERT_EQ(c.result.MatchCount, 1);
  EXPECT_EQ(c[0].Difference, 0);
}

TEST_F(LibraryApiTest, DecodesJpegWithTheAccurateTransform) {
  const auto jpeg = Save(NaturalPicture(120, 90, 10), "scene.jpg", FileFormat::kJpeg);
  const Image accurate = LoadPicture(jpeg, JPEG_ACCURATE);
  // The file must tell the two transforms apart, or this test proves nothing.
  ASSERT_NE(accurate.pixels, LoadPicture(jpeg, JPEG_DEFAULT).pixels);
  CreatedObject decoded(jpeg);
  CreatedObject expected(Save(accurate, "accurate.png"));
  ASSERT_EQ(decoded.code, PX_OK);
  TPXProcessParameters exact{};
  exact.CompareType = PX_COMPARE_TYPE_EXACT;
  Comparison c(decoded.record, expected.record, exact);
  ASSERT_EQ(c.result.MatchCount, 1);
  EXPECT_EQ(c[0].Difference, 0);
}

TEST_F(LibraryApiTest, ReadsNonAsciiFileNames) {
  CreatedObject object(Save(RandomPicture(5, 4, 10), "Bild \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80.png"));
  EXPECT_EQ(object.code, PX_OK);
  EXPECT_EQ(object.record.OriginalDimensions.Width, 5);
}

TEST_F(LibraryApiTest, FreeObjectReleasesOnceAndLeavesTheNameAlone) {
  CreatedObject object(Save(RandomPicture(5, 4, 11), "a.png"));
  ASSERT_EQ(object.code, PX_OK);
  TPXObject copy = object.record;
  const TPXChar* name = object.record.FileName;
  EXPECT_EQ(Pexora_FreeObject(&object.record), PX_OK);
  EXPECT_EQ(object.record.ImageObject, nullptr);
  EXPECT_EQ(object.record.FileName, name);
  EXPECT_EQ(object.name, ToUtf16(folder_.File("a.png").string()));
  EXPECT_EQ(Pexora_FreeObject(&object.record), PX_ERROR_OBJECT);
  EXPECT_EQ(Pexora_FreeObject(&copy), PX_ERROR_OBJECT);  // the stale handle
  TPXResult result{};
  EXPECT_EQ(Pexora_Compare(copy, copy, ArgbParameters(0, 0), &result, nullptr), PX_ERROR_OBJECT);
}

TEST_F(LibraryApiTest, FreeResultReleasesOnlyWhatTheLibraryHandedOut) {
  const Image scene = RandomPicture(30, 30, 12);
  CreatedObject in(Save(scene, "scene.png"));
  CreatedObject of(Save(Crop(scene, 3, 4, 5, 5), "part.png"));
  TPXResult result{};
  ASSERT_EQ(Pexora_Compare(in.record, of.record, ArgbParameters(0, 0), &result, nullptr), PX_OK);
  ASSERT_EQ(result.MatchCount, 1);
  TPXResult copy = result;
  EXPECT_EQ(Pexora_FreeResult(&result), -1);
  EXPECT_EQ(result.Success, 0);
  EXPECT_EQ(result.MatchCount, 0);
  EXPECT_EQ(result.Matches, nullptr);
  EXPECT_EQ(Pexora_FreeResult(&result), 0);
  EXPECT_EQ(Pexora_FreeResult(&copy), 0);  // already released
  TPXResultMatches own[2]{};
  TPXResult madeUp{-1, 2, own};
  EXPECT_EQ(Pexora_FreeResult(&madeUp), 0);
  EXPECT_EQ(Pexora_FreeResult(nullptr), 0);
}

TEST_F(LibraryApiTest, CreateFromBitmapHandleWithoutADisplayIsNotAvailable) {
  // Screen capture itself is tested against real X servers (tests/screen).
  const char* const display = std::getenv("DISPLAY");
  const bool hadDisplay = display != nullptr;
  const std::string saved = hadDisplay ? display : "";
  unsetenv("DISPLAY");
  TPXObject object{};
  EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(&object, {}), PX_ERROR_NOT_AVAILABLE);
  EXPECT_EQ(object.ImageObject, nullptr);
  EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(nullptr, {}), PX_ERROR_OBJECT);
  if (hadDisplay) setenv("DISPLAY", saved.c_str(), 1);
}

TEST_F(LibraryApiTest, ObjectsOnSeveralThreadsAtOnce) {
  const Image scene = NaturalPicture(120, 90, 13);
  const auto scenePath = Save(scene, "scene.png");
  const auto partPath = Save(Crop(scene, 50, 20, 16, 16), "part.png");
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 5; ++round) {
        CreatedObject in(scenePath), of(partPath);
        TPXProcessParameters p = ArgbParameters(5, 10);
        p.MultiThreadedProcessing = -1;
        Comparison c(in.record, of.record, p);
        if (c.code != PX_OK || c.result.MatchCount < 1 || c[0].Position.X != 50 || c[0].Position.Y != 20) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace pexora::test
