// A search object created from a file through the library's exports, freed
// with this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ToUtf16.h"
#include "pexora/pexora.h"

namespace pexora::test {

// The two exports an object needs: those the program links, or those of a
// build of the library it loaded at run time.
struct ObjectExports {
  int32_t(PX_CALL* create)(TPXObject*, TPXCreateObjectParameters) = nullptr;
  int32_t(PX_CALL* free)(TPXObject*) = nullptr;
};

#ifndef PX_NO_PROTOTYPES
inline ObjectExports LinkedExports() { return {Pexora_CreateObject, Pexora_FreeObject}; }
#endif

// Keeps the file's name for as long as the object lives; `code` is what the
// creation returned (-1 for an object never created).
struct CreatedObject {
  std::u16string name;
  TPXObject record{};
  int32_t code = -1;

#ifndef PX_NO_PROTOTYPES
  CreatedObject() : exports_(LinkedExports()) {}
  CreatedObject(const std::filesystem::path& path, TPXCreateObjectParameters parameters = {})
      : CreatedObject(path, parameters, LinkedExports()) {}
#endif
  CreatedObject(const std::filesystem::path& path, TPXCreateObjectParameters parameters, ObjectExports exports)
      : name(ToUtf16(path.string())), file_(path.string()), exports_(exports) {
    record.FileName = name.c_str();
    code = exports_.create(&record, parameters);
  }
  CreatedObject(const CreatedObject&) = delete;
  CreatedObject& operator=(const CreatedObject&) = delete;
  ~CreatedObject() {
    if (record.ImageObject != nullptr) exports_.free(&record);
  }

  // For programs that cannot go on without the object.
  void ThrowUnlessCreated() const {
    if (code != PX_OK) {
      throw std::runtime_error("cannot create an object of " + file_ + " (code " + std::to_string(code) + ")");
    }
  }

 private:
  std::string file_;
  ObjectExports exports_;
};

}  // namespace pexora::test
