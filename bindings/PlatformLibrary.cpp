#include "PlatformLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <optional>

namespace PlatformLibrary {
namespace {

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string s(path, static_cast<std::size_t>(n));
  const auto slash = s.rfind('/');
  return slash == std::string::npos ? std::string{} : s.substr(0, slash);
}

std::optional<std::string>& FirstFolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

std::string Ascii(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '_';
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::string PlatformFileName(std::u16string_view logicalName) {
  const std::string name = Ascii(logicalName);
  const std::string lower = Lower(name);
  if (lower == "freeimage.dll") return "libfreeimage.so.3";
  if (lower.size() > 4 && lower.ends_with(".dll")) return "lib" + lower.substr(0, lower.size() - 4) + ".so";
  return name;
}

std::string FirstSearchFolder() {
  if (FirstFolderOverride()) return *FirstFolderOverride();
  return ExecutableFolder();
}

void SetFirstSearchFolder(std::string folder) { FirstFolderOverride() = std::move(folder); }

HMODULE LoadLibraryW(std::u16string_view logicalName) {
  const std::string file = PlatformFileName(logicalName);
  if (file.empty()) return 0;
  const std::string folder = FirstSearchFolder();
  void* h = nullptr;
  if (!folder.empty()) {
    const std::string path = folder + "/" + file;
    if (access(path.c_str(), F_OK) == 0) h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (!h) h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  return reinterpret_cast<HMODULE>(h);
}

void* GetProcAddress(HMODULE module, const char* name) {
  if (!module || !name) return nullptr;
  return dlsym(reinterpret_cast<void*>(module), name);
}

bool FreeLibrary(HMODULE module) {
  if (!module) return false;
  return dlclose(reinterpret_cast<void*>(module)) == 0;
}

}  // namespace PlatformLibrary
