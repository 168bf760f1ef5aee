// Ctrl-C (SIGINT) and SIGTERM while pexora-find searches: caught, so that
// the library stops the search and the tool exits in order, with the
// shell's code for the signal and no half-written output.
#pragma once

#include <csignal>
#include <cstdint>

#include "pexora/pexora.h"

namespace pexora::find {

class StopSignals {
 public:
  // Catches both signals until destroyed; the earlier handlers come back then.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The signal that came first, 0 while none has.
  static int Received();

  // The interrupt callback of the search options: non-zero once a signal came.
  static int32_t PX_CALL Interrupted(void* user);

 private:
  struct sigaction previousInterrupt_ {
  }, previousTerminate_{};
};

// The exit code of a program that a signal stopped: 128 plus its number.
inline int ExitCodeFor(int signal) { return 128 + signal; }

}  // namespace pexora::find
