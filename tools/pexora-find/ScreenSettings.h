// What pexora-find searches when it searches the screen: the options that
// capture the screen of DISPLAY or one window, and wait for a match to
// appear or to go.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "FindSettings.h"

namespace pexora::find {

struct ScreenSettings {
  bool screen = false;
  bool hasWindow = false;
  uint32_t window = 0;     // an XID
  double waitSeconds = 0;  // 0: capture once
  int intervalMilliseconds = 100;
  bool vanish = false;

  // Whether the search-in picture is a capture rather than a file.
  bool Active() const { return screen || hasWindow; }
  // The drawable to capture: the window, or 0 for the whole screen.
  uint32_t Drawable() const { return hasWindow ? window : 0; }

  // What is wrong with the pictures named with these options, or empty. A
  // capture takes one picture, SEARCH_FOR, which arrives in find.searchIn
  // (the first name on the command line) and is moved to find.searchFor.
  std::string TakePictures(FindSettings& find) const;
};

// "1234" or "0x4d2": a window's XID, as xwininfo and xdotool print it.
bool ParseWindowId(const std::string& text, uint32_t& into);

// Declares --screen, --window, --wait, --interval and --vanish on `app`.
// When the command line `arguments` names --screen or --window, SEARCH_FOR
// is no longer required: the one picture named lands in SEARCH_IN, which
// stays required so that options of several values leave it alone, and
// TakePictures moves it.
void DefineScreenOptions(CLI::App& app, ScreenSettings& settings, const std::vector<std::string>& arguments);

}  // namespace pexora::find
