#include "core/WorkingMemory.h"

#include "core/Limits.h"
#include "core/StatusError.h"
#include "pexora/pexora.h"

namespace pexora {

void CheckWorkingBytes(int64_t bytes) {
  if (bytes > kMaxWorkingBytes) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
}

int64_t CandidatesWithin(int64_t budget, int64_t mostKept) {
  if (budget <= 0) return 0;
  const int64_t bothKinds = mostKept * (kCandidateBytes + kKeptMatchBytes);
  if (bothKinds >= budget) return budget / (kCandidateBytes + kKeptMatchBytes);
  return mostKept + (budget - bothKinds) / kCandidateBytes;
}

}  // namespace pexora
