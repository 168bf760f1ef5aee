// The live search objects and match arrays, by the handles given to callers.
//
// Handles are numbers that are never reused and hard to guess
// (HandleSequence), so a stale or made-up handle is simply not found; nothing
// a caller passes is dereferenced before it is.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "api/HandleSequence.h"
#include "image/SearchObject.h"
#include "pexora/pexora.h"

namespace pexora {

class ObjectRegistry {
 public:
  // The one registry of the process; it outlives static destruction.
  static ObjectRegistry& Instance();

  void* Add(std::shared_ptr<const SearchObject> object);
  // The object, or null when the handle is not a live object.
  std::shared_ptr<const SearchObject> Find(const void* handle) const;
  // False when the handle is not a live object.
  bool Remove(const void* handle);

  // Registers a match array and returns the number that identifies this
  // result among all results of the process (never 0). The allocator may hand
  // a later result the same address; the number tells the two apart.
  int32_t AddMatches(const TPXResultMatches* matches);
  // False, and nothing forgotten, unless the array is a live one that this
  // library handed out with exactly this number.
  bool RemoveMatches(const TPXResultMatches* matches, int32_t number);

 private:
  mutable std::mutex mutex_;
  HandleSequence handles_;
  std::unordered_map<uintptr_t, std::shared_ptr<const SearchObject>> objects_;
  uint32_t lastResultNumber_ = 0;
  std::unordered_map<const TPXResultMatches*, int32_t> matches_;
};

}  // namespace pexora
