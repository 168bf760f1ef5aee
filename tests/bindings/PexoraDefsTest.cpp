#include "PexoraDefs.h"

#include <gtest/gtest.h>

#include <string>

using namespace PexoraDefs;

namespace {

class PexoraBinding : public ::testing::Test {
 protected:
  void UseFolder(const std::string& sub) {
    PlatformLibrary::SetFirstSearchFolder(std::string(TESTLIBS_DIR) + "/" + sub);
  }
  void TearDown() override {
    if (PexoraLibraryHandle) FreePexoraLibrary();
  }
};

TEST_F(PexoraBinding, CompleteLibraryBindsAllFiveAndUnloadsAtTheEnd) {
  UseFolder("pexora_complete");
  EXPECT_TRUE(InitPexoraLibrary());
  EXPECT_TRUE(PexoraLibraryLoaded);
  EXPECT_NE(PexoraLibraryHandle, 0u);
  // Each variable reaches its own export.
  TPXObject object{};
  TPXCreateObjectParameters create{};
  TPXProcessParameters process{};
  TPXResult result{};
  ASSERT_NE(Pexora_CreateObject, nullptr);
  EXPECT_EQ(Pexora_CreateObject(&object, create), 101);
  EXPECT_EQ(Pexora_FreeObject(&object), 102);
  EXPECT_EQ(Pexora_Compare(object, object, process, &result, nullptr), 103);
  EXPECT_EQ(Pexora_FreeResult(&result), 104);
  EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle(&object, create), 105);

  EXPECT_TRUE(FreePexoraLibrary());
  EXPECT_FALSE(PexoraLibraryLoaded);
  EXPECT_EQ(PexoraLibraryHandle, 0u);
  // The end step runs once; a second one has nothing to unload.
  EXPECT_FALSE(FreePexoraLibrary());
}

struct Incomplete {
  const char* folder;
};

class IncompleteLibrary : public PexoraBinding, public ::testing::WithParamInterface<Incomplete> {};

TEST_P(IncompleteLibrary, IsUnloadedAtOnceAndNothingStaysCallable) {
  UseFolder(GetParam().folder);
  EXPECT_FALSE(InitPexoraLibrary());
  EXPECT_FALSE(PexoraLibraryLoaded);
  EXPECT_EQ(PexoraLibraryHandle, 0u);
  EXPECT_EQ(Pexora_CreateObject, nullptr);
  EXPECT_EQ(Pexora_FreeObject, nullptr);
  EXPECT_EQ(Pexora_Compare, nullptr);
  EXPECT_EQ(Pexora_FreeResult, nullptr);
  EXPECT_EQ(Pexora_CreateObjectFromBitmapHandle, nullptr);
  EXPECT_FALSE(FreePexoraLibrary());
}

INSTANTIATE_TEST_SUITE_P(Binding, IncompleteLibrary,
                         ::testing::Values(Incomplete{"pexora_without_bitmap_handle"}, Incomplete{"pexora_wrong_case"},
                                           Incomplete{"no_library_here"}),
                         [](const auto& info) {
                           std::string n = info.param.folder;
                           for (char& c : n)
                             if (c == '/') c = '_';
                           return n;
                         });

TEST_F(PexoraBinding, FailedBindingAfterAGoodOneLeavesNoStaleEntryPoints) {
  UseFolder("pexora_complete");
  ASSERT_TRUE(InitPexoraLibrary());
  ASSERT_TRUE(FreePexoraLibrary());
  UseFolder("pexora_wrong_case");
  EXPECT_FALSE(InitPexoraLibrary());
  EXPECT_EQ(Pexora_CreateObject, nullptr);
  EXPECT_FALSE(PexoraLibraryLoaded);
}

TEST(PlatformLibraryNames, LogicalNamesMapToThisPlatformsFiles) {
  EXPECT_EQ(PlatformLibrary::PlatformFileName(u"Pexora.dll"), "libpexora.so");
  EXPECT_EQ(PlatformLibrary::PlatformFileName(u"FreeImage.dll"), "libfreeimage.so.3");
  EXPECT_EQ(PlatformLibrary::PlatformFileName(u"libz.so.1"), "libz.so.1");
}

}  // namespace
