#include "BatchProgress.h"

#include <cstdio>

namespace pexora::find {

namespace {

constexpr auto kInterval = std::chrono::milliseconds(100);

}  // namespace

BatchProgress::BatchProgress(bool enabled, size_t total)
    : enabled_(enabled), total_(total), start_(std::chrono::steady_clock::now()) {}

BatchProgress::~BatchProgress() { Erase(); }

void BatchProgress::Erase() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void BatchProgress::Count(bool matched) {
  ++done_;
  if (matched) ++matched_;
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDrawn_ < kInterval && done_ != total_) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(stderr, "\r\033[Kpictures %zu/%zu, %zu with matches, %.1f/s", done_, total_, matched_,
               seconds > 0 ? double(done_) / seconds : 0.0);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace pexora::find
