// The one way work is shared between threads: indices handed out in order,
// the calling thread working too and reporting between its units.
#pragma once

#include <cstddef>
#include <functional>

namespace pexora {

// Runs body(0) .. body(count - 1) on up to `threads` threads, the calling
// thread being one of them. `onCaller` runs on the calling thread only:
// after each of its own units and, once no unit is left, every few
// milliseconds while it waits for the others. The first exception, from a
// unit or from onCaller, stops the handing out; every thread is joined
// before it is rethrown here.
void RunShared(size_t count, unsigned threads, const std::function<void(size_t)>& body,
               const std::function<void()>& onCaller);

}  // namespace pexora
