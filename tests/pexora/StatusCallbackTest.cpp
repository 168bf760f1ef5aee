// Status callbacks that throw or call back into the library, through the
// exports with one thread and with all.
#include <gtest/gtest.h>

#include <stdexcept>

#include "LibraryFixture.h"
#include "RunningThreads.h"

namespace pexora::test {
namespace {

class StatusCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Long enough (tens of milliseconds) for reports while the threads scan.
    const Image scene = NaturalPicture(1000, 700, 51);
    SavePicture(scene, folder_.File("scene.png"), FileFormat::kPng);
    SavePicture(Crop(scene, 70, 90, 16, 16), folder_.File("part.png"), FileFormat::kPng);
  }
  TempFolder folder_;
};

void PX_CALL ThrowAtTheThirdReport(double, int32_t, void* user) {
  if (++*static_cast<int*>(user) == 3) throw std::runtime_error("callback");
}

TEST_F(StatusCallbackTest, AThrowingCallbackGivesACodeAndLeavesNoThreadRunning) {
  CreatedObject in(folder_.File("scene.png")), of(folder_.File("part.png"));
  const size_t before = RunningThreads();
  for (const int32_t threads : {0, -1}) {
    SCOPED_TRACE(threads);
    int reports = 0;
    TPXObject searchIn = in.record;
    searchIn.User = &reports;
    TPXProcessParameters p = ArgbParameters(10, 20);
    p.MultiThreadedProcessing = threads;
    p.StatusCallback = ThrowAtTheThirdReport;
    TPXResult result{};
    EXPECT_EQ(Pexora_Compare(searchIn, of.record, p, &result, nullptr), PX_ERROR_UNKNOWN);
    EXPECT_EQ(reports, 3);
    EXPECT_EQ(result.Success, 0);
    EXPECT_EQ(result.Matches, nullptr);
    EXPECT_EQ(RunningThreads(), before);
  }
}

struct Reentry {
  TPXObject in{}, of{};
  int32_t innerCode = -1;
  int32_t innerMatches = -1;
  int32_t freeCodes[2] = {-1, -1};
  bool done = false;
};

// On its first report: runs a whole comparison of the same objects, then
// frees both objects while the outer comparison still uses them.
void PX_CALL CompareAndFreeFromInside(double, int32_t, void* user) {
  auto* r = static_cast<Reentry*>(user);
  if (r->done) return;
  r->done = true;
  TPXProcessParameters p = ArgbParameters(10, 20);
  p.MultiThreadedProcessing = -1;
  TPXResult result{};
  r->innerCode = Pexora_Compare(r->in, r->of, p, &result, nullptr);
  r->innerMatches = result.MatchCount;
  Pexora_FreeResult(&result);
  r->freeCodes[0] = Pexora_FreeObject(&r->in);
  r->freeCodes[1] = Pexora_FreeObject(&r->of);
}

TEST_F(StatusCallbackTest, ACallbackMayCompareAndFreeTheObjectsInUse) {
  for (const int32_t threads : {0, -1}) {
    SCOPED_TRACE(threads);
    CreatedObject in(folder_.File("scene.png")), of(folder_.File("part.png"));
    Reentry reentry;
    reentry.in = in.record;
    reentry.of = of.record;
    TPXObject searchIn = in.record;
    searchIn.User = &reentry;
    TPXProcessParameters p = ArgbParameters(10, 20);
    p.MultiThreadedProcessing = threads;
    p.StatusCallback = CompareAndFreeFromInside;
    Comparison outer(searchIn, of.record, p);
    EXPECT_EQ(reentry.innerCode, PX_OK);
    EXPECT_GE(reentry.innerMatches, 1);
    EXPECT_EQ(reentry.freeCodes[0], PX_OK);
    EXPECT_EQ(reentry.freeCodes[1], PX_OK);
    ASSERT_EQ(outer.code, PX_OK);
    ASSERT_GE(outer.result.MatchCount, 1);
    EXPECT_EQ(outer[0].Position.X, 70);
    EXPECT_EQ(outer[0].Position.Y, 90);
    // The objects are gone now.
    TPXResult after{};
    EXPECT_EQ(Pexora_Compare(in.record, of.record, p, &after, nullptr), PX_ERROR_OBJECT);
    in.record.ImageObject = of.record.ImageObject = nullptr;
  }
}

}  // namespace
}  // namespace pexora::test
