#include "engine/ProgressReporter.h"

#include <algorithm>
#include <cmath>

namespace pexora {

void ProgressReporter::Update(double fraction) {
  if (!(fraction >= 0.0)) fraction = 0.0;
  const int percent = std::min(99, static_cast<int>(std::floor(fraction * 100.0)));
  if (percent <= last_) return;
  last_ = percent;
  if (report_) report_(static_cast<double>(percent));
}

void ProgressReporter::Finish() {
  last_ = 100;
  if (report_) report_(100.0);
}

}  // namespace pexora
