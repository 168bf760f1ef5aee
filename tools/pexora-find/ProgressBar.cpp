#include "ProgressBar.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace pexora::find {

namespace {

constexpr auto kDelay = std::chrono::milliseconds(500);
constexpr int kWidth = 40;

}  // namespace

ProgressBar::ProgressBar(bool enabled) : enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
  if (drawn_) std::fputs("\r\033[K", stderr);
}

void PX_CALL ProgressBar::Report(double progress, int32_t statusType, void* user) {
  if (statusType == PX_STATUS_PROGRESS && user != nullptr) static_cast<ProgressBar*>(user)->Show(progress);
}

void ProgressBar::Show(double percent) {
  if (!enabled_ || !(percent >= 0.0 && percent <= 100.0)) return;
  const int whole = static_cast<int>(std::lround(percent));
  if (whole == last_ || std::chrono::steady_clock::now() - start_ < kDelay) return;
  last_ = whole;
  const int filled = whole * kWidth / 100;
  const std::string bar = std::string(static_cast<size_t>(filled), '#') + std::string(size_t(kWidth - filled), '.');
  std::fprintf(stderr, "\rsearching [%s] %3d%%", bar.c_str(), whole);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace pexora::find
