#include "AllocationMeter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> inUse{0};
std::atomic<int64_t> peak{0};
std::atomic<int64_t> cap{INT64_MAX};

void* Allocate(size_t size, size_t alignment) {
  void* p = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    p = std::malloc(size == 0 ? 1 : size);
  } else if (posix_memalign(&p, alignment, size == 0 ? 1 : size) != 0) {
    p = nullptr;
  }
  if (p == nullptr) return nullptr;
  const auto bytes = static_cast<int64_t>(malloc_usable_size(p));
  const int64_t now = inUse.fetch_add(bytes) + bytes;
  if (now > cap.load()) {
    inUse.fetch_sub(bytes);
    std::free(p);
    return nullptr;
  }
  int64_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {}
  return p;
}

void Release(void* p) {
  if (p == nullptr) return;
  inUse.fetch_sub(static_cast<int64_t>(malloc_usable_size(p)));
  std::free(p);
}

void* AllocateOrThrow(size_t size, size_t alignment) {
  void* p = Allocate(size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(size_t size) { return AllocateOrThrow(size, 0); }
void* operator new[](size_t size) { return AllocateOrThrow(size, 0); }
void* operator new(size_t size, std::align_val_t a) { return AllocateOrThrow(size, size_t(a)); }
void* operator new[](size_t size, std::align_val_t a) { return AllocateOrThrow(size, size_t(a)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size, 0); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size, 0); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace pexora::test {

AllocationMeter::AllocationMeter(int64_t limit) : start_(inUse.load()) {
  peak = start_;
  cap = limit == INT64_MAX ? INT64_MAX : start_ + limit;
}

AllocationMeter::~AllocationMeter() { cap = INT64_MAX; }

int64_t AllocationMeter::Current() const { return inUse.load() - start_; }
int64_t AllocationMeter::Peak() const { return peak.load() - start_; }

}  // namespace pexora::test
