// The UTF-16 text of UTF-8 text, as the library takes file names.
#pragma once

#include <string>

namespace pexora::test {

// Expects well-formed UTF-8 (the names the tests, benchmarks and fuzzers
// make); ASCII stays as it is.
inline std::u16string ToUtf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t code;
    int length;
    if (c < 0x80) {
      code = c;
      length = 1;
    } else if (c < 0xE0) {
      code = c & 0x1F;
      length = 2;
    } else if (c < 0xF0) {
      code = c & 0x0F;
      length = 3;
    } else {
      code = c & 0x07;
      length = 4;
    }
    for (int k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (code >= 0x10000) {
      out.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
      out.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      out.push_back(char16_t(code));
    }
  }
  return out;
}

}  // namespace pexora::test
