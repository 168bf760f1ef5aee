// Per-lane counts of differing pixels in 8-bit lanes, for limits up to 65534:
// twice as many lanes as 16-bit counts. A lane counts at most kFold tests
// before its count is added to a 32-bit total, so it never saturates; each
// lane's `need` is what it still lacks to pass the limit, capped at 255, so
// that a vector can stop as soon as every lane has what it needs. Shared by
// the position scan and the block rejection (included per target, after
// hwy/highway.h).
#if defined(PEXORA_SCAN_NARROW_COUNTS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef PEXORA_SCAN_NARROW_COUNTS_INL_H_
#undef PEXORA_SCAN_NARROW_COUNTS_INL_H_
#else
#define PEXORA_SCAN_NARROW_COUNTS_INL_H_
#endif

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace pexora {
namespace HWY_NAMESPACE {

// The caller keeps the vectors (counts since the last fold, and what the
// lanes need), so that they stay in registers; this keeps the totals.
template <class D>
class NarrowCounts {
 public:
  using V = hwy::HWY_NAMESPACE::VFromD<D>;

  // Tests between two folds at most: a fold may come up to a check interval
  // (8 tests) late, and 248 + 7 stays below 255.
  static constexpr size_t kFold = 248;

  // The first `valid` lanes count toward `limit`; the others need nothing.
  NarrowCounts(D d, int32_t valid, uint32_t limit) : d_(d), valid_(valid), limit_(limit) {
    const auto first = static_cast<uint8_t>(std::min<uint32_t>(255, limit + 1));
    for (int32_t k = 0; k < Lanes(); ++k) {
      total_[k] = 0;
      need_[k] = k < valid ? first : 0;
    }
  }

  // What the lanes need, as of the last fold.
  V Needs() const { return hwy::HWY_NAMESPACE::Load(d_, need_); }

  // After `tested` tests in all: folds `counts` into the totals when every
  // lane has what it needed, or when the counts could not take more.
  void Check(size_t tested, V& counts, V& needs) {
    namespace hn = hwy::HWY_NAMESPACE;
    if (hn::AllTrue(d_, hn::Eq(hn::SaturatedSub(needs, counts), hn::Zero(d_))) || tested - folded_ >= kFold) {
      Fold(counts);
      counts = hn::Zero(d_);
      needs = Needs();
      folded_ = tested;
    }
  }

  // True once every counting lane has passed the limit (as of the last fold).
  bool Passed() const { return passed_; }

  // Folds the counts left; call before reading the totals.
  void Finish(V counts) {
    if (!passed_) Fold(counts);
  }

  // Lane k's differing pixels: exact up to the limit, above it once passed.
  uint32_t Total(int32_t k) const { return total_[k]; }

 private:
  int32_t Lanes() const { return static_cast<int32_t>(hwy::HWY_NAMESPACE::Lanes(d_)); }

  void Fold(V counts) {
    hwy::HWY_NAMESPACE::Store(counts, d_, counted_);
    passed_ = true;
    for (int32_t k = 0; k < Lanes(); ++k) {
      total_[k] += counted_[k];
      need_[k] =
          k >= valid_ || total_[k] > limit_ ? 0 : static_cast<uint8_t>(std::min<uint32_t>(255, limit_ + 1 - total_[k]));
      passed_ = passed_ && need_[k] == 0;
    }
  }

  D d_;
  const int32_t valid_;
  const uint32_t limit_;
  HWY_ALIGN uint8_t counted_[hwy::HWY_NAMESPACE::MaxLanes(D())];
  HWY_ALIGN uint8_t need_[hwy::HWY_NAMESPACE::MaxLanes(D())];
  uint32_t total_[hwy::HWY_NAMESPACE::MaxLanes(D())];
  size_t folded_ = 0;
  bool passed_ = false;
};

}  // namespace HWY_NAMESPACE
}  // namespace pexora
HWY_AFTER_NAMESPACE();

#endif
