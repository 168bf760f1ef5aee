// Result records handed back to Pexora_FreeResult: only the record a result
// came from, or an exact copy of it while the result lives, releases it.
#include <gtest/gtest.h>

#include <cstring>

#include "LibraryFixture.h"

namespace pexora::test {
namespace {

class ResultRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Image scene = RandomPicture(30, 30, 12);
    SavePicture(scene, folder_.File("scene.png"), FileFormat::kPng);
    SavePicture(Crop(scene, 3, 4, 5, 5), folder_.File("part.png"), FileFormat::kPng);
    in_ = std::make_unique<CreatedObject>(folder_.File("scene.png"));
    of_ = std::make_unique<CreatedObject>(folder_.File("part.png"));
    ASSERT_EQ(in_->code, PX_OK);
    ASSERT_EQ(of_->code, PX_OK);
  }

  TPXResult Compare() {
    TPXResult result{};
    EXPECT_EQ(Pexora_Compare(in_->record, of_->record, ArgbParameters(0, 0), &result, nullptr), PX_OK);
    EXPECT_EQ(result.MatchCount, 1);
    return result;
  }

  static void ExpectUnchanged(const TPXResult& before, const TPXResult& after) {
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof(TPXResult)));
  }

  TempFolder folder_;
  std::unique_ptr<CreatedObject> in_, of_;
};

TEST_F(ResultRecordTest, AStaleRecordAtAReusedAddressLeavesTheLiveResultAlone) {
  TPXResult first = Compare();
  const TPXResult released = first;
  ASSERT_EQ(Pexora_FreeResult(&first), -1);
  TPXResult live = Compare();
  // What the caller holds when the allocator gives the new result the old
  // result's address: the old record, pointing at the live entries.
  TPXResult stale = released;
  stale.Matches = live.Matches;
  const TPXResult staleBefore = stale;
  EXPECT_EQ(Pexora_FreeResult(&stale), 0);
  ExpectUnchanged(staleBefore, stale);
  // The live entries are still the library's to hand out, and readable.
  EXPECT_EQ(live.Matches[0].Position.X, 3);
  EXPECT_EQ(live.Matches[0].Position.Y, 4);
  EXPECT_EQ(Pexora_FreeResult(&live), -1);
}

TEST_F(ResultRecordTest, AStaleCopyFromTheAllocatorsOwnReuseIsRecognised) {
  // The same fault without help: keep comparing until the allocator hands a
  // new result the address of a released one (glibc does at once; an
  // allocator with a quarantine, as under AddressSanitizer, may never).
  TPXResult first = Compare();
  const TPXResult stale = first;
  ASSERT_EQ(Pexora_FreeResult(&first), -1);
  for (int attempt = 0; attempt < 50; ++attempt) {
    TPXResult next = Compare();
    if (next.Matches == stale.Matches) {
      TPXResult copy = stale;
      EXPECT_EQ(Pexora_FreeResult(&copy), 0);
      EXPECT_EQ(next.Matches[0].Position.X, 3);
      EXPECT_EQ(Pexora_FreeResult(&next), -1);
      return;
    }
    EXPECT_EQ(Pexora_FreeResult(&next), -1);
  }
  GTEST_SKIP() << "the allocator never reused the address of a released result";
}

TEST_F(ResultRecordTest, ACopyReleasesTheResultOnceAndTheOtherRecordIsThenStale) {
  TPXResult result = Compare();
  TPXResult copy = result;
  EXPECT_EQ(Pexora_FreeResult(&copy), -1);
  EXPECT_EQ(copy.Success, 0);
  EXPECT_EQ(copy.MatchCount, 0);
  EXPECT_EQ(copy.Matches, nullptr);
  const TPXResult before = result;
  EXPECT_EQ(Pexora_FreeResult(&result), 0);
  ExpectUnchanged(before, result);
}

TEST_F(ResultRecordTest, EveryResultCarriesItsOwnNonZeroSuccess) {
  TPXResult a = Compare();
  TPXResult b = Compare();
  EXPECT_NE(a.Success, 0);
  EXPECT_NE(b.Success, 0);
  EXPECT_NE(a.Success, b.Success);
  // A record whose Success was changed is not the one handed out.
  TPXResult altered = a;
  altered.Success = b.Success;
  EXPECT_EQ(Pexora_FreeResult(&altered), 0);
  EXPECT_EQ(Pexora_FreeResult(&a), -1);
  EXPECT_EQ(Pexora_FreeResult(&b), -1);
}

TEST_F(ResultRecordTest, ForeignRecordsAreLeftAsTheyWere) {
  TPXResultMatches own[2]{};
  int notMatches = 0;
  const TPXResult foreign[] = {
      {-1, 2, own},    {1, 1, own},      {-1, 7, reinterpret_cast<PPXResultMatches>(&notMatches)},
      {0, 0, nullptr}, {-1, 3, nullptr},
  };
  for (const TPXResult& record : foreign) {
    TPXResult copy = record;
    EXPECT_EQ(Pexora_FreeResult(&copy), 0);
    ExpectUnchanged(record, copy);
  }
  EXPECT_EQ(Pexora_FreeResult(nullptr), 0);
}

}  // namespace
}  // namespace pexora::test
