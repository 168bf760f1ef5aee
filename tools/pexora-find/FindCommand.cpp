#include "FindCommand.h"

#include <string>

#include "LoadedPicture.h"
#include "MatchReport.h"
#include "ProgressBar.h"

namespace pexora::find {

int RunFind(const FindSettings& settings, std::ostream& out, std::ostream& err, bool progressBar) {
  LoadedPicture searchIn(settings.searchIn, settings.CreateParameters(settings.resampleIn));
  if (searchIn.error()) {
    err << "pexora-find: cannot load SEARCH_IN '" << settings.searchIn << "': " << *searchIn.error() << '\n';
    return kExitError;
  }
  LoadedPicture searchFor(settings.searchFor, settings.CreateParameters(settings.resampleFor));
  if (searchFor.error()) {
    err << "pexora-find: cannot load SEARCH_FOR '" << settings.searchFor << "': " << *searchFor.error() << '\n';
    return kExitError;
  }

  ProgressBar bar(progressBar);
  searchIn.record().User = &bar;
  TPXProcessParameters parameters = settings.ProcessParameters();
  parameters.StatusCallback = &ProgressBar::Report;
  TPXSearchOptions options = settings.SearchOptions();
  OwnedResult owned;
  const int32_t code = Pexora_Compare(searchIn.record(), searchFor.record(), parameters, &owned.result, &options);
  if (code != PX_OK) {
    const TPXDimensions in = searchIn.record().ProcessedDimensions;
    const TPXDimensions of = searchFor.record().ProcessedDimensions;
    err << "pexora-find: cannot search for '" << settings.searchFor << "' (" << of.Width << 'x' << of.Height << ") in '"
        << settings.searchIn << "' (" << in.Width << 'x' << in.Height << "): " << FailureText(code) << '\n';
    return kExitError;
  }
  if (settings.json) {
    PrintJson(owned.result, out);
  } else {
    PrintText(owned.result, out);
  }
  return owned.result.Success != 0 && owned.result.MatchCount > 0 ? kExitFound : kExitNothingFound;
}

}  // namespace pexora::find
