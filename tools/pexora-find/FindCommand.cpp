#include "FindCommand.h"

#include <string>

#include "LoadedPicture.h"
#include "MatchReport.h"
#include "ProgressBar.h"
#include "StopSignals.h"

namespace pexora::find {

int RunFind(const FindSettings& settings, std::ostream& out, std::ostream& err, bool progressBar) {
  // Caught from here to the last line written: a signal stops the search,
  // and the output is either whole or not written at all. Loading runs to
  // its end (the library bounds it by the size limits).
  const StopSignals signals;
  LoadedPicture searchIn(settings.searchIn, settings.CreateParameters(settings.resampleIn));
  if (searchIn.error()) {
    err << "pexora-find: cannot load SEARCH_IN '" << settings.searchIn << "': " << *searchIn.error() << '\n';
    return kExitError;
  }
  if (StopSignals::Received() != 0) return ExitCodeFor(StopSignals::Received());
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
  options.InterruptCallback = &StopSignals::Interrupted;
  OwnedResult owned;
  const int32_t code = Pexora_Compare(searchIn.record(), searchFor.record(), parameters, &owned.result, &options);
  if (StopSignals::Received() != 0) return ExitCodeFor(StopSignals::Received());
  if (code == PX_ERROR_TIME_LIMIT) {
    err << "pexora-find: the search took longer than its time limit (--timeout " << settings.timeout << " s)\n";
    return kExitError;
  }
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
  out.flush();
  if (StopSignals::Received() != 0) return ExitCodeFor(StopSignals::Received());
  return owned.Found() ? kExitFound : kExitNothingFound;
}

}  // namespace pexora::find
