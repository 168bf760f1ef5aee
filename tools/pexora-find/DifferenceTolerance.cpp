#include "DifferenceTolerance.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "pexora/pexora.h"

namespace pexora::find {

namespace {

// A whole number that takes all of `text`.
template <typename T>
std::optional<T> Whole(std::string_view text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<DifferenceTolerance> ParseDifference(std::string_view text) {
  if (!text.ends_with('%')) {
    const auto pixels = Whole<uint32_t>(text);
    if (!pixels || *pixels > uint32_t(std::numeric_limits<int32_t>::max())) return std::nullopt;
    return DifferenceTolerance{int32_t(*pixels), 0.0};
  }
  text.remove_suffix(1);
  const size_t point = text.find('.');
  const std::string_view wholePart = text.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (wholePart.size() > 3 || (point != std::string_view::npos && (decimals.empty() || decimals.size() > 3))) {
    return std::nullopt;
  }
  const auto units = Whole<uint32_t>(wholePart);
  auto thousandths = decimals.empty() ? std::optional<uint32_t>(0) : Whole<uint32_t>(decimals);
  if (!units || !thousandths) return std::nullopt;
  for (size_t digits = decimals.size(); digits < 3; ++digits) *thousandths *= 10;
  const uint32_t share = *units * 1000 + *thousandths;
  if (share > 100'000) return std::nullopt;
  // 100 - share, written out in decimal and read back: rounded once.
  char least[16];
  const uint32_t rest = 100'000 - share;
  std::snprintf(least, sizeof least, "%u.%03u", rest / 1000, rest % 1000);
  DifferenceTolerance tolerance{std::numeric_limits<int32_t>::max(), 0.0};
  std::from_chars(least, least + std::char_traits<char>::length(least), tolerance.leastPercentage);
  return tolerance;
}

DifferenceTolerance DefaultDifference(int32_t compareType) {
  if (compareType == PX_COMPARE_TYPE_EXACT) return {};
  return *ParseDifference(kDefaultShare);
}

}  // namespace pexora::find
