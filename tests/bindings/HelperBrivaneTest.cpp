#include "HelperBrivane.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using HelperBrivane::mSec2Time;

namespace {

struct Case {
  std::int64_t mSec;
  const char* text;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.mSec; }

class WorkedExamples : public ::testing::TestWithParam<Case> {};

TEST_P(WorkedExamples, GiveTheirText) { EXPECT_EQ(mSec2Time(GetParam().mSec).toStdString(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(mSec2Time, WorkedExamples,
                         ::testing::Values(Case{0, "00:00:00.00"}, Case{5, "00:00:00.00"}, Case{10, "00:00:00.01"},
                                           Case{999, "00:00:00.99"}, Case{1234, "00:00:01.23"},
                                           Case{59999, "00:00:59.99"}, Case{60000, "00:01:00.00"},
                                           Case{3723004, "01:02:03.00"}, Case{86399999, "23:59:59.99"},
                                           Case{360000000, "100:00:00.00"}, Case{4294967295, "00:00:00.00"},
                                           Case{4294967296, "1193:02:47.29"}));

class EdgeCases : public ::testing::TestWithParam<Case> {};

TEST_P(EdgeCases, GiveTheirText) { EXPECT_EQ(mSec2Time(GetParam().mSec).toStdString(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(mSec2Time, EdgeCases,
                         ::testing::Values(
                             // Only the 32-bit all-ones value counts as 0; its neighbours do not.
                             Case{4294967294, "1193:02:47.29"}, Case{4294967200, "1193:02:47.20"},
                             // Milliseconds below 10 are hundredths "00"; 990 to 999 are "99",
                             // never carried into the seconds.
                             Case{1005, "00:00:01.00"}, Case{1009, "00:00:01.00"}, Case{1990, "00:00:01.99"},
                             Case{1999, "00:00:01.99"}, Case{3599999, "00:59:59.99"}, Case{3600000, "01:00:00.00"},
                             // Days are no field: the hours go on past 24, without a cap.
                             Case{86400000, "24:00:00.00"}, Case{90061010, "25:01:01.01"},
                             Case{std::numeric_limits<std::int64_t>::max(), "2562047788015:12:55.80"},
                             // Negative counts, which elapsed times never are: a minus sign and the
                             // text of the magnitude; -1 is not taken as 0.
                             Case{-1, "-00:00:00.00"}, Case{-1234, "-00:00:01.23"}, Case{-4294967295, "-1193:02:47.29"},
                             Case{std::numeric_limits<std::int64_t>::min(), "-2562047788015:12:55.80"}));

}  // namespace
