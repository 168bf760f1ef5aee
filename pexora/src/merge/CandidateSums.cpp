#include "merge/CandidateSums.h"

#include "merge/BoundRows.h"
#include "merge/RowSums.h"

namespace pexora {

namespace {
// Candidates of one percentage mix sizes: the sizes they need are held up
// to this much memory, the least recently used let go beyond it (and made
// again if needed).
constexpr int64_t kHeldBytes = int64_t{1} << 28;

// The template, its rows (at most 11 values of 2 bytes a pixel) and bounds.
int64_t HeldBytes(int64_t pixels) { return pixels * (int64_t{sizeof(TemplatePixel)} + 22); }
int64_t HeldBytes(const SearchTemplate& t) { return HeldBytes(int64_t{t.width} * t.height); }
}  // namespace

CandidateSums::Prepared::Prepared(std::shared_ptr<const SearchTemplate> made, const ChannelPlanes& planes,
                                  bool withBounds)
    : t(std::move(made)), rows(*t, FirstSummedChannel(planes, *t)) {
  if (withBounds) bounds.emplace(*t, rows.firstChannel);
}

CandidateSums::CandidateSums(const ChannelPlanes& planes, const PlaneSums* sums, SizedTemplates& templates)
    : planes_(planes), sums_(sums), templates_(templates) {
  int64_t all = 0;
  for (size_t s = 0; s < templates.Count(); ++s) {
    sizeIndex_[{templates.Size(s).Width, templates.Size(s).Height}] = s;
    all += HeldBytes(int64_t{templates.Size(s).Width} * templates.Size(s).Height);
  }
  if (all > kHeldBytes) return;
  all_.resize(templates.Count());
  made_ = std::vector<std::once_flag>(templates.Count());
}

std::shared_ptr<const CandidateSums::Prepared> CandidateSums::Make(size_t size) {
  return std::make_shared<const Prepared>(templates_.Acquire(size), planes_, sums_ != nullptr);
}

CandidateSums::~CandidateSums() {
  for (const Held& h : held_) templates_.Release(h.size);
  for (size_t s = 0; s < all_.size(); ++s) {
    if (all_[s]) templates_.Release(s);
  }
}

std::shared_ptr<const CandidateSums::Prepared> CandidateSums::For(const Match& m) {
  std::lock_guard lock(mutex_);
  if (!held_.empty() && held_.front().prepared->t->width == m.width && held_.front().prepared->t->height == m.height) {
    return held_.front().prepared;
  }
  const size_t size = sizeIndex_.at({m.width, m.height});
  if (const auto it = where_.find(size); it != where_.end()) {
    held_.splice(held_.begin(), held_, it->second);
    return held_.front().prepared;
  }
  auto prepared = Make(size);
  heldBytes_ += HeldBytes(*prepared->t);
  while (!held_.empty() && heldBytes_ > kHeldBytes) {
    heldBytes_ -= HeldBytes(*held_.back().prepared->t);
    templates_.Release(held_.back().size);
    where_.erase(held_.back().size);
    held_.pop_back();
  }
  held_.push_front({size, std::move(prepared)});
  where_[size] = held_.begin();
  return held_.front().prepared;
}

int CandidateSums::Levels(const Match& m) {
  return With(m, [](const Prepared& p) { return p.bounds ? p.bounds->Levels() : 0; });
}

uint64_t CandidateSums::SumAt(const Match& m, int level) {
  return With(m, [&](const Prepared& p) {
    if (p.bounds && level < p.bounds->Levels()) return p.bounds->Bound(*sums_, level, m.x, m.y);
    return SumOfDifferencesByRows(planes_, p.rows, m.x, m.y);
  });
}

bool CandidateSums::RowBounds(const Match& first, int level, int32_t count, uint32_t* out) {
  return With(first, [&](const Prepared& p) {
    if (!p.bounds || level >= p.bounds->Levels()) return false;
    BoundsOfRow(*sums_, *p.bounds, level, first.x, first.y, count, out);
    return true;
  });
}

uint64_t CandidateSums::SumWithin(const Match& m, uint64_t limit) {
  return With(m, [&](const Prepared& p) { return SumOfDifferencesByRows(planes_, p.rows, m.x, m.y, limit); });
}

}  // namespace pexora
