// pexora-find SEARCH_IN SEARCH_FOR: where one picture lies in another.
// Exit code 0 when something was found, 1 when nothing, 2 on an error.
// pexora-find --batch SEARCH_FOR PATH...: the same in many pictures.
#include <unistd.h>

#include <iostream>

#include "BatchCommand.h"
#include "BatchOptions.h"
#include "FindCommand.h"
#include "FindSettings.h"

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
      "Finds where the picture SEARCH_FOR lies in the picture SEARCH_IN and prints one line per match "
      "(position, size, difference, match percentage), best first. Exit code: 0 when something was "
      "found, 1 when nothing was, 2 on an error.",
      "pexora-find");
  app.set_version_flag("--version", VersionText());
  FindSettings settings;
  DefineOptions(app, settings);
  BatchArguments batch;
  const bool batchAsked = BatchAsked(argc, argv);
  DefineBatchOptions(app, batch, batchAsked);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? 0 : kExitError;
  }
  if (const std::string problem = settings.Problem(); !problem.empty()) {
    std::cerr << "pexora-find: " << problem << '\n';
    return kExitError;
  }
  try {
    if (batchAsked) {
      return RunBatch(settings, batch.searchFor, batch.paths, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    }
    return RunFind(settings, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  } catch (const std::exception& error) {
    std::cerr << "pexora-find: " << error.what() << '\n';
    return kExitError;
  }
}
