// Calls into the search library through the binding's entry points. An entry
// point that was never resolved (the library did not load) is not called: the
// call answers PX_ERROR_NOT_AVAILABLE, which the handlers log like any code.
#pragma once

#include "PexoraDefs.h"

namespace LibraryCalls {

template <typename EntryPoint, typename... Args>
std::int32_t Call(EntryPoint entryPoint, Args... args) {
  if (!entryPoint) return PX_ERROR_NOT_AVAILABLE;
  return entryPoint(args...);
}

}  // namespace LibraryCalls
