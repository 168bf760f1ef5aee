#include "JsonString.h"

#include <cstdio>

#include "Utf8ToUtf16.h"

namespace pexora::find {

namespace {

// The length of the valid UTF-8 sequence that starts `text`, or 0.
size_t SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const size_t length = lead < 0x80             ? 1
                        : (lead & 0xE0) == 0xC0 ? 2
                        : (lead & 0xF0) == 0xE0 ? 3
                        : (lead & 0xF8) == 0xF0 ? 4
                                                : 0;
  if (length == 0 || length > text.size()) return 0;
  return Utf8ToUtf16(text.substr(0, length)) ? length : 0;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    const char c = text[0];
    const size_t length = SequenceLength(text);
    if (length == 0) {
      out += "\\ufffd";
      text.remove_prefix(1);
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out + '"';
}

}  // namespace pexora::find
