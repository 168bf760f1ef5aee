#include "api/Utf16Name.h"

#include "core/Limits.h"

namespace pexora {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::optional<std::string> Utf16ToUtf8(const char16_t* text) {
  if (text == nullptr || text[0] == 0) return std::nullopt;
  std::string out;
  for (size_t i = 0; text[i] != 0; ++i) {
    if (i >= kMaxFileNameUnits) return std::nullopt;
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const char16_t low = text[i + 1];
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{low} - 0xDC00));
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return std::nullopt;
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace pexora
