// File names from the command line (UTF-8) for the library (UTF-16).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pexora::find {

// The UTF-16 form of a UTF-8 text, or nothing when the text is not valid
// UTF-8 (bad or overlong sequences, surrogates, values past U+10FFFF).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

}  // namespace pexora::find
