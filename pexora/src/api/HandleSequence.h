// The handles given to callers: a keyed permutation of 1, 2, 3, ... over the
// whole width of a pointer. A permutation never repeats a value, so handles
// are never reused; its keys are drawn at random for each process, so one
// handle tells nothing about the next, nor about another run's.
#pragma once

#include <array>
#include <cstdint>

namespace pexora {

class HandleSequence {
 public:
  HandleSequence();

  // The next handle; never 0 and never one given before.
  uintptr_t Next();

 private:
  uintptr_t Permute(uintptr_t value) const;

  std::array<uint64_t, 4> keys_{};
  uintptr_t counter_ = 0;
};

}  // namespace pexora
