// The conversions between the window's texts and numbers.
#include "toolkit/Conversions.h"
#include "toolkit/Exceptions.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

using namespace Conversions;

namespace {

std::optional<std::int32_t> Int(const char* text) {
  try {
    return StrToInt(QString::fromUtf8(text));
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

template <typename T>
std::optional<T> Float(const char* text, QChar separator = u'.') {
  FormatSettings.DecimalSeparator = separator;
  try {
    const T value = StrToFloat<T>(QString::fromUtf8(text));
    FormatSettings = TFormatSettings{};
    return value;
  } catch (const EConvertError&) {
    FormatSettings = TFormatSettings{};
    return std::nullopt;
  }
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalIntegers) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"15", 15},
      {"  15", 15},
      {"+15", 15},
      {"-5", -5},
      {"015", 15},
      {"0", 0},
      {"$F", 15},
      {"$f", 15},
      {"0x1f", 31},
      {"0X1F", 31},
      {"x10", 16},
      {"X10", 16},
      {"$FFFFFFFF", -1},
      {"$80000000", INT_MIN},
      {"$0000000000F", 15},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"300", 300},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Int(text), value) << text;
}

TEST(StrToInt, RefusesEverythingElse) {
  for (const char* text :
       {"",  " ",   "abc", "15 ",        "1.5", "1e2", "2147483648", "-2147483649", "99999999999999999999",
        "$", "0x",  "x",   "$100000000", "$G",  "+-1", "--1",        "- 1",         "-$F",
        "+", "1 5", "\t15"})
    EXPECT_EQ(Int(text), std::nullopt) << '"' << text << '"';
}

TEST(StrToInt, NamesTheTextInDoubledQuotes) {
  try {
    StrToInt(QStringLiteral("abc"));
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, QStringLiteral("''abc'' is not a valid integer value"));
  }
}

TEST(StrToFloat, AcceptsNumbersWithTheLocalesSeparator) {
  const std::pair<const char*, double> cases[] = {
      {"0.5", 0.5}, {"  0.5", 0.5}, {"0.5  ", 0.5}, {"+0.5", 0.5}, {"-3", -3},       {".5", 0.5},
      {"5.", 5},    {"5e-1", 0.5},  {"1E2", 100},   {"1e+2", 100}, {"0.505", 0.505}, {"2", 2},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Float<double>(text), value) << text;
  EXPECT_EQ(Float<double>("0,3", u','), 0.3);
}

TEST(StrToFloat, RefusesOtherSyntaxAndOtherSeparators) {
  for (const char* text :
       {"", " ", ".", "abc", "0,5", "1e", "1e+", "0.5.1", "1,000.5", "0.5x", "e5", "1 e5", "- 1", "0x10", "1e400"})
    EXPECT_EQ(Float<double>(text), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(Float<double>("0.3", u','), std::nullopt);
}

TEST(StrToFloat, ExtendedPrecisionReachesFurther) {
  EXPECT_EQ(Float<double>("1e400"), std::nullopt);
  ASSERT_TRUE(Float<long double>("1e400").has_value());
  EXPECT_EQ(Float<long double>("1e5000"), std::nullopt);
}

TEST(StrToDoubleRangeFloat, RefusesWhatDoesNotFitADoubleInEitherPrecision) {
  for (const char* text : {"1e400", "-1e309", "1.8e308"}) {
    EXPECT_THROW(StrToDoubleRangeFloat<double>(QString::fromLatin1(text)), EConvertError) << text;
    EXPECT_THROW(StrToDoubleRangeFloat<long double>(QString::fromLatin1(text)), EConvertError) << text;
  }
  EXPECT_EQ(StrToDoubleRangeFloat<long double>(QStringLiteral("-1.7e308")), -1.7e308L);
  EXPECT_EQ(StrToDoubleRangeFloat<long double>(QStringLiteral("0.29")), 0.29L);
  EXPECT_EQ(StrToDoubleRangeFloat<double>(QStringLiteral("0.29")), 0.29);
}

TEST(StrToFloat, NamesTheTextInSingleQuotes) {
  try {
    StrToFloat<double>(QString());
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, QStringLiteral("'' is not a valid floating point value"));
  }
}

TEST(FloatToStr, WritesHundredthsInTheGeneralFormat) {
  const std::pair<int, const char*> cases[] = {{0, "0"},   {5, "0.05"},  {50, "0.5"}, {99, "0.99"},
                                               {100, "1"}, {28, "0.28"}, {33, "0.33"}};
  for (const auto& [p, text] : cases) {
    EXPECT_EQ(FloatToStr<double>(p / 100.0), QString::fromLatin1(text));
    EXPECT_EQ(FloatToStr<long double>(p / 100.0L), QString::fromLatin1(text));
  }
  FormatSettings.DecimalSeparator = u',';
  EXPECT_EQ(FloatToStr<double>(0.5), QStringLiteral("0,5"));
  FormatSettings = TFormatSettings{};
}

TEST(TruncToInt32, TruncatesTowardZeroInTheGivenPrecision) {
  EXPECT_EQ(TruncToInt32<double>(*Float<double>("0.29") * 100), 28);
  EXPECT_EQ(TruncToInt32<long double>(*Float<long double>("0.29") * 100), 29);
  EXPECT_EQ(TruncToInt32<double>(*Float<double>("0.999") * 100), 99);
  EXPECT_EQ(TruncToInt32<double>(-0.505 * 100), -50);
  EXPECT_EQ(TruncToInt32<double>(1e300), INT_MAX);
  EXPECT_EQ(TruncToInt32<double>(-1e300), INT_MIN);
  EXPECT_EQ(TruncToInt32<long double>(1e400L), INT_MAX);
}

}  // namespace
