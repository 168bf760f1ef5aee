#include "api/ObjectRegistry.h"

namespace pexora {

ObjectRegistry& ObjectRegistry::Instance() {
  // Never destroyed: a process may end (return from main, call exit) while
  // other threads are still inside the library, and the static destructors
  // run under them. The objects left in it go with the process.
  static ObjectRegistry* const registry = new ObjectRegistry;
  return *registry;
}

void* ObjectRegistry::Add(std::shared_ptr<const SearchObject> object) {
  std::lock_guard lock(mutex_);
  const uintptr_t handle = handles_.Next();
  objects_.emplace(handle, std::move(object));
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

int32_t ObjectRegistry::AddMatches(const TPXResultMatches* matches) {
  std::lock_guard lock(mutex_);
  if (++lastResultNumber_ == 0) ++lastResultNumber_;
  const auto number = static_cast<int32_t>(lastResultNumber_);
  matches_[matches] = number;
  return number;
}

bool ObjectRegistry::RemoveMatches(const TPXResultMatches* matches, int32_t number) {
  std::lock_guard lock(mutex_);
  const auto found = matches_.find(matches);
  if (found == matches_.end() || found->second != number) return false;
  matches_.erase(found);
  return true;
}

}  // namespace pexora
