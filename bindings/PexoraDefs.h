// Run-time binding of the Pexora search library ("Pexora.dll"): its records and
// constants come from the library's public header; this unit loads the library
// when the program starts, resolves its five entry points and unloads it at the
// end. Nothing links against the library.
#pragma once

#define PX_NO_PROTOTYPES
#include <pexora/pexora.h>

#include "PlatformLibrary.h"

namespace PexoraDefs {

inline constexpr const char16_t* PexoraLibraryName = u"Pexora.dll";

// The five entry points, in the order they are resolved: the name of the
// variable and of the export, the result and the parameters.
#define PEXORA_ENTRY_POINTS(X)                                                                                      \
  X(Pexora_CreateObject, int32_t, (TPXObject * Object, TPXCreateObjectParameters Parameters))                       \
  X(Pexora_FreeObject, int32_t, (TPXObject * Object))                                                               \
  X(Pexora_Compare, int32_t,                                                                                        \
    (TPXObject SearchIn, TPXObject SearchFor, TPXProcessParameters Parameters, TPXResult * Result, void* Reserved)) \
  X(Pexora_FreeResult, TPXBool32, (TPXResult * Result))                                                             \
  X(Pexora_CreateObjectFromBitmapHandle, int32_t, (TPXObject * Object, TPXCreateObjectParameters Parameters))

// For each entry point: its procedure type t_..., its export-name constant
// NAME_... and its variable, null while the library is not bound. The
// variables may only be called while PexoraLibraryLoaded is true.
#define PEXORA_DECLARE_ENTRY_POINT(name, result, parameters) \
  using t_##name = result(PX_CALL*) parameters;              \
  inline constexpr const char16_t* NAME_##name = u"" #name;  \
  extern t_##name name;
PEXORA_ENTRY_POINTS(PEXORA_DECLARE_ENTRY_POINT)
#undef PEXORA_DECLARE_ENTRY_POINT

extern PlatformLibrary::HMODULE PexoraLibraryHandle;
extern bool PexoraLibraryLoaded;

// Loads the library and resolves all five entry points; true when every one was
// found. A library that lacks one is unloaded at once.
bool InitPexoraLibrary();
// Unloads a loaded library; true when it was unloaded.
bool FreePexoraLibrary();

}  // namespace PexoraDefs
