#include "ObjectRegistry.h"

namespace pexora {

ObjectRegistry& ObjectRegistry::Instance() {
  static ObjectRegistry registry;
  return registry;
}

void* ObjectRegistry::Add(std::shared_ptr<const SearchObject> object) {
  std::lock_guard lock(mutex_);
  const uintptr_t handle = nextHandle_;
  objects_.emplace(handle, std::move(object));
  nextHandle_ += 0x10;
  return reinterpret_cast<void*>(handle);
}

std::shared_ptr<const SearchObject> ObjectRegistry::Find(const void* handle) const {
  std::lock_guard lock(mutex_);
  const auto found = objects_.find(reinterpret_cast<uintptr_t>(handle));
  return found == objects_.end() ? nullptr : found->second;
}

bool ObjectRegistry::Remove(const void* handle) {
  std::shared_ptr<const SearchObject> released;
  {
    std::lock_guard lock(mutex_);
    const auto found = objects_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == objects_.end()) return false;
    released = std::move(found->second);
    objects_.erase(found);
  }
  return true;  // the picture is released here, outside the lock
}

void ObjectRegistry::AddMatches(const TPXResultMatches* matches) {
  std::lock_guard lock(mutex_);
  matches_.insert(matches);
}

bool ObjectRegistry::RemoveMatches(const TPXResultMatches* matches) {
  std::lock_guard lock(mutex_);
  return matches_.erase(matches) != 0;
}

}  // namespace pexora
