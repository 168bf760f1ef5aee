// Conversions between the window's texts and numbers.
#pragma once

#include "FormatSettings.h"

#include <QString>

#include <cstdint>

namespace Conversions {

// Optional leading blanks, then an optional sign and decimal digits within the
// 32-bit signed range, or a hexadecimal number after "$", "0x", "0X", "x" or
// "X" that fits in 32 bits, taken as a 32-bit bit pattern. Nothing may follow.
// Raises EConvertError "''<text>'' is not a valid integer value" otherwise.
std::int32_t StrToInt(const QString& text);

// Optional leading blanks, an optional sign, decimal digits with at most one
// decimal separator (the one of FormatSettings) and at least one digit, an
// optional exponent, optional trailing blanks. Raises EConvertError
// "'<text>' is not a valid floating point value" otherwise, and also when the
// value lies beyond the range of T. T is double or long double.
template <typename T>
T StrToFloat(const QString& text);

// As StrToFloat, and the value must also lie within the range of a double,
// however far T reaches: the window hands its numbers on as doubles.
template <typename T>
T StrToDoubleRangeFloat(const QString& text);

// The general number format with at most 15 significant digits, with the
// decimal separator of FormatSettings.
template <typename T>
QString FloatToStr(T value);

// value truncated toward zero; values beyond the 32-bit range give its ends.
template <typename T>
std::int32_t TruncToInt32(T value);

}  // namespace Conversions
