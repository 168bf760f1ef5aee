#include "decode/XcbLibrary.h"

#include <dlfcn.h>

namespace pexora {

namespace {

// dlsym into a typed pointer; false when the symbol is missing.
template <typename Pointer>
bool Resolve(void* library, const char* name, Pointer& into) {
  void* const symbol = dlsym(library, name);
  into = reinterpret_cast<Pointer>(symbol);
  return symbol != nullptr;
}

XcbLibrary* Load() {
  // RTLD_LOCAL: the process's own X libraries, if it has any, see none of
  // these names; RTLD_NODELETE: the library stays while the process lives.
  void* const core = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (core == nullptr) return nullptr;
  auto* const xcb = new XcbLibrary;
  bool complete = true;
#define PEXORA_XCB_RESOLVE(name) complete = Resolve(core, #name, xcb->name) && complete;
  PEXORA_XCB_FUNCTIONS(PEXORA_XCB_RESOLVE)
  if (!complete) {
    delete xcb;
    return nullptr;
  }
  // Without the shared-memory extension's library, captures take the plain
  // image request.
  if (void* const shm = dlopen("libxcb-shm.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
    XcbLibrary withShm = *xcb;
    bool shmComplete = Resolve(shm, "xcb_shm_id", withShm.shmExtension);
#define PEXORA_XCB_RESOLVE_SHM(name) shmComplete = Resolve(shm, #name, withShm.name) && shmComplete;
    PEXORA_XCB_SHM_FUNCTIONS(PEXORA_XCB_RESOLVE_SHM)
#undef PEXORA_XCB_RESOLVE_SHM
    if (shmComplete) *xcb = withShm;
  }
#undef PEXORA_XCB_RESOLVE
  return xcb;
}

}  // namespace

const XcbLibrary* BindXcb() {
  static const XcbLibrary* const bound = Load();
  return bound;
}

}  // namespace pexora
