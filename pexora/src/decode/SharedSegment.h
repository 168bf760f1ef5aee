// A System V shared-memory segment that an X server writes a capture into,
// kept from one capture to the next of the same process.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>

namespace pexora {

// Largest segment kept between captures (a 4096 x 4096 screen).
inline constexpr size_t kMaxKeptSegmentBytes = size_t{64} << 20;

class SharedSegment {
 public:
  // A segment of at least `bytes`, mapped read-only into this process: the
  // one kept from an earlier capture where it is large enough and free, else
  // a new one. Null when none can be made. The segment is marked for removal
  // at once: the system frees it when the last process that maps it (this
  // one, an X server) lets go, even when this process ends abnormally.
  static std::unique_ptr<SharedSegment> Take(size_t bytes);
  // Keeps the segment for the next capture, one at a time and up to
  // kMaxKeptSegmentBytes, or lets it go. A child process after fork never
  // uses its parent's: it maps the same memory.
  static void Give(std::unique_ptr<SharedSegment> segment);

  ~SharedSegment();
  SharedSegment(const SharedSegment&) = delete;
  SharedSegment& operator=(const SharedSegment&) = delete;

  int id() const { return id_; }
  size_t size() const { return size_; }
  const unsigned char* data() const { return address_; }
  // Maps the first `bytes`, which the server has written, in one go rather
  // than one page fault at a time (a hint: older kernels ignore it).
  void Populate(size_t bytes) const;

 private:
  SharedSegment(int id, unsigned char* address, size_t size);

  int id_;
  unsigned char* address_;
  size_t size_;
  pid_t owner_;
};

}  // namespace pexora
