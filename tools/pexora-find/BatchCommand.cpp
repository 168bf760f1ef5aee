#include "BatchCommand.h"

#include <malloc.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

#include "BatchProgress.h"
#include "FindCommand.h"
#include "JsonString.h"
#include "LoadedPicture.h"
#include "MatchReport.h"
#include "OrderedWork.h"
#include "PictureWalk.h"
#include "StopSignals.h"

namespace pexora::find {

namespace {

// Results kept per thread beyond the one being printed.
constexpr size_t kAheadPerThread = 4;

// Each picture's decoding and search take some tens of MiB that glibc would
// give back to the system when the picture is done and fault in again for the
// next one: a third of a batch's time went to the kernel that way. Kept, they
// serve the next picture of the same thread.
void KeepFreedMemoryForTheNextPicture() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

struct Outcome {
  std::optional<std::string> error;
  std::vector<TPXResultMatches> matches;
};

// What the search of every picture shares: the search-for object (the library
// lets several comparisons use one object at once) and the records.
struct SharedSearch {
  const FindSettings& settings;
  const std::string& searchForPath;
  LoadedPicture& searchFor;
  TPXProcessParameters parameters;
  TPXSearchOptions options;
};

Outcome SearchOne(const SharedSearch& shared, const WalkedPicture& picture) {
  Outcome outcome;
  if (picture.error) {
    outcome.error = *picture.error;
    return outcome;
  }
  // After a stop signal the pictures not begun are left alone.
  if (StopSignals::Received() != 0) return outcome;
  try {
    LoadedPicture searchIn(picture.path, shared.settings.CreateParameters(shared.settings.resampleIn));
    if (searchIn.error()) {
      outcome.error = "cannot load: " + *searchIn.error();
      return outcome;
    }
    OwnedResult owned;
    TPXSearchOptions options = shared.options;
    const int32_t code =
        Pexora_Compare(searchIn.record(), shared.searchFor.record(), shared.parameters, &owned.result, &options);
    if (code != PX_OK) {
      const TPXDimensions in = searchIn.record().ProcessedDimensions;
      const TPXDimensions of = shared.searchFor.record().ProcessedDimensions;
      outcome.error = "cannot search for '" + shared.searchForPath + "' (" + std::to_string(of.Width) + 'x' +
                      std::to_string(of.Height) + ") in it (" + std::to_string(in.Width) + 'x' +
                      std::to_string(in.Height) + "): " + FailureText(code);
      return outcome;
    }
    if (owned.result.Success != 0 && owned.result.Matches != nullptr && owned.result.MatchCount > 0) {
      outcome.matches.assign(owned.result.Matches, owned.result.Matches + owned.result.MatchCount);
    }
  } catch (const std::exception& error) {
    outcome.error = error.what();
  }
  return outcome;
}

void Print(const FindSettings& settings, const WalkedPicture& picture, Outcome& outcome, std::ostream& out,
           std::ostream& err) {
  TPXResult result{};
  if (!outcome.matches.empty()) {
    result.Success = -1;
    result.MatchCount = static_cast<int32_t>(outcome.matches.size());
    result.Matches = outcome.matches.data();
  }
  if (settings.json) {
    out << "{\"file\":" << JsonString(picture.path);
    if (outcome.error) {
      out << ",\"error\":" << JsonString(*outcome.error);
    } else {
      out << ",\"matches\":";
      PrintJsonMatches(result, out);
    }
    out << "}\n";
  } else if (outcome.error) {
    err << "pexora-find: " << picture.path << ": " << *outcome.error << '\n';
  } else {
    PrintText(result, out, picture.path + ": ");
  }
  out.flush();
}

}  // namespace

int RunBatch(const FindSettings& settings, const std::string& searchForPath, const std::vector<std::string>& paths,
             std::ostream& out, std::ostream& err, bool progressBar) {
  LoadedPicture searchFor(searchForPath, settings.CreateParameters(settings.resampleFor));
  if (searchFor.error()) {
    err << "pexora-find: cannot load SEARCH_FOR '" << searchForPath << "': " << *searchFor.error() << '\n';
    return kExitError;
  }
  const std::vector<WalkedPicture> pictures = WalkPictures(paths);
  if (pictures.empty()) {
    err << "pexora-find: no pictures to search in (PNG, JPEG, BMP, GIF or TIFF files)\n";
    return kExitNothingFound;
  }
  KeepFreedMemoryForTheNextPicture();
  const StopSignals signals;
  SharedSearch shared{settings, searchForPath, searchFor, settings.ProcessParameters(), settings.SearchOptions()};
  shared.options.InterruptCallback = &StopSignals::Interrupted;
  // The pictures are spread over the threads; each search keeps to its own.
  shared.parameters.MultiThreadedProcessing = 0;
  const unsigned threads = settings.allThreads ? std::max(1u, std::thread::hardware_concurrency()) : 1u;

  BatchProgress progress(progressBar, pictures.size());
  size_t matched = 0, failed = 0, at = 0;
  RunInOrder<Outcome>(
      pictures.size(), threads, threads * kAheadPerThread, [&](size_t i) { return SearchOne(shared, pictures[i]); },
      [&](Outcome& outcome) {
        progress.Erase();
        // Once a stop signal came, nothing more is printed: a picture whose
        // search it cut short has no outcome to tell.
        if (StopSignals::Received() != 0) return;
        Print(settings, pictures[at++], outcome, out, err);
        if (outcome.error) ++failed;
        if (!outcome.matches.empty()) ++matched;
        progress.Count(!outcome.matches.empty());
      });
  if (StopSignals::Received() != 0) return ExitCodeFor(StopSignals::Received());
  if (matched > 0) return kExitFound;
  return failed == pictures.size() ? kExitError : kExitNothingFound;
}

}  // namespace pexora::find
