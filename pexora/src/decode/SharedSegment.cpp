#include "decode/SharedSegment.h"

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>

#include <mutex>

namespace pexora {

namespace {

// The segment kept between captures. Its lock is only ever tried, never
// waited for: a caller that finds it held (by another thread, or in a child
// forked while a thread held it) makes a segment of its own.
struct Spare {
  std::mutex mutex;
  std::unique_ptr<SharedSegment> segment;
};

Spare& TheSpare() {
  static Spare* const spare = new Spare;  // outlives static destructors
  return *spare;
}

}  // namespace

SharedSegment::SharedSegment(int id, unsigned char* address, size_t size)
    : id_(id), address_(address), size_(size), owner_(getpid()) {}

SharedSegment::~SharedSegment() { shmdt(address_); }

std::unique_ptr<SharedSegment> SharedSegment::Take(size_t bytes) {
  Spare& spare = TheSpare();
  std::unique_ptr<SharedSegment> kept;
  if (std::unique_lock lock(spare.mutex, std::try_to_lock); lock.owns_lock()) kept = std::move(spare.segment);
  if (kept && kept->owner_ == getpid() && kept->size_ >= bytes) return kept;
  kept.reset();

  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return nullptr;
  void* const address = shmat(id, nullptr, SHM_RDONLY);
  // Linux lets the server attach a segment marked for removal.
  shmctl(id, IPC_RMID, nullptr);
  if (address == reinterpret_cast<void*>(-1)) return nullptr;
  return std::unique_ptr<SharedSegment>(new SharedSegment(id, static_cast<unsigned char*>(address), bytes));
}

void SharedSegment::Give(std::unique_ptr<SharedSegment> segment) {
  if (!segment || segment->owner_ != getpid() || segment->size_ > kMaxKeptSegmentBytes) return;
  Spare& spare = TheSpare();
  std::unique_ptr<SharedSegment> dropped;
  if (std::unique_lock lock(spare.mutex, std::try_to_lock); lock.owns_lock()) {
    if (spare.segment && spare.segment->size_ > segment->size_) {
      dropped = std::move(segment);
    } else {
      dropped = std::move(spare.segment);
      spare.segment = std::move(segment);
    }
  }
  // `dropped` (and a segment not kept) is let go here, outside the lock.
}

void SharedSegment::Populate(size_t bytes) const {
#ifdef MADV_POPULATE_READ
  madvise(address_, bytes, MADV_POPULATE_READ);
#else
  (void)bytes;
#endif
}

}  // namespace pexora
