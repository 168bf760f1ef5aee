// Text as a JSON string.
#pragma once

#include <string>
#include <string_view>

namespace pexora::find {

// `text` quoted for JSON: quotes, backslashes and control characters
// escaped, UTF-8 kept as it is, and each byte that is not part of valid UTF-8
// replaced by U+FFFD (JSON text must be UTF-8).
std::string JsonString(std::string_view text);

}  // namespace pexora::find
