// Stopping a comparison through the options record: a time limit and the
// caller's interrupt callback, from another thread and from the status
// callback, in every long stage of a search, on one thread and on all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "LibraryFixture.h"
#include "LongSearches.h"
#include "RunningThreads.h"

namespace pexora::test {
namespace {

using std::chrono::milliseconds;

TPXSearchOptions StopOptions(std::atomic<int32_t>* flag, int32_t timeLimit = 0) {
  TPXSearchOptions o{};
  o.Size = sizeof o;
  o.TimeLimit = timeLimit;
  if (flag != nullptr) {
    o.InterruptCallback = ReturnFlag;
    o.InterruptUser = flag;
  }
  return o;
}

// A quick comparison of the objects, in a small region: they still work.
void ExpectUsable(const TPXObject& in, const TPXObject& of) {
  const Image small = RandomPicture(4, 4, 9);
  PixelObject part(small);
  TPXSearchOptions o{};
  o.Size = sizeof o;
  o.UseRegion = 1;
  for (const TPXObject* object : {&in, &of}) {
    o.Region = {0, 0, std::min(32, object->ProcessedDimensions.Width),
                std::min(32, object->ProcessedDimensions.Height)};
    Comparison c(*object, part.record, ArgbParameters(0, 100), &o);
    EXPECT_EQ(c.code, PX_OK);
  }
}

class LongSearchStopTest : public ::testing::TestWithParam<LongSearch> {};

// Every long search stops at a request from another thread and at its time
// limit, early and later in its run, returning well before it would end.
TEST_P(LongSearchStopTest, StopsSoonAfterTheRequestWithNothingLeft) {
  const LongSearch& search = GetParam();
  PixelObject in(search.in), of(search.of);
  ASSERT_EQ(in.code, PX_OK);
  ASSERT_EQ(of.code, PX_OK);
  const size_t threadsBefore = RunningThreads();
  for (const int32_t threads : {0, -1}) {
    for (const bool timeLimit : {false, true}) {
      for (const int after : {3, 60}) {
        SCOPED_TRACE(testing::Message() << "threads " << threads << (timeLimit ? " time limit " : " interrupt ")
                                        << after << " ms");
        TPXProcessParameters p = search.parameters;
        p.MultiThreadedProcessing = threads;
        const StoppedSearch s = StopAfter(in.record, of.record, p, milliseconds(after), timeLimit);
        EXPECT_EQ(s.code, timeLimit ? PX_ERROR_TIME_LIMIT : PX_ERROR_STOPPED);
        EXPECT_EQ(s.result.Success, 0);
        EXPECT_EQ(s.result.MatchCount, 0);
        EXPECT_EQ(s.result.Matches, nullptr);
        // The bound is 50 ms; a loaded machine may hold a thread up a while.
        EXPECT_LT(s.delayMs, 2000.0);
        EXPECT_EQ(RunningThreads(), threadsBefore);
      }
    }
  }
  ExpectUsable(in.record, of.record);
}

INSTANTIATE_TEST_SUITE_P(Stages, LongSearchStopTest, testing::ValuesIn(LongSearches()),
                         [](const testing::TestParamInfo<LongSearch>& info) {
                           std::string name;
                           for (const char c : info.param.name) name += std::isalnum(c) != 0 ? c : '_';
                           return name;
                         });

// What the status and interrupt callbacks saw.
struct CallbackLog {
  std::atomic<int32_t> stop{0};
  int reports = 0;
  double last = -1;
  bool reportedAfterStop = false;
  bool saidStop = false;
};

void PX_CALL StopAtFirstPercent(double progress, int32_t, void* user) {
  auto* log = static_cast<CallbackLog*>(user);
  if (log->saidStop) log->reportedAfterStop = true;
  ++log->reports;
  log->last = progress;
  if (progress >= 1) log->stop = 1;
}

int32_t PX_CALL SayWhatTheStatusCallbackAsked(void* user) {
  auto* log = static_cast<CallbackLog*>(user);
  if (log->stop.load() != 0) log->saidStop = true;
  return log->stop.load();
}

TEST(StopTest, TheStatusCallbackStopsTheComparisonThroughTheInterruptCallback) {
  const LongSearch search = LongSearches().front();
  PixelObject in(search.in), of(search.of);
  for (const int32_t threads : {0, -1}) {
    SCOPED_TRACE(threads);
    CallbackLog log;
    TPXObject searchIn = in.record;
    searchIn.User = &log;
    TPXProcessParameters p = search.parameters;
    p.MultiThreadedProcessing = threads;
    p.StatusCallback = StopAtFirstPercent;
    TPXSearchOptions o = StopOptions(nullptr);
    o.InterruptCallback = SayWhatTheStatusCallbackAsked;
    o.InterruptUser = &log;
    TPXResult result{};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Pexora_Compare(searchIn, of.record, p, &result, &o), PX_ERROR_STOPPED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(log.saidStop);
    EXPECT_FALSE(log.reportedAfterStop);
    EXPECT_GE(log.last, 1);
    EXPECT_LT(log.last, 100);
    EXPECT_EQ(result.Matches, nullptr);
  }
}

TEST(StopTest, AOneMillisecondLimitEndsALongSearchAndMayEndAShortOne) {
  const LongSearch search = LongSearches().front();
  PixelObject in(search.in), of(search.of);
  const Image scene = RandomPicture(40, 30, 7);
  PixelObject small(scene), part(Crop(scene, 5, 6, 8, 8));
  for (const int32_t threads : {0, -1}) {
    SCOPED_TRACE(threads);
    TPXProcessParameters p = search.parameters;
    p.MultiThreadedProcessing = threads;
    const TPXSearchOptions o = StopOptions(nullptr, 1);
    Comparison longOne(in.record, of.record, p, &o);
    EXPECT_EQ(longOne.code, PX_ERROR_TIME_LIMIT);
    EXPECT_EQ(longOne.result.Matches, nullptr);
    TPXProcessParameters quick = ArgbParameters(0, 0);
    quick.MultiThreadedProcessing = threads;
    Comparison shortOne(small.record, part.record, quick, &o);
    if (shortOne.code == PX_OK) {
      ASSERT_EQ(shortOne.result.MatchCount, 1);
      EXPECT_EQ(shortOne[0].Position.X, 5);
    } else {
      EXPECT_EQ(shortOne.code, PX_ERROR_TIME_LIMIT);
      EXPECT_EQ(shortOne.result.Matches, nullptr);
    }
  }
}

// A stop that comes as the comparison ends either loses (the full result)
// or wins (no result); nothing in between, nothing leaked.
TEST(StopTest, ARequestRacingTheEndGivesTheWholeResultOrNone) {
  Image scene = NaturalPicture(300, 200, 17);
  const Image part = Crop(scene, 120, 80, 12, 12);
  PixelObject in(scene), of(part);
  TPXProcessParameters p = ArgbParameters(4, 6);
  const Comparison unstopped(in.record, of.record, p);
  ASSERT_EQ(unstopped.code, PX_OK);
  ASSERT_GE(unstopped.result.MatchCount, 1);
  const auto started = std::chrono::steady_clock::now();
  const Comparison timed(in.record, of.record, p);
  const auto naturalUs =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();
  std::mt19937 random(5);
  int stopped = 0, finished = 0;
  for (int i = 0; i < 150; ++i) {
    p.MultiThreadedProcessing = i % 2 == 0 ? 0 : -1;
    std::atomic<int32_t> flag{0};
    const TPXSearchOptions o = i % 3 == 0 ? StopOptions(nullptr, 1 + int32_t(random() % 3)) : StopOptions(&flag);
    const auto wait = std::chrono::microseconds(random() % (2 * naturalUs + 1));
    std::thread stopper([&] {
      std::this_thread::sleep_for(wait);
      flag = 1;
    });
    Comparison c(in.record, of.record, p, &o);
    stopper.join();
    if (c.code == PX_OK) {
      ++finished;
      ASSERT_EQ(c.result.MatchCount, unstopped.result.MatchCount);
      for (int m = 0; m < c.result.MatchCount; ++m) {
        EXPECT_EQ(std::memcmp(&c[m], &unstopped[m], sizeof(TPXResultMatches)), 0);
      }
    } else {
      ++stopped;
      EXPECT_TRUE(c.code == PX_ERROR_STOPPED || c.code == PX_ERROR_TIME_LIMIT) << c.code;
      EXPECT_EQ(c.result.Success, 0);
      EXPECT_EQ(c.result.Matches, nullptr);
    }
  }
  RecordProperty("stopped", stopped);
  RecordProperty("finished", finished);
}

TEST(StopTest, TheRecordOfOneZeroKeepsItsMeaningAndTheStopFieldsAreChecked) {
  const Image scene = RandomPicture(40, 30, 7);
  PixelObject in(scene), of(Crop(scene, 5, 6, 8, 8));
  const TPXProcessParameters p = ArgbParameters(0, 0);
  // 1.0's record: its padding where the limit now lies is not read.
  unsigned char old[PX_SEARCH_OPTIONS_SIZE_1_0];
  std::memset(old, 0xFF, sizeof old);
  TPXSearchOptions zero{};
  std::memcpy(old, &zero, offsetof(TPXSearchOptions, TimeLimit));
  const uint32_t oldSize = PX_SEARCH_OPTIONS_SIZE_1_0;
  std::memcpy(old, &oldSize, sizeof oldSize);
  Comparison withOld(in.record, of.record, p, reinterpret_cast<const TPXSearchOptions*>(old));
  EXPECT_EQ(withOld.code, PX_OK);
  EXPECT_EQ(withOld.result.MatchCount, 1);

  TPXSearchOptions negative = StopOptions(nullptr, -1);
  EXPECT_EQ(Comparison(in.record, of.record, p, &negative).code, PX_ERROR_INVALID_PARAMETER);
  for (const uint32_t size : {uint32_t{PX_SEARCH_OPTIONS_SIZE_1_0 + 8}, uint32_t{sizeof(TPXSearchOptions) + 8}}) {
    TPXSearchOptions o = StopOptions(nullptr);
    o.Size = size;
    EXPECT_EQ(Comparison(in.record, of.record, p, &o).code, PX_ERROR_INVALID_PARAMETER) << size;
  }
  // An interrupt that never says stop changes nothing.
  std::atomic<int32_t> never{0};
  const TPXSearchOptions quiet = StopOptions(&never, 60000);
  Comparison c(in.record, of.record, p, &quiet);
  EXPECT_EQ(c.code, PX_OK);
  EXPECT_EQ(c.result.MatchCount, 1);
}

TEST(StopTest, AStopBeforeTheFirstCheckStillReportsOnlyTheStartAndNoResult) {
  const LongSearch search = LongSearches().front();
  PixelObject in(search.in), of(search.of);
  std::atomic<int32_t> flag{1};
  CallbackLog log;
  TPXObject searchIn = in.record;
  searchIn.User = &log;
  TPXProcessParameters p = search.parameters;
  p.StatusCallback = [](double progress, int32_t, void* user) {
    auto* l = static_cast<CallbackLog*>(user);
    ++l->reports;
    l->last = progress;
  };
  const TPXSearchOptions o = StopOptions(&flag);
  Comparison c(searchIn, of.record, p, &o);
  EXPECT_EQ(c.code, PX_ERROR_STOPPED);
  EXPECT_GE(log.reports, 1);
  EXPECT_LT(log.last, 100);
}

}  // namespace
}  // namespace pexora::test
