// The live search objects and match arrays, by the handles given to callers.
//
// Handles are numbers that are never reused, so a stale or made-up handle is
// simply not found; nothing a caller passes is dereferenced before it is.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "SearchObject.h"
#include "pexora/pexora.h"

namespace pexora {

class ObjectRegistry {
 public:
  static ObjectRegistry& Instance();

  void* Add(std::shared_ptr<const SearchObject> object);
  // The object, or null when the handle is not a live object.
  std::shared_ptr<const SearchObject> Find(const void* handle) const;
  // False when the handle is not a live object.
  bool Remove(const void* handle);

  void AddMatches(const TPXResultMatches* matches);
  // False when the array is not one that this library handed out.
  bool RemoveMatches(const TPXResultMatches* matches);

 private:
  mutable std::mutex mutex_;
  uintptr_t nextHandle_ = 0x10000;
  std::unordered_map<uintptr_t, std::shared_ptr<const SearchObject>> objects_;
  std::unordered_set<const TPXResultMatches*> matches_;
};

}  // namespace pexora
