#include "MatchReport.h"

#include <charconv>
#include <span>
#include <string>

namespace pexora::find {

namespace {

// The shortest text that reads back as the same number.
std::string Number(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::span<const TPXResultMatches> Entries(const TPXResult& r) {
  if (r.Success == 0 || r.Matches == nullptr || r.MatchCount <= 0) return {};
  return {r.Matches, static_cast<size_t>(r.MatchCount)};
}

}  // namespace

void PrintText(const TPXResult& result, std::ostream& out, std::string_view prefix) {
  for (const TPXResultMatches& m : Entries(result)) {
    out << prefix << "position " << m.Position.X << ',' << m.Position.Y << " size " << m.Dimensions.Width << 'x'
        << m.Dimensions.Height << " difference " << m.Difference << " percentage " << Number(m.MatchPercentage) << '\n';
  }
}

void PrintJsonMatches(const TPXResult& result, std::ostream& out) {
  out << '[';
  const char* separator = "";
  for (const TPXResultMatches& m : Entries(result)) {
    out << separator << "{\"x\":" << m.Position.X << ",\"y\":" << m.Position.Y << ",\"width\":" << m.Dimensions.Width
        << ",\"height\":" << m.Dimensions.Height << ",\"difference\":" << m.Difference
        << ",\"percentage\":" << Number(m.MatchPercentage) << '}';
    separator = ",";
  }
  out << ']';
}

void PrintJson(const TPXResult& result, std::ostream& out) {
  out << "{\"matches\":";
  PrintJsonMatches(result, out);
  out << "}\n";
}

}  // namespace pexora::find
