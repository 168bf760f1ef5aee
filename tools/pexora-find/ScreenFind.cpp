#include "ScreenFind.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "FindCommand.h"
#include "LoadedPicture.h"
#include "MatchReport.h"
#include "ProgressBar.h"

namespace pexora::find {

namespace {

// A search object, freed with this.
struct Object {
  TPXObject record{};
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  ~Object() {
    if (record.ImageObject != nullptr) Pexora_FreeObject(&record);
  }
};

std::string WindowName(uint32_t window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%x", window);
  return text;
}

// Why a capture failed, in the user's words.
std::string CaptureFailure(const ScreenSettings& screen, int32_t code) {
  const std::string what = screen.hasWindow ? "window " + WindowName(screen.window) : std::string("the screen");
  if (code == PX_ERROR_NOT_AVAILABLE) {
    const char* const display = std::getenv("DISPLAY");
    const std::string where = display == nullptr || *display == '\0'
                                  ? std::string("DISPLAY is not set")
                                  : "cannot connect to the X display '" + std::string(display) + "'";
    return "cannot capture " + what + ": no X display (" + where + ")";
  }
  if (code == PX_ERROR_LOADING) {
    return "cannot capture " + what + ": no such window, or it is not shown: " + FailureText(code);
  }
  return "cannot capture " + what + ": " + FailureText(code);
}

}  // namespace

int RunScreenFind(const FindSettings& settings, const ScreenSettings& screen, std::ostream& out, std::ostream& err,
                  bool progressBar) {
  LoadedPicture searchFor(settings.searchFor, settings.CreateParameters(settings.resampleFor));
  if (searchFor.error()) {
    err << "pexora-find: cannot load SEARCH_FOR '" << settings.searchFor << "': " << *searchFor.error() << '\n';
    return kExitError;
  }

  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::duration<double>(screen.waitSeconds);
  const auto interval = std::chrono::milliseconds(screen.intervalMilliseconds);
  const bool waiting = screen.waitSeconds > 0;
  TPXSearchOptions options = settings.SearchOptions();
  for (auto next = start;; next += interval) {
    Object capture;
    capture.record.ImageObject = reinterpret_cast<void*>(static_cast<uintptr_t>(screen.Drawable()));
    if (const int32_t code =
            Pexora_CreateObjectFromBitmapHandle(&capture.record, settings.CreateParameters(settings.resampleIn));
        code != PX_OK) {
      capture.record.ImageObject = nullptr;  // still the XID: nothing to free
      err << "pexora-find: " << CaptureFailure(screen, code) << '\n';
      return kExitError;
    }
    ProgressBar bar(progressBar && !waiting);
    capture.record.User = &bar;
    TPXProcessParameters parameters = settings.ProcessParameters();
    parameters.StatusCallback = &ProgressBar::Report;
    OwnedResult owned;
    if (const int32_t code = Pexora_Compare(capture.record, searchFor.record(), parameters, &owned.result, &options);
        code != PX_OK) {
      const TPXDimensions in = capture.record.ProcessedDimensions;
      const TPXDimensions of = searchFor.record().ProcessedDimensions;
      err << "pexora-find: cannot search for '" << settings.searchFor << "' (" << of.Width << 'x' << of.Height
          << ") in " << (screen.hasWindow ? "window " + WindowName(screen.window) : std::string("the screen")) << " ("
          << in.Width << 'x' << in.Height << "): " << FailureText(code) << '\n';
      return kExitError;
    }
    const bool done = owned.Found() != screen.vanish;
    if (done || !waiting || next + interval > deadline) {
      if (settings.json) {
        PrintJson(owned.result, out);
      } else {
        PrintText(owned.result, out);
      }
      return done ? kExitFound : kExitNothingFound;
    }
    std::this_thread::sleep_until(next + interval);
  }
}

}  // namespace pexora::find
