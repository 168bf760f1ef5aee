// Object handles: never reused, and not to be guessed from one another or
// from another run of the program.
#include <gtest/gtest.h>

#include <set>

#include "HelperProgram.h"
#include "LibraryFixture.h"

namespace pexora::test {
namespace {

class HandleTest : public ::testing::Test {
 protected:
  void SetUp() override { SavePicture(RandomPicture(6, 5, 71), folder_.File("a.png"), FileFormat::kPng); }
  TempFolder folder_;
};

TEST_F(HandleTest, HandlesAreNeverReused) {
  std::set<void*> seen;
  CreatedObject kept(folder_.File("a.png"));
  seen.insert(kept.record.ImageObject);
  for (int i = 0; i < 2000; ++i) {
    CreatedObject object(folder_.File("a.png"));
    ASSERT_EQ(object.code, PX_OK);
    ASSERT_NE(object.record.ImageObject, nullptr);
    ASSERT_TRUE(seen.insert(object.record.ImageObject).second) << "handle " << object.record.ImageObject << " again";
  }
}

TEST_F(HandleTest, OneHandleTellsNothingAboutTheNext) {
  std::vector<uintptr_t> handles;
  std::vector<std::unique_ptr<CreatedObject>> objects;
  for (int i = 0; i < 16; ++i) {
    objects.push_back(std::make_unique<CreatedObject>(folder_.File("a.png")));
    handles.push_back(reinterpret_cast<uintptr_t>(objects.back()->record.ImageObject));
  }
  // Neither a fixed step nor a narrow range: the values spread over the
  // whole width of a pointer.
  std::set<uintptr_t> steps;
  for (size_t i = 1; i < handles.size(); ++i) steps.insert(handles[i] - handles[i - 1]);
  EXPECT_GT(steps.size(), 1u);
  const auto [low, high] = std::minmax_element(handles.begin(), handles.end());
  EXPECT_GT(*high - *low, uintptr_t{1} << (sizeof(uintptr_t) * 8 - 8));
  // A handle one step away from a live one is not live.
  for (const uintptr_t handle : handles) {
    for (const uintptr_t near : {handle + 1, handle - 1, handle + 0x10, handle - 0x10}) {
      TPXObject guessed{};
      guessed.ImageObject = reinterpret_cast<void*>(near);
      if (std::find(handles.begin(), handles.end(), near) == handles.end()) {
        EXPECT_EQ(Pexora_FreeObject(&guessed), PX_ERROR_OBJECT);
      }
    }
  }
}

TEST_F(HandleTest, EveryRunOfAProgramHasOtherHandles) {
  const HelperRun first = RunExitHelper(folder_.File("a.png"), folder_.File("a.png"), 0, false);
  const HelperRun second = RunExitHelper(folder_.File("a.png"), folder_.File("a.png"), 0, false);
  ASSERT_EQ(first.status, 0);
  ASSERT_EQ(second.status, 0);
  ASSERT_FALSE(first.output.empty());
  EXPECT_NE(first.output, second.output);
}

}  // namespace
}  // namespace pexora::test
