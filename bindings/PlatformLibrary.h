// Loading a shared library by the logical name the programs use for it
// ("Pexora.dll", "FreeImage.dll"), finding its exports and unloading it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace PlatformLibrary {

// Module handle: unsigned and pointer-sized; 0 means none.
using HMODULE = std::uintptr_t;

// The file a logical name stands for on this platform: "Pexora.dll" is
// "libpexora.so", "FreeImage.dll" is "libfreeimage.so.3"; any other "X.dll" is
// "libx.so" and a name without ".dll" is taken as it is.
std::string PlatformFileName(std::u16string_view logicalName);

// Loads the library: first from the first-search folder (by default the folder
// of the running executable), then by the platform's default search. Returns 0
// when it cannot be loaded.
HMODULE LoadLibraryW(std::u16string_view logicalName);

// The address of the export with exactly this (case-sensitive) name, or null.
void* GetProcAddress(HMODULE module, const char* name);

// Unloads the library; true on success.
bool FreeLibrary(HMODULE module);

// The folder searched before the default search. Tests point it at the folder
// of a test library.
std::string FirstSearchFolder();
void SetFirstSearchFolder(std::string folder);

}  // namespace PlatformLibrary
