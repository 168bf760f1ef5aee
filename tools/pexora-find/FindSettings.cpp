#include "FindSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

namespace pexora::find {

namespace {

const std::map<std::string, int> kCompareTypes{
    {"exact", PX_COMPARE_TYPE_EXACT},
    {"argb", PX_COMPARE_TYPE_RELATIVE_ARGB},
    {"ahsl", PX_COMPARE_TYPE_RELATIVE_AHSL},
};

const std::map<std::string, int> kFilters{
    {"box", PX_RESAMPLER_BOX},         {"bicubic", PX_RESAMPLER_BICUBIC},       {"bilinear", PX_RESAMPLER_BILINEAR},
    {"bspline", PX_RESAMPLER_BSPLINE}, {"catmullrom", PX_RESAMPLER_CATMULLROM}, {"lanczos3", PX_RESAMPLER_LANCZOS3},
};

constexpr int kIntMax = std::numeric_limits<int>::max();
// The library's limit is in milliseconds, in 32 bits.
constexpr double kMaxTimeoutSeconds = 2000000;
const CLI::Validator kNonNegative = CLI::Range(0, kIntMax).description("");

// A choice among names, shown by its names alone.
CLI::Validator Choice(const std::map<std::string, int>& names) {
  return CLI::CheckedTransformer(names, CLI::ignore_case).description("");
}

// "12x34" or "1,2,3,4": exactly `count` whole numbers of at least `minimum`
// joined by `delimiter`, or nothing.
std::optional<std::vector<int>> ParseNumbers(const std::string& text, char delimiter, size_t count, int minimum) {
  std::vector<int> numbers;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (numbers.size() < count) {
    int value = 0;
    const auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc() || value < minimum) return std::nullopt;
    numbers.push_back(value);
    at = next;
    if (numbers.size() < count) {
      if (at == end || *at != delimiter) return std::nullopt;
      ++at;
    }
  }
  if (at != end) return std::nullopt;
  return numbers;
}

// An option of the form `form`: `count` numbers joined by `delimiter`.
CLI::Option* AddNumbers(CLI::App& app, const std::string& name, std::vector<int>& into, char delimiter, size_t count,
                        int minimum, const std::string& form, const std::string& text) {
  const auto check = [=](std::string& value) -> std::string {
    if (ParseNumbers(value, delimiter, count, minimum)) return {};
    return "expected " + form + " with whole numbers of at least " + std::to_string(minimum) + ", got '" + value + "'";
  };
  const auto store = [=, &into](const std::string& value) { into = *ParseNumbers(value, delimiter, count, minimum); };
  return app.add_option_function<std::string>(name, store, text)->check(CLI::Validator(check, "", ""))->type_name(form);
}

// Channel tolerances, 0 .. maximum: one for all four channels, or four.
template <typename T>
void AddTolerances(CLI::App& app, const std::string& name, std::vector<T>& into, T maximum, const std::string& form,
                   const std::string& byDefault) {
  const std::string channels = form.substr(form.find('|') + 1);
  std::ostringstream text;
  text << "Tolerances: one value for all four channels, or " << channels << "; each 0.." << maximum;
  app.add_option(name, into, text.str())
      ->delimiter(',')
      ->expected(1, 4)
      ->check(CLI::Range(T{0}, maximum).description(""))
      ->type_name(form)
      ->default_str(byDefault);
}

// A size, WIDTHxHEIGHT, of at least 1 x 1.
void AddSize(CLI::App& app, const std::string& name, std::vector<int>& into, const std::string& text) {
  AddNumbers(app, name, into, 'x', 2, 1, "WIDTHxHEIGHT", text);
}

// A resampling filter by name; bilinear unless given.
void AddFilter(CLI::App& app, const std::string& name, int& into, const std::string& use) {
  app.add_option(name, into, "Filter for " + use + ": box, bicubic, bilinear, bspline, catmullrom or lanczos3")
      ->transform(Choice(kFilters))
      ->type_name("FILTER")
      ->default_str("bilinear");
}

}  // namespace

void DefineOptions(CLI::App& app, FindSettings& s) {
  app.add_option("SEARCH_IN", s.searchIn, "The picture to search in (PNG, JPEG, BMP, GIF or TIFF)")->required();
  app.add_option("SEARCH_FOR", s.searchFor, "The picture to search for")->required();

  app.add_option("-t,--type", s.compareType,
                 "How pixels are compared: exact, argb (per-channel tolerances in 0..255) or ahsl "
                 "(alpha, hue, chroma, lightness tolerances in 0..1)")
      ->transform(Choice(kCompareTypes))
      ->type_name("exact|argb|ahsl")
      ->default_str("argb");
  app.add_flag("-a,--alpha", s.alpha,
               "Use the search-for picture's alpha as a mask: transparent pixels take no part, "
               "half-transparent ones count less (with argb or ahsl)");
  AddTolerances(app, "--argb-tolerance", s.argbTolerance, 255, "N|A,R,G,B", "15");
  AddTolerances(app, "--ahsl-tolerance", s.ahslTolerance, 1.0, "X|A,H,S,L", "0.5");
  const auto difference = [](std::string& value) -> std::string {
    if (ParseDifference(value)) return {};
    return "expected N pixels (0.." + std::to_string(kIntMax) +
           ") or a share P% of the compared pixels (0..100, at most three decimals), got '" + value + "'";
  };
  app.add_option_function<std::string>(
         "-d,--difference", [&s](const std::string& value) { s.difference = ParseDifference(value); },
         "How many of a match's compared pixels may differ beyond the tolerances: N pixels (DifferenceTolerance), "
         "or P% of them, which keeps matches whose match percentage is at least 100 - P (each stretched size "
         "its own count). Default: 0 with --type exact, " +
             std::string(kDefaultShare) + " with argb and ahsl")
      ->check(CLI::Validator(difference, "", ""))
      ->type_name("N|P%");
  AddSize(app, "--stretch-min", s.stretchMinimal,
          "Also search for the search-for picture stretched, aspect ratio kept, to sizes from "
          "WIDTHxHEIGHT (default 1x1 when only --stretch-max is given)");
  AddSize(app, "--stretch-max", s.stretchMaximal,
          "... up to WIDTHxHEIGHT (default 8192x8192 when only --stretch-min is given)");
  AddFilter(app, "--stretch-filter", s.stretchFilter, "stretching");
  AddSize(app, "--resample-in", s.resampleIn,
          "Resample the search-in picture to WIDTHxHEIGHT when it is loaded (positions are then "
          "in the resampled picture)");
  AddSize(app, "--resample-for", s.resampleFor, "Resample the search-for picture to WIDTHxHEIGHT when it is loaded");
  AddFilter(app, "--resample-filter", s.resampleFilter, "--resample-in and --resample-for");
  app.add_option_function<std::string>(
         "-j,--threads", [&s](const std::string& value) { s.allThreads = value == "all"; },
         "Threads: all (every hardware thread) or 1")
      ->check(CLI::IsMember({"all", "1"}).description(""))
      ->type_name("all|1")
      ->default_str("all");
  AddNumbers(app, "-r,--region", s.region, ',', 4, 0, "X,Y,WIDTH,HEIGHT",
             "Search only inside X,Y,WIDTH,HEIGHT of the search-in picture; positions stay in the "
             "whole picture's coordinates");
  app.add_option("-p,--min-percentage", s.minimalPercentage,
                 "Report only matches whose match percentage is at least this (0..100)")
      ->type_name("P")
      ->default_str("0");
  app.add_option("-n,--max-matches", s.maximalMatches, "Report at most this many matches, the best ones; 0: all")
      ->check(kNonNegative)
      ->type_name("N")
      ->default_str("0");
  app.add_flag("--json", s.json, "Print the matches as JSON instead of one line each");
  app.add_option("--timeout", s.timeout,
                 "Stop the search (not the loading) after SECONDS and exit with code 2; 0: no limit")
      ->type_name("SECONDS")
      ->default_str("0");
}

std::string FindSettings::Problem() const {
  if (argbTolerance.size() != 1 && argbTolerance.size() != 4) {
    return "--argb-tolerance: give one value or four (A,R,G,B)";
  }
  if (ahslTolerance.size() != 1 && ahslTolerance.size() != 4) {
    return "--ahsl-tolerance: give one value or four (A,H,S,L)";
  }
  for (const double tolerance : ahslTolerance) {
    if (!(tolerance >= 0.0 && tolerance <= 1.0)) return "--ahsl-tolerance: each value must lie within 0..1";
  }
  if (alpha && compareType == PX_COMPARE_TYPE_EXACT) return "--alpha: works with --type argb or ahsl, not exact";
  if (region.size() == 4 && (region[2] < 1 || region[3] < 1)) {
    return "--region: the width and height must be at least 1";
  }
  if (!(minimalPercentage >= 0.0 && minimalPercentage <= 100.0)) return "--min-percentage: must lie within 0..100";
  if (!(timeout >= 0.0 && timeout <= kMaxTimeoutSeconds)) {
    return "--timeout: must lie within 0.." + std::to_string(int(kMaxTimeoutSeconds)) + " seconds";
  }
  return {};
}

DifferenceTolerance FindSettings::Difference() const {
  return difference ? *difference : DefaultDifference(compareType);
}

TPXProcessParameters FindSettings::ProcessParameters() const {
  TPXProcessParameters p{};
  p.CompareType = compareType;
  if (alpha) {
    p.CompareType = compareType == PX_COMPARE_TYPE_RELATIVE_AHSL ? PX_COMPARE_TYPE_RELATIVE_AHSL_ALPHA
                                                                 : PX_COMPARE_TYPE_RELATIVE_ARGB_ALPHA;
  }
  const auto argb = [this](size_t i) { return static_cast<uint8_t>(argbTolerance[argbTolerance.size() == 4 ? i : 0]); };
  p.ARGBATolerance = argb(0);
  p.ARGBRTolerance = argb(1);
  p.ARGBGTolerance = argb(2);
  p.ARGBBTolerance = argb(3);
  const auto ahsl = [this](size_t i) { return ahslTolerance[ahslTolerance.size() == 4 ? i : 0]; };
  p.AHSLATolerance = ahsl(0);
  p.AHSLHTolerance = ahsl(1);
  p.AHSLSTolerance = ahsl(2);
  p.AHSLLTolerance = ahsl(3);
  p.DifferenceTolerance = Difference().pixels;
  if (!stretchMinimal.empty() || !stretchMaximal.empty()) {
    p.StretchCompare = 1;
    p.MinimalStretchSize =
        stretchMinimal.empty() ? TPXDimensions{1, 1} : TPXDimensions{stretchMinimal[0], stretchMinimal[1]};
    p.MaximalStretchSize =
        stretchMaximal.empty() ? TPXDimensions{8192, 8192} : TPXDimensions{stretchMaximal[0], stretchMaximal[1]};
    p.StretchResampler = stretchFilter;
  }
  p.MultipleMatches = 1;
  p.MultiThreadedProcessing = allThreads ? -1 : 0;
  return p;
}

TPXSearchOptions FindSettings::SearchOptions() const {
  TPXSearchOptions o{};
  o.Size = sizeof o;
  if (!region.empty()) {
    o.UseRegion = -1;
    o.Region = {region[0], region[1], region[2], region[3]};
  }
  o.MinimalMatchPercentage = std::max(minimalPercentage, Difference().leastPercentage);
  o.MaximalMatchCount = maximalMatches;
  // Whole milliseconds, rounded up: a limit never ends a search early.
  o.TimeLimit = static_cast<int32_t>(std::ceil(timeout * 1000.0));
  return o;
}

TPXCreateObjectParameters FindSettings::CreateParameters(const std::vector<int>& resample) const {
  if (resample.empty()) return {};
  return {PX_PROCESS_TYPE_RESAMPLE, {resample[0], resample[1]}, resampleFilter};
}

}  // namespace pexora::find
