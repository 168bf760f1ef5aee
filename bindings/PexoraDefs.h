// Run-time binding of the Pexora search library ("Pexora.dll"): its records and
// constants come from the library's public header; this unit loads the library
// when the program starts, resolves its five entry points and unloads it at the
// end. Nothing links against the library.
#pragma once

#define PX_NO_PROTOTYPES
#include <pexora/pexora.h>

#include "PlatformLibrary.h"

namespace PexoraDefs {

using t_Pexora_CreateObject = int32_t(PX_CALL*)(TPXObject* Object, TPXCreateObjectParameters Parameters);
using t_Pexora_FreeObject = int32_t(PX_CALL*)(TPXObject* Object);
using t_Pexora_Compare = int32_t(PX_CALL*)(TPXObject SearchIn, TPXObject SearchFor,
                                           TPXProcessParameters Parameters, TPXResult* Result,
                                           void* Reserved);
using t_Pexora_FreeResult = TPXBool32(PX_CALL*)(TPXResult* Result);
using t_Pexora_CreateObjectFromBitmapHandle = int32_t(PX_CALL*)(TPXObject* Object,
                                                                TPXCreateObjectParameters Parameters);

inline constexpr const char16_t* PexoraLibraryName = u"Pexora.dll";

inline constexpr const char16_t* NAME_Pexora_CreateObject = u"Pexora_CreateObject";
inline constexpr const char16_t* NAME_Pexora_FreeObject = u"Pexora_FreeObject";
inline constexpr const char16_t* NAME_Pexora_Compare = u"Pexora_Compare";
inline constexpr const char16_t* NAME_Pexora_FreeResult = u"Pexora_FreeResult";
inline constexpr const char16_t* NAME_Pexora_CreateObjectFromBitmapHandle =
    u"Pexora_CreateObjectFromBitmapHandle";

extern PlatformLibrary::HMODULE PexoraLibraryHandle;
extern bool PexoraLibraryLoaded;

// The entry points; null while the library is not bound. They may only be
// called while PexoraLibraryLoaded is true.
extern t_Pexora_CreateObject Pexora_CreateObject;
extern t_Pexora_FreeObject Pexora_FreeObject;
extern t_Pexora_Compare Pexora_Compare;
extern t_Pexora_FreeResult Pexora_FreeResult;
extern t_Pexora_CreateObjectFromBitmapHandle Pexora_CreateObjectFromBitmapHandle;

// Loads the library and resolves all five entry points; true when every one was
// found. A library that lacks one is unloaded at once.
bool InitPexoraLibrary();
// Unloads a loaded library; true when it was unloaded.
bool FreePexoraLibrary();

}  // namespace PexoraDefs
