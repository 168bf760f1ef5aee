#include "api/HandleSequence.h"

#include <chrono>
#include <memory>
#include <random>

namespace pexora {

namespace {

constexpr int kHalfBits = sizeof(uintptr_t) * 4;
constexpr uintptr_t kHalfMask = (uintptr_t{1} << kHalfBits) - 1;

// A well-mixing function of one half and a key (the finaliser of splitmix64).
uintptr_t Round(uintptr_t half, uint64_t key) {
  uint64_t z = uint64_t{half} ^ key;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  z ^= z >> 31;
  return static_cast<uintptr_t>(z) & kHalfMask;
}

uint64_t RandomKey(std::random_device* device, uint64_t fallback) {
  if (device == nullptr) return fallback;
  return (uint64_t{(*device)()} << 32) ^ (*device)();
}

}  // namespace

HandleSequence::HandleSequence() {
  // Without an entropy source, the time and the address space layout still
  // differ from run to run.
  std::random_device* device = nullptr;
  std::unique_ptr<std::random_device> owned;
  try {
    owned = std::make_unique<std::random_device>();
    device = owned.get();
  } catch (...) {}
  uint64_t fallback = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      reinterpret_cast<uintptr_t>(this);
  for (uint64_t& key : keys_) {
    fallback = fallback * 6364136223846793005u + 1442695040888963407u;
    try {
      key = RandomKey(device, fallback);
    } catch (...) {
      key = fallback;
    }
  }
}

// A Feistel network: a permutation whatever the round function is.
uintptr_t HandleSequence::Permute(uintptr_t value) const {
  uintptr_t left = (value >> kHalfBits) & kHalfMask, right = value & kHalfMask;
  for (const uint64_t key : keys_) {
    const uintptr_t next = left ^ Round(right, key);
    left = right;
    right = next;
  }
  return (left << kHalfBits) | right;
}

uintptr_t HandleSequence::Next() {
  uintptr_t handle = 0;
  while (handle == 0) handle = Permute(++counter_);
  return handle;
}

}  // namespace pexora
