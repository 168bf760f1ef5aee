// The command line of batch mode: --batch SEARCH_FOR PATH..., where the
// positional arguments are all pictures or folders to search in.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace pexora::find {

struct BatchArguments {
  std::string searchFor;
  std::vector<std::string> paths;
};

// Whether the command line asks for batch mode (--batch before any "--").
bool BatchAsked(int argc, const char* const* argv);

// Declares --batch on `app`, after DefineOptions; when `asked`, the
// positional arguments SEARCH_IN and SEARCH_FOR make way for PATH....
void DefineBatchOptions(CLI::App& app, BatchArguments& batch, bool asked);

}  // namespace pexora::find
