#include "CandidateSums.h"

#include "RowSums.h"

namespace pexora {

namespace {
// Candidates of one percentage mix sizes: the sizes they need are held up
// to this much memory, the least recently used let go beyond it (and made
// again if needed).
constexpr int64_t kHeldBytes = int64_t{1} << 28;

int64_t HeldBytes(const SearchTemplate& t) {
  // The template, its rows (at most 11 values of 2 bytes a pixel) and bounds.
  return t.Compared() * int64_t{sizeof(TemplatePixel)} + int64_t{t.width} * t.height * 22;
}
}  // namespace

CandidateSums::CandidateSums(const ChannelPlanes& planes, const PlaneSums* sums, SizedTemplates& templates)
    : planes_(planes), sums_(sums), templates_(templates) {
  for (size_t s = 0; s < templates.Count(); ++s) sizeIndex_[{templates.Size(s).Width, templates.Size(s).Height}] = s;
}

CandidateSums::Held& CandidateSums::For(const Match& m) {
  if (!held_.empty() && held_.front().t->width == m.width && held_.front().t->height == m.height) {
    return held_.front();
  }
  const size_t size = sizeIndex_.at({m.width, m.height});
  if (const auto it = where_.find(size); it != where_.end()) {
    held_.splice(held_.begin(), held_, it->second);
    return held_.front();
  }
  const std::shared_ptr<const SearchTemplate> t = templates_.Acquire(size);
  heldBytes_ += HeldBytes(*t);
  while (!held_.empty() && heldBytes_ > kHeldBytes) {
    heldBytes_ -= HeldBytes(*held_.back().t);
    templates_.Release(held_.back().size);
    where_.erase(held_.back().size);
    held_.pop_back();
  }
  Held made{size, t, TemplateRows(*t), std::nullopt};
  if (sums_ != nullptr) made.bounds.emplace(*t);
  held_.push_front(std::move(made));
  where_[size] = held_.begin();
  return held_.front();
}

int CandidateSums::Levels(const Match& m) {
  Held& h = For(m);
  return h.bounds ? h.bounds->Levels() : 0;
}

uint64_t CandidateSums::SumAt(const Match& m, int level) {
  Held& h = For(m);
  if (h.bounds && level < h.bounds->Levels()) return h.bounds->Bound(*sums_, level, m.x, m.y);
  return SumOfDifferencesByRows(planes_, h.rows, m.x, m.y);
}

}  // namespace pexora
