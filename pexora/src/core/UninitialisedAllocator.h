// An allocator whose containers leave new elements of trivial types
// uninitialised where no value is given (resize(n), not resize(n, value)):
// for lists of millions that are written in parallel before they are read,
// whose zeroing on one thread, and first touch of every page, had been a
// quiet spell of its own.
#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace pexora {

template <typename T>
class UninitialisedAllocator : public std::allocator<T> {
 public:
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };

  UninitialisedAllocator() = default;
  template <typename U>
  explicit UninitialisedAllocator(const UninitialisedAllocator<U>& /*other*/) {}

  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

}  // namespace pexora
