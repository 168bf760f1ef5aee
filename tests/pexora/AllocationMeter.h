// Counts the memory that operator new hands out in this test program (the
// library's own vectors, not what C libraries such as FreeImage allocate),
// and can refuse allocations beyond a cap, so that a test of a memory bound
// cannot take the machine's memory when the bound is broken.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pexora::test {

class AllocationMeter {
 public:
  // Starts counting the peak from the bytes in use now; allocations that
  // would bring the bytes in use above `cap` throw std::bad_alloc.
  explicit AllocationMeter(int64_t cap = INT64_MAX);
  ~AllocationMeter();
  AllocationMeter(const AllocationMeter&) = delete;
  AllocationMeter& operator=(const AllocationMeter&) = delete;

  // Bytes in use now and at most since the start, above those at the start.
  int64_t Current() const;
  int64_t Peak() const;

 private:
  int64_t start_;
};

}  // namespace pexora::test
