#include "PexoraDefs.h"

#include <string>

namespace PexoraDefs {

PlatformLibrary::HMODULE PexoraLibraryHandle = 0;
bool PexoraLibraryLoaded = false;

t_Pexora_CreateObject Pexora_CreateObject = nullptr;
t_Pexora_FreeObject Pexora_FreeObject = nullptr;
t_Pexora_Compare Pexora_Compare = nullptr;
t_Pexora_FreeResult Pexora_FreeResult = nullptr;
t_Pexora_CreateObjectFromBitmapHandle Pexora_CreateObjectFromBitmapHandle = nullptr;

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
  Pexora_CreateObject = nullptr;
  Pexora_FreeObject = nullptr;
  Pexora_Compare = nullptr;
  Pexora_FreeResult = nullptr;
  Pexora_CreateObjectFromBitmapHandle = nullptr;
}

}  // namespace

bool InitPexoraLibrary() {
  PexoraLibraryHandle = PlatformLibrary::LoadLibraryW(PexoraLibraryName);
  bool result = PexoraLibraryHandle != 0;
  if (PexoraLibraryHandle != 0) {
    Resolve(Pexora_CreateObject, NAME_Pexora_CreateObject);
    Resolve(Pexora_FreeObject, NAME_Pexora_FreeObject);
    Resolve(Pexora_Compare, NAME_Pexora_Compare);
    Resolve(Pexora_FreeResult, NAME_Pexora_FreeResult);
    Resolve(Pexora_CreateObjectFromBitmapHandle, NAME_Pexora_CreateObjectFromBitmapHandle);
  }
  if (!Pexora_CreateObject || !Pexora_FreeObject || !Pexora_Compare || !Pexora_FreeResult ||
      !Pexora_CreateObjectFromBitmapHandle) {
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
