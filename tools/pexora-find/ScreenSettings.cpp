#include "ScreenSettings.h"

#include <cerrno>
#include <cstdlib>

namespace pexora::find {

bool ParseWindowId(const std::string& text, uint32_t& into) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || end != text.c_str() + text.size() || value == 0 || value > UINT32_MAX) return false;
  into = static_cast<uint32_t>(value);
  return true;
}

void DefineScreenOptions(CLI::App& app, ScreenSettings& s, const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--screen" || argument == "--window" || argument.starts_with("--window=")) {
      app.get_option("SEARCH_FOR")->required(false);
    }
  }
  app.add_flag("--screen", s.screen,
               "Search the screen of the X display that DISPLAY names for SEARCH_FOR (give no "
               "SEARCH_IN); positions are screen coordinates");
  app.add_option_function<std::string>(
         "--window",
         [&s](const std::string& text) {
           s.hasWindow = true;
           ParseWindowId(text, s.window);
         },
         "Search one window, as the screen shows it, for SEARCH_FOR (give no SEARCH_IN); ID is "
         "decimal or 0x hex, as xwininfo prints it; positions are the window's coordinates")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            uint32_t id = 0;
            return ParseWindowId(text, id) ? "" : "expected a window ID (decimal or 0x hex), got '" + text + "'";
          },
          "", ""))
      ->type_name("ID");
  app.add_option("--wait", s.waitSeconds,
                 "With --screen or --window: capture again until a match appears, for up to SECONDS "
                 "(then exit code 1)")
      ->check(CLI::Range(0.0, 1e6).description(""))
      ->type_name("SECONDS");
  app.add_option("--interval", s.intervalMilliseconds, "Time between captures while waiting")
      ->check(CLI::Range(1, 3600000).description(""))
      ->type_name("MILLISECONDS")
      ->default_str("100");
  app.add_flag("--vanish", s.vanish,
               "With --screen or --window: wait (with --wait) until no match remains instead; exit code 0 "
               "once none does");
}

std::string ScreenSettings::TakePictures(FindSettings& find) const {
  if (!Active()) {
    if (waitSeconds > 0 || vanish) return "--wait and --vanish work with --screen or --window";
    return {};
  }
  if (screen && hasWindow) return "give --screen or --window, not both";
  if (!find.searchFor.empty()) return "with --screen or --window, give SEARCH_FOR only (the capture is searched in)";
  find.searchFor = find.searchIn;
  find.searchIn.clear();
  return {};
}

}  // namespace pexora::find
