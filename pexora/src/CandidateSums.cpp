#include "CandidateSums.h"

#include "RowSums.h"

namespace pexora {

namespace {
// Sizes held at a time: candidates of one percentage mix sizes, so a few
// are kept rather than one.
constexpr size_t kHeldSizes = 4;
}  // namespace

CandidateSums::CandidateSums(const ChannelPlanes& planes, const PlaneSums* sums, SizedTemplates& templates)
    : planes_(planes), sums_(sums), templates_(templates) {
  for (size_t s = 0; s < templates.Count(); ++s) sizeIndex_[{templates.Size(s).Width, templates.Size(s).Height}] = s;
}

CandidateSums::Held& CandidateSums::For(const Match& m) {
  const size_t size = sizeIndex_.at({m.width, m.height});
  for (auto it = held_.begin(); it != held_.end(); ++it) {
    if (it->size != size) continue;
    if (it != held_.begin()) held_.splice(held_.begin(), held_, it);
    return held_.front();
  }
  if (held_.size() >= kHeldSizes) {
    templates_.Release(held_.back().size);
    held_.pop_back();
  }
  const std::shared_ptr<const SearchTemplate> t = templates_.Acquire(size);
  Held made{size, t, TemplateRows(*t), std::nullopt};
  if (sums_ != nullptr) made.bounds.emplace(*t);
  held_.push_front(std::move(made));
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
