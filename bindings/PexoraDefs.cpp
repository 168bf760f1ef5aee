#include "PexoraDefs.h"

#include <string>

namespace PexoraDefs {

PlatformLibrary::HMODULE PexoraLibraryHandle = 0;
bool PexoraLibraryLoaded = false;

#define PEXORA_DEFINE_ENTRY_POINT(name, result, parameters) t_##name name = nullptr;
PEXORA_ENTRY_POINTS(PEXORA_DEFINE_ENTRY_POINT)
#undef PEXORA_DEFINE_ENTRY_POINT

namespace {

// Export names are looked up as 8-bit strings; ours are plain ASCII.
std::string Narrow(const char16_t* s) {
  std::string out;
  for (; *s; ++s) out += static_cast<char>(*s);
  return out;
}

template <typename T>
void Resolve(T& entryPoint, const char16_t* name) {
  entryPoint = reinterpret_cast<T>(PlatformLibrary::GetProcAddress(PexoraLibraryHandle, Narrow(name).c_str()));
}

void ForgetEntryPoints() {
#define PEXORA_FORGET(name, result, parameters) name = nullptr;
  PEXORA_ENTRY_POINTS(PEXORA_FORGET)
#undef PEXORA_FORGET
}

}  // namespace

bool InitPexoraLibrary() {
  PexoraLibraryHandle = PlatformLibrary::LoadLibraryW(PexoraLibraryName);
  bool result = PexoraLibraryHandle != 0;
  if (PexoraLibraryHandle != 0) {
#define PEXORA_RESOLVE(name, result, parameters) Resolve(name, NAME_##name);
    PEXORA_ENTRY_POINTS(PEXORA_RESOLVE)
#undef PEXORA_RESOLVE
  }
#define PEXORA_FOUND(name, result, parameters) &&name
  const bool allFound = true PEXORA_ENTRY_POINTS(PEXORA_FOUND);
#undef PEXORA_FOUND
  if (!allFound) {
    if (PexoraLibraryHandle != 0) {
      PlatformLibrary::FreeLibrary(PexoraLibraryHandle);
      PexoraLibraryHandle = 0;
    }
    // The addresses found before the unload point into a library that is gone:
    // none of them may stay callable.
    ForgetEntryPoints();
    result = false;
  }
  if (result) PexoraLibraryLoaded = true;
  return result;
}

bool FreePexoraLibrary() {
  bool result = false;
  if (PexoraLibraryHandle != 0) {
    result = PlatformLibrary::FreeLibrary(PexoraLibraryHandle);
    if (result) {
      PexoraLibraryHandle = 0;
      PexoraLibraryLoaded = false;
    }
  }
  return result;
}

}  // namespace PexoraDefs
