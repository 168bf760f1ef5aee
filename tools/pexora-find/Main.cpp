// pexora-find SEARCH_IN SEARCH_FOR: where one picture lies in another.
// Exit code 0 when something was found, 1 when nothing, 2 on an error, 128
// plus the signal when SIGINT or SIGTERM stopped it.
// pexora-find --batch SEARCH_FOR PATH...: the same in many pictures.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "BatchCommand.h"
#include "BatchOptions.h"
#include "FindCommand.h"
#include "FindSettings.h"
#include "ScreenFind.h"
#include "ScreenSettings.h"

namespace {

std::string VersionText() {
  const int32_t library = Pexora_GetVersion();
  return "pexora-find " + std::to_string(PX_VERSION_MAJOR) + "." + std::to_string(PX_VERSION_MINOR) + "." +
         std::to_string(PX_VERSION_PATCH) + " (library " + std::to_string(library / 10000) + "." +
         std::to_string(library / 100 % 100) + "." + std::to_string(library % 100) + ")";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pexora::find;
  CLI::App app(
      "Finds where the picture SEARCH_FOR lies in the picture SEARCH_IN (or, with --screen or --window, "
      "on the screen) and prints one line per match (position, size, difference, match percentage), best "
      "first. Exit code: 0 when something was found, 1 when nothing was, 2 on an error, 130 or 143 when "
      "Ctrl-C (SIGINT) or SIGTERM stopped it.",
      "pexora-find");
  app.set_version_flag("--version", VersionText());
  FindSettings settings;
  DefineOptions(app, settings);
  ScreenSettings screen;
  DefineScreenOptions(app, screen, std::vector<std::string>(argv + 1, argv + argc));
  BatchArguments batch;
  const bool batchAsked = BatchAsked(argc, argv);
  DefineBatchOptions(app, batch, batchAsked);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? 0 : kExitError;
  }
  if (batchAsked && screen.Active()) {
    std::cerr << "pexora-find: --batch searches picture files, not the screen: give --batch or --screen/--window"
              << "\nRun with --help for more information.\n";
    return kExitError;
  }
  if (const std::string problem = screen.TakePictures(settings); !problem.empty()) {
    std::cerr << "pexora-find: " << problem << "\nRun with --help for more information.\n";
    return kExitError;
  }
  if (const std::string problem = settings.Problem(); !problem.empty()) {
    std::cerr << "pexora-find: " << problem << '\n';
    return kExitError;
  }
  try {
    const bool terminal = isatty(STDERR_FILENO) == 1;
    if (batchAsked) return RunBatch(settings, batch.searchFor, batch.paths, std::cout, std::cerr, terminal);
    if (screen.Active()) return RunScreenFind(settings, screen, std::cout, std::cerr, terminal);
    return RunFind(settings, std::cout, std::cerr, terminal);
  } catch (const std::exception& error) {
    std::cerr << "pexora-find: " << error.what() << '\n';
    return kExitError;
  }
}
