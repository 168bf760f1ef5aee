#include "Conversions.h"

#include "Exceptions.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace Conversions {
namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int HexValue(QChar c) {
  if (IsDigit(c)) return c.unicode() - u'0';
  if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
  return -1;
}

[[noreturn]] void NotAnInteger(const QString& text) {
  throw EConvertError(QStringLiteral("''%1'' is not a valid integer value").arg(text));
}

[[noreturn]] void NotAFloat(const QString& text) {
  throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

std::int32_t StrToInt(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == u' ') ++i;
  if (i == n) NotAnInteger(text);

  const QChar c = text[i];
  const bool hexDollar = c == u'$';
  const bool hexX = c == u'x' || c == u'X';
  const bool hex0x = c == u'0' && i + 1 < n && (text[i + 1] == u'x' || text[i + 1] == u'X');
  if (hexDollar || hexX || hex0x) {
    i += hex0x ? 2 : 1;
    if (i == n) NotAnInteger(text);
    std::uint64_t value = 0;
    for (; i < n; ++i) {
      const int d = HexValue(text[i]);
      if (d < 0) NotAnInteger(text);
      value = value * 16 + static_cast<unsigned>(d);
      if (value > 0xFFFFFFFFull) NotAnInteger(text);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }

  bool negative = false;
  if (c == u'+' || c == u'-') {
    negative = c == u'-';
    ++i;
  }
  if (i == n) NotAnInteger(text);
  std::int64_t value = 0;
  for (; i < n; ++i) {
    if (!IsDigit(text[i])) NotAnInteger(text);
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) NotAnInteger(text);
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) NotAnInteger(text);
  return static_cast<std::int32_t>(value);
}

template <typename T>
T StrToFloat(const QString& text) {
  const QChar separator = FormatSettings.DecimalSeparator;
  std::string plain;  // the number in the C locale's syntax
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == u' ') ++i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) plain += static_cast<char>(text[i++].unicode());
  int digits = 0;
  bool seenSeparator = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      plain += static_cast<char>(text[i].unicode());
      ++digits;
    } else if (text[i] == separator && !seenSeparator) {
      plain += '.';
      seenSeparator = true;
    } else {
      break;
    }
  }
  if (digits == 0) NotAFloat(text);
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    plain += 'e';
    ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) plain += static_cast<char>(text[i++].unicode());
    int exponentDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++exponentDigits) plain += static_cast<char>(text[i].unicode());
    if (exponentDigits == 0) NotAFloat(text);
  }
  while (i < n && text[i] == u' ') ++i;
  if (i != n) NotAFloat(text);

  T value;
  if constexpr (std::is_same_v<T, long double>)
    value = strtold_l(plain.c_str(), nullptr, CLocale());
  else
    value = strtod_l(plain.c_str(), nullptr, CLocale());
  if (!std::isfinite(value)) NotAFloat(text);
  return value;
}

template <typename T>
T StrToDoubleRangeFloat(const QString& text) {
  const T value = StrToFloat<T>(text);
  if (std::fabs(value) > static_cast<T>(std::numeric_limits<double>::max())) NotAFloat(text);
  return value;
}

template <typename T>
QString FloatToStr(T value) {
  char buffer[64];
  if constexpr (std::is_same_v<T, long double>)
    std::snprintf(buffer, sizeof buffer, "%.15Lg", value);
  else
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
  QString s = QString::fromLatin1(buffer);
  s.replace(u'.', FormatSettings.DecimalSeparator);
  return s;
}

template <typename T>
std::int32_t TruncToInt32(T value) {
  const T t = std::trunc(value);
  if (!(t >= static_cast<T>(std::numeric_limits<std::int32_t>::min()))) return std::numeric_limits<std::int32_t>::min();
  if (!(t <= static_cast<T>(std::numeric_limits<std::int32_t>::max()))) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(t);
}

template double StrToFloat<double>(const QString&);
template long double StrToFloat<long double>(const QString&);
template double StrToDoubleRangeFloat<double>(const QString&);
template long double StrToDoubleRangeFloat<long double>(const QString&);
template QString FloatToStr<double>(double);
template QString FloatToStr<long double>(long double);
template std::int32_t TruncToInt32<double>(double);
template std::int32_t TruncToInt32<long double>(long double);

}  // namespace Conversions
