#include "BatchOptions.h"

#include <string_view>

namespace pexora::find {

bool BatchAsked(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") return false;
    if (argument == "--batch" || argument.starts_with("--batch=")) return true;
  }
  return false;
}

void DefineBatchOptions(CLI::App& app, BatchArguments& batch, bool asked) {
  app.add_option("--batch", batch.searchFor,
                 "Search for SEARCH_FOR in many pictures: the positional arguments are then PATH..., each a "
                 "picture or a folder searched at any depth for PNG, JPEG, BMP, GIF and TIFF files; several "
                 "pictures are searched at once, each with the options given. Prints 'FILE: position ...' lines "
                 "(with --json one object a picture, {\"file\":..,\"matches\":[..]} or "
                 "{\"file\":..,\"error\":..}); a picture that fails is reported and the batch goes on. Exit "
                 "code: 0 when some picture had a match, 1 when none had, 2 when every picture failed")
      ->type_name("SEARCH_FOR");
  if (!asked) return;
  app.remove_option(app.get_option("SEARCH_IN"));
  app.remove_option(app.get_option("SEARCH_FOR"));
  app.add_option("PATH", batch.paths, "Pictures, and folders of pictures, to search in")->required();
}

}  // namespace pexora::find
