#include "engine/SearchEngine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>

#include "core/Limits.h"
#include "core/SharedLoop.h"
#include "core/StatusError.h"
#include "core/WorkingMemory.h"
#include "engine/ProgressModel.h"
#include "engine/ProgressReporter.h"
#include "image/Resample.h"
#include "merge/BestCandidates.h"
#include "merge/CandidateSums.h"
#include "merge/CoveredArea.h"
#include "merge/MatchSelection.h"
#include "merge/PassForecast.h"
#include "merge/PlaneSums.h"
#include "scan/MatchPercentage.h"
#include "scan/PositionScan.h"
#include "scan/ScalarScan.h"
#include "scan/SizedTemplates.h"

namespace pexora {

namespace {

using Clock = std::chrono::steady_clock;

// Prior costs for the progress model, in pixel tests of the vector scan: a
// row costs its positions times the pixels a position is likely to test,
// preparing a size about as much as testing every one of its pixels a few
// times. In the merge, the first bound of a candidate costs a twentieth of
// deciding it, which takes about a microsecond: the first guess, until the
// merge is timed (the measurements behind these: docs/library.md, *Measured
// constants*).
constexpr double kPrepareCostPerPixel = 16;
constexpr double kBoundCostPerCandidate = 1;
constexpr double kDecideCostPerCandidate = 20;
constexpr double kFirstGuessMergeSeconds = 1e-6 / kDecideCostPerCandidate;

// Kinds of work for the progress model: kPasses is the merge in passes,
// whose forecast is in seconds (PassForecast) and whose spent time goes to
// groups of no units.
enum WorkKind { kPrepare, kRows, kMerge, kPasses };

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The rows of one size in an order whose every beginning is spread over the
// whole picture, so that the time of the first rows tells the time of all:
// blocks of consecutive rows (which share most of the searched pixels they
// read) in bit-reversed order; rows one by one in that order are slower
// (docs/library.md, *Measured constants*).
std::vector<int32_t> SpreadRows(int32_t rows) {
  constexpr int32_t kBlock = 16;
  const int32_t blocks = (rows + kBlock - 1) / kBlock;
  int bits = 0;
  while ((int64_t{1} << bits) < blocks) ++bits;
  std::vector<int32_t> order;
  order.reserve(static_cast<size_t>(rows));
  for (int64_t i = 0; i < (int64_t{1} << bits); ++i) {
    int64_t reversed = 0;
    for (int b = 0; b < bits; ++b) reversed |= ((i >> b) & 1) << (bits - 1 - b);
    if (reversed >= blocks) continue;
    const int32_t first = static_cast<int32_t>(reversed) * kBlock;
    for (int32_t row = first; row < std::min(rows, first + kBlock); ++row) order.push_back(row);
  }
  return order;
}

// One comparison: the scan of every position of every size, then the sums of
// differences where they decide, then the merge.
//
// With MultipleMatches the matching positions are collected, up to a number
// that fits the memory, and merged. When more positions match, the merge
// runs in passes instead: each pass scans again and keeps the best positions
// not yet decided, as many as fit; these are decided in order, best first, as
// the merge of all would decide them. A decided position was kept or
// overlaps a kept match, so the undecided ones are those that overlap none.
class SearchRun {
 public:
  // Scans the positions whose area lies inside `area`; with MultipleMatches,
  // holds at most `maxCandidates` matching positions at a time.
  SearchRun(const ChannelPlanes& planes, const TPXRect& area, SizedTemplates& templates,
            const CompareSettings& settings, unsigned threads, ProgressReporter& reporter, int64_t maxCandidates)
      : planes_(planes),
        area_(area),
        templates_(templates),
        settings_(settings),
        threads_(threads),
        reporter_(reporter),
        maxCandidates_(maxCandidates),
        stop_(*settings.stop) {}

  // The memory of the work units that Scan lists (and of their matches' lists).
  static int64_t UnitBytes(const TPXRect& area, const SizedTemplates& templates, bool multipleMatches) {
    int64_t units = 0;
    for (size_t s = 0; s < templates.Count(); ++s) units += 1 + area.Height - templates.Size(s).Height + 1;
    const int64_t perUnit = int64_t{sizeof(Unit)} + (multipleMatches ? int64_t{sizeof(std::vector<Match>)} : 0);
    // Per size also its row count and progress groups.
    return units * perUnit + static_cast<int64_t>(templates.Count()) * 256;
  }

  std::vector<Match> Run() {
    passesGroup_ = progress_.AddGroup(kPasses, 0, 0);
    passesSpent_ = progress_.AddGroup(kPasses, 0, 0);
    progress_.SetFirstGuess(kPasses, 1.0);
    if (settings_.multipleMatches) {
      double rows = 0;
      for (size_t s = 0; s < templates_.Count(); ++s) rows += area_.Height - templates_.Size(s).Height + 1;
      forecast_ = std::make_unique<PassForecast>(double(PassCapacity()), rows);
    }
    Scan();
    if (!settings_.multipleMatches) return best_.compared > 0 ? std::vector<Match>{best_} : std::vector<Match>{};
    if (overflow_) return MergeInPasses();
    std::vector<Match> candidates;
    candidates.reserve(candidatesFound_.load());
    for (std::vector<Match>& found : found_) {
      stop_.Check();
      candidates.insert(candidates.end(), found.begin(), found.end());
      std::vector<Match>().swap(found);
    }
    // The merge's units are its candidates, bounded and decided; it tells
    // how far it is in each.
    const size_t total = candidates.size();
    progress_.SetGroup(boundGroup_, double(total), kBoundCostPerCandidate);
    progress_.SetGroup(decideGroup_, double(total), kDecideCostPerCandidate);
    // Box sums cost about four passes over the searched planes: worth it
    // where the candidates' exact sums would cost more.
    double candidatePixels = 0;
    for (const Match& m : candidates) candidatePixels += double(m.width) * m.height;
    const std::unique_ptr<PlaneSums> sums =
        candidatePixels > 4.0 * planes_.width * planes_.height ? BoxSums() : nullptr;
    CandidateSums source(planes_, sums.get(), templates_);
    Clock::time_point since = Clock::now();
    MergeProgress reported;
    std::vector<Match> kept = MergeByBounds(
        std::move(candidates), source,
        [&](const MergeProgress& now) {
          // Time goes to the kind of work that moved since the last report.
          const double seconds = Seconds(since);
          since = Clock::now();
          const double bounded = double(now.bounded - reported.bounded);
          const double decided = double(now.decided - reported.decided);
          if (bounded + decided <= 0) return;
          if (bounded > 0) progress_.Done(boundGroup_, seconds * bounded / (bounded + decided), bounded);
          if (decided > 0) progress_.Done(decideGroup_, seconds * decided / (bounded + decided), decided);
          reported = now;
          reporter_.Update(progress_.Fraction());
        },
        [&](size_t count, const std::function<void(size_t)>& body, const std::function<void()>& onCaller) {
          RunShared(count, threads_, body, [&] {
            stop_.Check();
            onCaller();
          });
        },
        stop_);
    progress_.SetGroup(boundGroup_, 0, 0);
    progress_.SetGroup(decideGroup_, 0, 0);
    return kept;
  }

 private:
  struct Unit {
    size_t size;
    int32_t row;  // -1: prepare the size
  };

  void Scan() {
    const size_t sizes = templates_.Count();
    prepareGroup_.clear();
    rowGroup_.clear();
    remainingRows_ = std::vector<std::atomic<int32_t>>(sizes);
    const double tolerance = double(settings_.differenceTolerance);
    double rowsTotal = 0;
    for (size_t s = 0; s < sizes; ++s) {
      const TPXDimensions size = templates_.Size(s);
      const double pixels = double(size.Width) * size.Height;
      const int32_t rows = area_.Height - size.Height + 1;
      const double positions = double(area_.Width - size.Width + 1);
      remainingRows_[s] = rows;
      prepareGroup_.push_back(progress_.AddGroup(kPrepare, 1, pixels * kPrepareCostPerPixel));
      // The passes' rows are in their forecast.
      rowGroup_.push_back(passBest_ == nullptr
                              ? progress_.AddGroup(kRows, rows, positions * std::min(pixels, 2 * tolerance + 64))
                              : passesSpent_);
      rowsTotal += rows;
    }
    if (passBest_ == nullptr) {
      boundGroup_ = progress_.AddGroup(kMerge, 0, 0);
      decideGroup_ = progress_.AddGroup(kMerge, 0, 0);
      progress_.SetFirstGuess(kMerge, kFirstGuessMergeSeconds);
    }
    rowsTotal_ = rowsTotal;

    // Each size is prepared one size ahead of its rows, so that the threads
    // rarely wait for a preparation and only a few sizes are held at a time.
    std::vector<Unit> units;
    units.push_back({0, -1});
    for (size_t s = 0; s < sizes; ++s) {
      if (s + 1 < sizes) units.push_back({s + 1, -1});
      for (int32_t row : SpreadRows(area_.Height - templates_.Size(s).Height + 1)) units.push_back({s, area_.Y + row});
    }
    found_.resize(settings_.multipleMatches && passBest_ == nullptr ? units.size() : 0);
    RunShared(
        units.size(), threads_, [&](size_t index) { RunUnit(units[index], index); },
        [&] {
          stop_.Check();
          Report();
        });
  }

  void Report() {
    if (overflow_.load()) {
      // Past the memory for collected positions the merge of all will not
      // run; the passes will.
      progress_.SetGroup(boundGroup_, 0, 0);
      progress_.SetGroup(decideGroup_, 0, 0);
      progress_.SetGroup(passesGroup_, 1, forecast_->RemainingSeconds());
    }
    reporter_.Update(progress_.Fraction());
  }

  void RunUnit(const Unit& unit, size_t index) {
    stop_.Check();
    const Clock::time_point start = Clock::now();
    if (unit.row < 0) {
      if (remainingRows_[unit.size].load() > 0) templates_.Acquire(unit.size);
      progress_.Done(prepareGroup_[unit.size], Seconds(start));
      return;
    }
    {
      const std::shared_ptr<const SearchTemplate> t = templates_.Acquire(unit.size);
      if (t->Compared() > 0) ScanRow(*t, unit.row, index);
    }
    if (--remainingRows_[unit.size] == 0) templates_.Release(unit.size);
    progress_.Done(rowGroup_[unit.size], Seconds(start));
  }

  void ScanRow(const SearchTemplate& t, int32_t row, size_t index) {
    const int32_t positions = area_.Width - t.width + 1;
    // A position matches when its difference is within the tolerance and its
    // percentage reaches the minimal one.
    const int64_t tolerance =
        std::min<int64_t>(settings_.differenceTolerance, DifferenceLimit(t.Compared(), settings_.minimalPercentage));
    thread_local std::vector<int64_t> differences;
    differences.resize(static_cast<size_t>(positions));
    const Clock::time_point start = Clock::now();
    pexora::ScanRow(planes_, t, row, area_.X, positions, tolerance, differences.data(), stop_);
    if (passBest_ != nullptr) return OfferUndecided(t, row, differences.data(), positions, tolerance, start);
    if (settings_.multipleMatches) {
      // Past the memory for collected positions the merge runs in passes,
      // which need nothing more from this scan than what they will cost: a
      // row's time and its matching positions.
      if (overflow_.load()) {
        const auto matching = std::count_if(differences.begin(), differences.begin() + positions,
                                            [&](int64_t d) { return d <= tolerance; });
        return forecast_->FirstScanRow(double(matching), Seconds(start));
      }
      std::vector<Match>& found = found_[index];
      for (int32_t i = 0; i < positions; ++i) {
        if (differences[i] <= tolerance) {
          found.push_back({area_.X + i, row, t.width, t.height, differences[i], t.Compared(), 0});
        }
      }
      // Held here, then once more while they are gathered for the merge.
      if (int64_t(candidatesFound_.load() + found.size()) > maxCandidates_) {
        // The rows so far and their matching positions, this one's too.
        if (!overflow_.exchange(true)) {
          forecast_->FirstScanRows(double(rowsScanned_.load() + 1), double(candidatesFound_.load() + found.size()));
        }
        std::vector<Match>().swap(found);
        return;
      }
      ProjectSums(found.size());
      return;
    }
    // One match wanted: only a candidate that can still beat the best so far
    // needs its sum, and only as far as the best one's.
    Match best;
    {
      std::lock_guard lock(bestMutex_);
      best = best_;
    }
    bool improved = false;
    for (int32_t i = 0; i < positions; ++i) {
      if (differences[i] > tolerance) continue;
      const int32_t x = area_.X + i;
      Match m{x, row, t.width, t.height, differences[i], t.Compared(), 0};
      const int fraction = best.compared > 0 ? CompareFraction(m, best) : 1;
      if (fraction < 0) continue;
      m.sum = SumOfDifferences(planes_, t, x, row, fraction > 0 ? UINT64_MAX : best.sum, stop_);
      if (fraction > 0 || IsBetterMatch(m, best)) {
        best = m;
        improved = true;
      }
    }
    if (!improved) return;
    std::lock_guard lock(bestMutex_);
    if (best_.compared == 0 || IsBetterMatch(best, best_)) best_ = best;
  }

  // Merges in passes (see the class), keeping the decided matches as the
  // pixels they cover rather than as a list to search.
  std::vector<Match> MergeInPasses() {
    std::vector<std::vector<Match>>().swap(found_);
    CoveredArea covered(area_);
    std::vector<Match> kept;
    coveredArea_ = &covered;
    const std::unique_ptr<PlaneSums> sums = BoxSums();
    CandidateSums source(planes_, sums.get(), templates_);
    passSums_ = &source;
    const size_t capacity = PassCapacity();
    while (true) {
      BestCandidates best(capacity, stop_);
      passBest_ = &best;
      forecast_->BeginPass();
      Scan();
      passBest_ = nullptr;
      const Clock::time_point start = Clock::now();
      const std::vector<Match> batch = best.Take();
      for (size_t i = 0; i < batch.size(); ++i) {
        if (i % 4096 == 0) stop_.Check();
        const Match& m = batch[i];
        if (covered.AnyCovered(m)) continue;
        covered.Cover(m);
        kept.push_back(m);
      }
      const double seconds = Seconds(start);
      forecast_->EndPass(seconds);
      progress_.Done(passesSpent_, seconds, 0);
      if (batch.size() < capacity) break;
      // Later passes keep only worse matches, which the count cuts.
      if (settings_.maximalCount > 0 && kept.size() >= size_t(settings_.maximalCount)) break;
    }
    coveredArea_ = nullptr;
    passSums_ = nullptr;
    return kept;
  }

  // Offers a pass the matching positions of a row that are still undecided,
  // with their exact sums; those that cannot enter the pass's set are left
  // without their sums where the match percentage tells.
  void OfferUndecided(const SearchTemplate& t, int32_t row, const int64_t* differences, int32_t positions,
                      int64_t tolerance, Clock::time_point start) {
    const std::optional<Match> threshold = passBest_->Threshold();
    thread_local std::vector<Match> offered;
    thread_local std::vector<uint64_t> columns;
    offered.clear();
    size_t met = 0, summed = 0;
    coveredArea_->CoveredColumns(row, t.height, columns);
    for (int32_t i = 0; i < positions; ++i) {
      if (differences[i] > tolerance) continue;
      const int32_t x = area_.X + i;
      Match m{x, row, t.width, t.height, differences[i], t.Compared(), 0};
      const int entering = threshold ? CompareFraction(m, *threshold) : 1;
      if (entering < 0) continue;
      if (coveredArea_->AnyInColumns(columns, x, t.width)) continue;
      ++met;
      // Within the threshold's percentage, a sum past the threshold's loses,
      // and so does one whose bound passes it.
      const int levels = passSums_->Levels(m);
      bool loses = false;
      for (int level = 0; entering == 0 && level < levels && !loses; ++level) {
        loses = passSums_->SumAt(m, level) > threshold->sum;
      }
      if (loses) continue;
      m.sum = passSums_->SumAt(m, levels);
      ++summed;
      if (entering == 0 && !IsBetterMatch(m, *threshold)) continue;
      offered.push_back(m);
    }
    passBest_->Offer(offered);
    forecast_->PassRow(double(met), double(summed), Seconds(start));
  }

  // How many positions a pass keeps: it and the sorted batch taken from it
  // fit in the room for collected positions.
  size_t PassCapacity() const { return static_cast<size_t>(std::max<int64_t>(1, maxCandidates_ / 2)); }

  // Lets the progress model expect the sums that the candidates found so far
  // foretell for the whole scan.
  void ProjectSums(size_t found) {
    const double candidates = double(candidatesFound_ += found);
    const double rows = double(++rowsScanned_);
    progress_.SetGroup(boundGroup_, candidates * rowsTotal_ / rows, kBoundCostPerCandidate);
    progress_.SetGroup(decideGroup_, candidates * rowsTotal_ / rows, kDecideCostPerCandidate);
  }

  // The box sums of the planes for the bounds of sums of differences, when
  // they take no more than kMaxBoxSumBytes.
  std::unique_ptr<PlaneSums> BoxSums() const {
    const int firstChannel = settings_.alphaMask ? 1 : 0;
    if (PlaneSums::Bytes(planes_.width, planes_.height, 4 - firstChannel) > kMaxBoxSumBytes) return nullptr;
    return std::make_unique<PlaneSums>(planes_, settings_.model, firstChannel, stop_);
  }

  const ChannelPlanes& planes_;
  const TPXRect area_;
  SizedTemplates& templates_;
  const CompareSettings& settings_;
  const unsigned threads_;
  ProgressReporter& reporter_;
  const int64_t maxCandidates_;
  const StopToken& stop_;
  ProgressModel progress_;
  std::vector<size_t> prepareGroup_, rowGroup_;
  // passesGroup_ holds the forecast of the passes, passesSpent_ their time.
  size_t boundGroup_ = 0, decideGroup_ = 0, passesGroup_ = 0, passesSpent_ = 0;
  std::unique_ptr<PassForecast> forecast_;  // with MultipleMatches
  double rowsTotal_ = 0;
  std::atomic<size_t> candidatesFound_{0}, rowsScanned_{0};
  std::vector<std::atomic<int32_t>> remainingRows_;
  std::vector<std::vector<Match>> found_;  // per unit, with MultipleMatches
  std::mutex bestMutex_;
  Match best_;  // without MultipleMatches; compared 0 until something matched
  // Merging in passes: set once the collected positions would pass maxCandidates_.
  std::atomic<bool> overflow_{false};
  BestCandidates* passBest_ = nullptr;  // the set of the pass that runs
  CoveredArea* coveredArea_ = nullptr;  // what the kept matches cover
  SumSource* passSums_ = nullptr;       // sums and their bounds
};

// The most that the prepared sizes take at once: the scan prepares each size
// one ahead of its rows and lets it go after its last row, so that a size
// per thread and two more (no more than there are) are held at a time, and
// each thread may be stretching and sorting one.
int64_t HeldTemplateBytes(const Image& target, const SizedTemplates& templates, const CompareSettings& settings,
                          unsigned threads) {
  int64_t held = 0, building = 0;
  for (size_t s = 0; s < templates.Count(); ++s) {
    const TPXDimensions size = templates.Size(s);
    const int64_t pixels = int64_t{size.Width} * size.Height;
    const bool own = size.Width == target.width && size.Height == target.height;
    const int64_t stretch =
        own ? 0 : ResampleWorkingBytes(target.width, target.height, size.Width, size.Height, settings.stretchResampler);
    held = std::max(held, TemplateBytes(pixels));
    building = std::max(building, stretch + TemplateBuildingBytes(pixels));
  }
  const auto sizes = static_cast<int64_t>(templates.Count());
  const int64_t busy = std::min<int64_t>(threads, sizes);
  return std::min<int64_t>(busy + 2, sizes) * held + busy * building;
}

}  // namespace

std::vector<Match> Search(const SearchObject& searched, const SearchObject& target, const CompareSettings& settings,
                          unsigned threads, const std::function<void(double)>& progress, PlaneCache& cache,
                          int64_t candidateBytes) {
  ProgressReporter reporter(progress);
  const Image& picture = searched.picture();
  const TPXRect area = settings.region.value_or(TPXRect{0, 0, picture.width, picture.height});
  SizedTemplates templates(area, picture.width, target.picture(), settings);
  const unsigned workers = std::max(1u, threads);
  // A negative tolerance matches nothing: nothing needs to be prepared. Else
  // the planes (unless a search or the cache holds them), the sizes held at
  // a time and the work units must fit before anything is allocated; the
  // matching positions get what is left.
  const bool scan = settings.differenceTolerance >= 0;
  const int64_t prepared = scan ? static_cast<int64_t>(searched.NewPlaneBytes(settings.model)) +
                                      HeldTemplateBytes(target.picture(), templates, settings, workers) +
                                      SearchRun::UnitBytes(area, templates, settings.multipleMatches)
                                : 0;
  CheckWorkingBytes(prepared);
  // Every comparison that passes its checks reports 0 first, even one that
  // has nothing to compare; one that fails them reports nothing.
  reporter.Update(0.0);
  std::vector<Match> matches;
  if (scan) {
    // Kept matches do not overlap: no more than the area holds of the smallest size.
    int64_t smallest = INT64_MAX;
    for (size_t s = 0; s < templates.Count(); ++s) {
      smallest = std::min(smallest, int64_t{templates.Size(s).Width} * templates.Size(s).Height);
    }
    const int64_t mostKept = int64_t{area.Width} * area.Height / smallest;
    const int64_t maxCandidates =
        std::min(candidateBytes / int64_t{2 * sizeof(Match)}, CandidatesWithin(kMaxWorkingBytes - prepared, mostKept));
    const std::shared_ptr<const ChannelPlanes> planes = searched.Planes(settings.model, cache, *settings.stop);
    SearchRun run(*planes, area, templates, settings, workers, reporter, maxCandidates);
    matches = run.Run();
  }
  if (settings.maximalCount > 0 && matches.size() > size_t(settings.maximalCount)) {
    matches.resize(size_t(settings.maximalCount));
  }
  reporter.Finish();
  return matches;
}

}  // namespace pexora
