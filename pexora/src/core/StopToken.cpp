#include "core/StopToken.h"

#include "core/StatusError.h"

namespace pexora {

StopToken::StopToken(Clock::time_point deadline, int32_t timeCode, std::function<bool()> interrupt, int32_t stoppedCode)
    : watched_(deadline != Clock::time_point::max() || interrupt),
      deadline_(deadline),
      timeCode_(timeCode),
      stoppedCode_(stoppedCode),
      interrupt_(std::move(interrupt)),
      caller_(std::this_thread::get_id()) {}

const StopToken& StopToken::Never() {
  static const StopToken* const never = new StopToken();
  return *never;
}

void StopToken::Request(int32_t code) const {
  int32_t none = 0;
  code_.compare_exchange_strong(none, code);
}

void StopToken::Throw() const { throw StatusError(code_.load()); }

void StopToken::Watch() const {
  const Clock::time_point now = Clock::now();
  if (now >= deadline_) {
    Request(timeCode_);
    Throw();
  }
  if (!interrupt_ || std::this_thread::get_id() != caller_ || now < nextPoll_) return;
  nextPoll_ = now + kPollInterval;
  if (interrupt_()) {
    Request(stoppedCode_);
    Throw();
  }
}

}  // namespace pexora
