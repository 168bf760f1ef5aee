// Conversion of a caller's zero-terminated UTF-16 file name to UTF-8.
#pragma once

#include <optional>
#include <string>

namespace pexora {

// The UTF-8 form of a zero-terminated UTF-16 string, or nothing when the
// pointer is null, the string is empty, longer than kMaxFileNameUnits, or not
// valid UTF-16 (an unpaired surrogate).
std::optional<std::string> Utf16ToUtf8(const char16_t* text);

}  // namespace pexora
