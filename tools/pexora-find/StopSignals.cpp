#include "StopSignals.h"

namespace pexora::find {

namespace {

volatile std::sig_atomic_t received = 0;

extern "C" void Catch(int signal) {
  if (received == 0) received = signal;
}

}  // namespace

StopSignals::StopSignals() {
  struct sigaction action {};
  action.sa_handler = Catch;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousInterrupt_);
  sigaction(SIGTERM, &action, &previousTerminate_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previousInterrupt_, nullptr);
  sigaction(SIGTERM, &previousTerminate_, nullptr);
}

int StopSignals::Received() { return received; }

int32_t PX_CALL StopSignals::Interrupted(void*) { return received != 0 ? 1 : 0; }

}  // namespace pexora::find
