// The stop token, and each long stage of a search ended by it: the stage
// throws the token's code soon after the request instead of running on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "TestPictures.h"
#include "core/SharedLoop.h"
#include "core/StatusError.h"
#include "core/StopToken.h"
#include "engine/SearchEngine.h"
#include "image/ChannelPlanes.h"
#include "merge/BestCandidates.h"
#include "merge/CoveredArea.h"
#include "merge/KeepBestFirst.h"
#include "merge/MatchSelection.h"
#include "merge/PlaneSums.h"
#include "scan/SearchTemplate.h"

namespace pexora::test {
namespace {

using Clock = StopToken::Clock;
using std::chrono::milliseconds;

constexpr int32_t kTimeCode = 91, kStoppedCode = 92;

Image Flat(int32_t width, int32_t height) {
  return Image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0xFF336699u)};
}

// Runs `stage` with a token that passes its deadline after `after`; expects
// the time code, thrown within two seconds of the deadline (a loaded machine
// holds threads up; the stages take several times longer without it).
template <typename Stage>
void ExpectEndsAtTheDeadline(const Stage& stage, milliseconds after = milliseconds(10)) {
  const Clock::time_point deadline = Clock::now() + after;
  const StopToken token(deadline, kTimeCode, {}, kStoppedCode);
  try {
    stage(token);
    ADD_FAILURE() << "the stage ran to its end";
  } catch (const StatusError& error) {
    EXPECT_EQ(error.code(), kTimeCode);
  }
  EXPECT_LT(Clock::now() - deadline, std::chrono::seconds(2));
}

TEST(StopToken, TheFirstRequestWinsAndEveryCheckThrowsIt) {
  const StopToken token;
  EXPECT_NO_THROW(token.Check());
  token.Request(kStoppedCode);
  token.Request(kTimeCode);
  EXPECT_EQ(token.Code(), kStoppedCode);
  for (int i = 0; i < 2; ++i) {
    try {
      token.Check();
      ADD_FAILURE() << "no throw";
    } catch (const StatusError& error) {
      EXPECT_EQ(error.code(), kStoppedCode);
    }
  }
  EXPECT_NO_THROW(StopToken::Never().Check());
}

TEST(StopToken, TheInterruptIsAskedOnTheCallingThreadOnlyAndAtMostEveryPollInterval) {
  std::atomic<int> asked{0};
  std::atomic<bool> stop{false};
  const StopToken token(
      Clock::time_point::max(), kTimeCode, [&] { return ++asked, stop.load(); }, kStoppedCode);
  std::thread other([&] {
    for (int i = 0; i < 100000; ++i) token.Check();
  });
  other.join();
  EXPECT_EQ(asked.load(), 0);
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < milliseconds(50)) token.Check();
  // 50 ms at most every 5 ms: 11 at most, and some.
  EXPECT_GE(asked.load(), 2);
  EXPECT_LE(asked.load(), 11);
  stop = true;
  std::this_thread::sleep_for(StopToken::kPollInterval);
  EXPECT_THROW(token.Check(), StatusError);
  EXPECT_EQ(token.Code(), kStoppedCode);
  // Other threads see the request without asking.
  std::thread([&] { EXPECT_THROW(token.Check(), StatusError); }).join();
}

TEST(StopAtStage, ChannelPlanes) {
  const Image picture = Flat(4096, 4096);
  for (const ColorModel model : {ColorModel::kArgb, ColorModel::kAhsl}) {
    ExpectEndsAtTheDeadline([&](const StopToken& t) { MakeChannelPlanes(picture, model, t); }, milliseconds(5));
  }
}

TEST(StopAtStage, BoxSums) {
  const ChannelPlanes planes = MakeChannelPlanes(Flat(4096, 4096), ColorModel::kArgb);
  ExpectEndsAtTheDeadline([&](const StopToken& t) { PlaneSums(planes, ColorModel::kArgb, 0, t); }, milliseconds(5));
}

TEST(StopAtStage, TemplatePreparation) {
  const Image picture = RandomPicture(2048, 2048, 4);
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_AHSL;
  CompareSettings settings = MakeCompareSettings(p);
  ExpectEndsAtTheDeadline([&](const StopToken& t) {
    settings.stop = &t;
    MakeSearchTemplate(picture, settings, 4096);
  });
}

std::vector<Match> ManyCandidates(size_t count) {
  std::vector<Match> candidates;
  std::mt19937 random(3);
  for (size_t i = 0; i < count; ++i) {
    const int64_t difference = random() % 50;
    candidates.push_back({int32_t(random() % 3000), int32_t(random() % 3000), 8, 8, difference, 64, 0});
  }
  return candidates;
}

// Sums that cost a little each, as real ones do.
class SlowSums : public SumSource {
 public:
  int Levels(const Match&) override { return 2; }
  uint64_t SumAt(const Match& m, int level) override {
    uint64_t sum = uint64_t(m.x) * 31 + uint64_t(m.y);
    for (int i = 0; i < 200; ++i) sum = sum * 6364136223846793005u + 1442695040888963407u;
    return (sum >> 40) + uint64_t(level);
  }
};

TEST(StopAtStage, MergeAndItsSorts) {
  const std::vector<Match> candidates = ManyCandidates(3'000'000);
  SlowSums sums;
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    const ParallelFor parallel = [threads](size_t count, const std::function<void(size_t)>& body,
                                           const std::function<void()>& onCaller) {
      RunShared(count, threads, body, onCaller);
    };
    // At once: the sort of all candidates; later, the bounds and the decisions.
    for (const int after : {1, 300}) {
      std::vector<Match> copy = candidates;  // copied before the clock runs
      ExpectEndsAtTheDeadline([&](const StopToken& t) { MergeByBounds(std::move(copy), sums, nullptr, parallel, t); },
                              milliseconds(after));
    }
  }
}

TEST(StopAtStage, ThePassesSelectionAndDecisions) {
  const std::vector<Match> candidates = ManyCandidates(3'000'000);
  // Past its capacity the set selects the best; its batch is then sorted a
  // part at a time and decided.
  ExpectEndsAtTheDeadline(
      [&](const StopToken& t) {
        BestCandidates best(1'000'000, t);
        best.Offer(candidates);
      },
      milliseconds(1));
  for (const unsigned threads : {1u, 2u}) {
    const ParallelFor parallel = [&](size_t count, const std::function<void(size_t)>& body,
                                     const std::function<void()>& onCaller) {
      RunShared(count, threads, body, onCaller);
    };
    std::vector<Match> copy = candidates;  // copied before the clock runs
    CoveredArea covered({0, 0, 3008, 3008});
    std::vector<Match> kept;
    ExpectEndsAtTheDeadline([&](const StopToken& t) { KeepBestFirst(std::move(copy), covered, kept, 0, parallel, t); },
                            milliseconds(1));
  }
}

TEST(StopAtStage, MergeInPasses) {
  // Every position matches and few fit at a time: thousands of passes.
  const SearchObject in(Flat(1024, 1024)), of(Flat(4, 4));
  TPXProcessParameters p{};
  p.CompareType = PX_COMPARE_TYPE_RELATIVE_ARGB;
  p.MultipleMatches = 1;
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    ExpectEndsAtTheDeadline(
        [&](const StopToken& t) {
          CompareSettings settings = MakeCompareSettings(p);
          settings.stop = &t;
          PlaneCache cache(0);
          Search(in, of, settings, threads, nullptr, cache, int64_t{1} << 20);
        },
        milliseconds(300));
  }
}

}  // namespace
}  // namespace pexora::test
