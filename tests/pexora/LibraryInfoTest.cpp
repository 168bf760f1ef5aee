// The run-time version and the error texts.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "pexora/pexora.h"

namespace {

TEST(LibraryInfo, TheRunningLibraryIsTheVersionOfItsHeader) {
  EXPECT_EQ(Pexora_GetVersion(), PX_VERSION_NUMBER);
  EXPECT_EQ(PX_VERSION_NUMBER, 10100);  // 1.1.0
}

TEST(LibraryInfo, EveryCodeHasItsOwnTextAndOtherNumbersOneForAll) {
  std::set<std::string> texts;
  for (int32_t code = PX_OK; code <= PX_ERROR_TIME_LIMIT; ++code) {
    const char* text = Pexora_GetErrorText(code);
    ASSERT_NE(text, nullptr) << code;
    EXPECT_GT(std::string(text).size(), 5u) << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), size_t(PX_ERROR_TIME_LIMIT + 1));
  EXPECT_STREQ(Pexora_GetErrorText(PX_OK), "no error");
  for (const int32_t code : {-1, PX_ERROR_TIME_LIMIT + 1, 1000, INT_MIN, INT_MAX}) {
    EXPECT_STREQ(Pexora_GetErrorText(code), "unknown error code") << code;
  }
}

}  // namespace
