#include "engine/ScanProgress.h"

#include <algorithm>

namespace pexora {

namespace {

using Clock = std::chrono::steady_clock;

// Prior costs, in pixel tests of the vector scan: a row costs its positions
// times the pixels a position is likely to test, preparing a size about as
// much as testing every one of its pixels a few times. In the merge, the
// first bound of a candidate costs a twentieth of deciding it, which takes
// about a microsecond: the first guess, until the merge is timed (the
// measurements behind these: docs/library.md, *Measured constants*).
constexpr double kPrepareCostPerPixel = 16;
constexpr double kBoundCostPerCandidate = 1;
constexpr double kDecideCostPerCandidate = 20;
constexpr double kFirstGuessMergeSeconds = 1e-6 / kDecideCostPerCandidate;

// Kinds of work: kPasses is the merge in passes, whose forecast is in
// seconds (PassForecast) and whose spent time goes to groups of no units.
enum WorkKind { kPrepare, kRows, kMerge, kPasses };

double RowsOf(const TPXRect& area, const SizedTemplates& templates) {
  double rows = 0;
  for (size_t s = 0; s < templates.Count(); ++s) rows += area.Height - templates.Size(s).Height + 1;
  return rows;
}

}  // namespace

ScanProgress::ScanProgress(ProgressReporter& reporter, const TPXRect& area, const SizedTemplates& templates,
                           int64_t differenceTolerance, bool multipleMatches, size_t passCapacity)
    : reporter_(reporter), area_(area), templates_(templates), tolerance_(double(differenceTolerance)) {
  passesGroup_ = model_.AddGroup(kPasses, 0, 0);
  passesSpent_ = model_.AddGroup(kPasses, 0, 0);
  model_.SetFirstGuess(kPasses, 1.0);
  rowsTotal_ = RowsOf(area, templates);
  if (multipleMatches) forecast_ = std::make_unique<PassForecast>(double(passCapacity), rowsTotal_);
}

void ScanProgress::BeginScan(bool pass) {
  prepareGroup_.clear();
  rowGroup_.clear();
  for (size_t s = 0; s < templates_.Count(); ++s) {
    const TPXDimensions size = templates_.Size(s);
    const double pixels = double(size.Width) * size.Height;
    const double rows = area_.Height - size.Height + 1;
    const double positions = double(area_.Width - size.Width + 1);
    prepareGroup_.push_back(model_.AddGroup(kPrepare, 1, pixels * kPrepareCostPerPixel));
    // The passes' rows are in their forecast.
    rowGroup_.push_back(pass ? passesSpent_
                             : model_.AddGroup(kRows, rows, positions * std::min(pixels, 2 * tolerance_ + 64)));
  }
  if (!pass) {
    boundGroup_ = model_.AddGroup(kMerge, 0, 0);
    decideGroup_ = model_.AddGroup(kMerge, 0, 0);
    model_.SetFirstGuess(kMerge, kFirstGuessMergeSeconds);
  }
}

void ScanProgress::Prepared(size_t size, double seconds) { model_.Done(prepareGroup_[size], seconds); }

void ScanProgress::Scanned(size_t size, double seconds) { model_.Done(rowGroup_[size], seconds); }

void ScanProgress::Collected(double candidates, double rows) {
  model_.SetGroup(boundGroup_, candidates * rowsTotal_ / rows, kBoundCostPerCandidate);
  model_.SetGroup(decideGroup_, candidates * rowsTotal_ / rows, kDecideCostPerCandidate);
}

void ScanProgress::Overflowed(double rows, double matching) {
  forecast_->FirstScanRows(rows, matching);
  overflow_ = true;
}

void ScanProgress::OverflowRow(double matching, double seconds) { forecast_->FirstScanRow(matching, seconds); }

void ScanProgress::BeginPass(double expectedMet) { forecast_->BeginPass(expectedMet); }

void ScanProgress::PassRow(double met, double summed, double seconds) { forecast_->PassRow(met, summed, seconds); }

void ScanProgress::EndPass(double seconds) {
  forecast_->EndPass(seconds);
  model_.Done(passesSpent_, seconds, 0);
}

void ScanProgress::EndPasses() {
  forecast_->Finish();
  Report();
}

void ScanProgress::BeginMerge(size_t candidates) {
  // The merge's units are its candidates, bounded and decided.
  model_.SetGroup(boundGroup_, double(candidates), kBoundCostPerCandidate);
  model_.SetGroup(decideGroup_, double(candidates), kDecideCostPerCandidate);
  reported_ = {};
  reportedAt_ = Clock::now();
}

void ScanProgress::Merged(const MergeProgress& now) {
  // Time goes to the kind of work that moved since the last report.
  const double seconds = std::chrono::duration<double>(Clock::now() - reportedAt_).count();
  reportedAt_ = Clock::now();
  const double bounded = double(now.bounded - reported_.bounded);
  const double decided = double(now.decided - reported_.decided);
  if (bounded + decided <= 0) return;
  if (bounded > 0) model_.Done(boundGroup_, seconds * bounded / (bounded + decided), bounded);
  if (decided > 0) model_.Done(decideGroup_, seconds * decided / (bounded + decided), decided);
  reported_ = now;
  reporter_.Update(model_.Fraction());
}

void ScanProgress::EndMerge() {
  model_.SetGroup(boundGroup_, 0, 0);
  model_.SetGroup(decideGroup_, 0, 0);
}

void ScanProgress::Report() {
  if (overflow_.load()) {
    // Past the room for collected positions the merge of all will not run;
    // the passes will.
    model_.SetGroup(boundGroup_, 0, 0);
    model_.SetGroup(decideGroup_, 0, 0);
    model_.SetGroup(passesGroup_, 1, forecast_->RemainingSeconds());
  }
  reporter_.Update(model_.Fraction());
}

}  // namespace pexora
