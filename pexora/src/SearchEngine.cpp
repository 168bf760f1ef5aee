#include "SearchEngine.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "Limits.h"
#include "MatchPercentage.h"
#include "MatchSelection.h"
#include "PictureCodec.h"
#include "PositionScan.h"
#include "ProgressReporter.h"
#include "ScalarScan.h"
#include "StatusError.h"
#include "StretchSizes.h"

namespace pexora {

namespace {

struct WorkUnit {
  size_t size;  // index into the templates
  int32_t row;  // candidate row
};

// Runs body(0) .. body(count - 1) on up to `threads` threads, the calling
// thread being one of them; the first exception is rethrown here.
template <typename Body>
void ForEachIndex(size_t count, unsigned threads, const Body& body) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex errorMutex;
  const auto loop = [&] {
    for (size_t i = next.fetch_add(1); i < count && !failed.load(); i = next.fetch_add(1)) {
      try {
        body(i);
      } catch (...) {
        std::lock_guard lock(errorMutex);
        if (!error) error = std::current_exception();
        failed = true;
      }
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads && t < count; ++t) {
    try {
      workers.emplace_back(loop);
    } catch (const std::system_error&) {
      break;
    }
  }
  loop();
  for (std::thread& worker : workers) worker.join();
  if (error) std::rethrow_exception(error);
}

// The search-for picture at every size that fits into `area`, prepared for
// the planes of a searched picture `planeWidth` pixels wide.
std::vector<SearchTemplate> MakeTemplates(const TPXRect& area, int32_t planeWidth, const Image& target,
                                          const CompareSettings& settings, unsigned threads) {
  std::vector<TPXDimensions> sizes;
  if (settings.stretch) {
    sizes = StretchSizes(target.width, target.height, settings.minimalStretch, settings.maximalStretch,
                         {area.Width, area.Height});
  } else if (target.width <= area.Width && target.height <= area.Height) {
    sizes.push_back({target.width, target.height});
  }
  if (sizes.empty()) throw StatusError(PX_ERROR_DIMENSIONS);
  std::vector<SearchTemplate> made(sizes.size());
  ForEachIndex(sizes.size(), threads, [&](size_t i) {
    const TPXDimensions size = sizes[i];
    made[i] = size.Width == target.width && size.Height == target.height
                  ? MakeSearchTemplate(target, settings, planeWidth)
                  : MakeSearchTemplate(Resample(target, size.Width, size.Height, settings.stretchResampler),
                                       settings, planeWidth);
  });
  std::vector<SearchTemplate> templates;
  for (SearchTemplate& t : made) {
    // A size at which no pixel takes part (all transparent) has nothing to find.
    if (t.Compared() > 0) templates.push_back(std::move(t));
  }
  return templates;
}

class SearchRun {
 public:
  // Scans the positions whose area lies inside `area`; a position matches
  // when its difference is at most the template's limit.
  SearchRun(const ChannelPlanes& planes, const TPXRect& area, std::vector<SearchTemplate> templates,
            std::vector<int64_t> limits)
      : planes_(planes), area_(area), templates_(std::move(templates)), limits_(std::move(limits)) {
    for (size_t s = 0; s < templates_.size(); ++s) {
      const SearchTemplate& t = templates_[s];
      for (int32_t y = area_.Y; y + t.height <= area_.Y + area_.Height; ++y) units_.push_back({s, y});
      totalWork_ += double(area_.Width - t.width + 1) * (area_.Height - t.height + 1);
    }
    found_.resize(units_.size());
  }

  std::vector<Match> Run(unsigned threads, ProgressReporter& reporter) {
    reporter.Update(0.0);
    std::vector<std::thread> workers;
    for (unsigned i = 1; i < threads; ++i) {
      try {
        workers.emplace_back([this] { WorkerLoop(); });
      } catch (const std::system_error&) {
        break;  // fewer threads give the same result
      }
    }
    while (RunOneUnit()) reporter.Update(Done());
    {
      std::unique_lock lock(mutex_);
      while (finishedWorkers_ < workers.size()) {
        finished_.wait_for(lock, std::chrono::milliseconds(5));
        lock.unlock();
        reporter.Update(Done());
        lock.lock();
      }
    }
    for (std::thread& worker : workers) worker.join();
    if (error_) std::rethrow_exception(error_);
    std::vector<Match> all;
    for (std::vector<Match>& unit : found_) all.insert(all.end(), unit.begin(), unit.end());
    return all;
  }

 private:
  double Done() const { return totalWork_ > 0 ? doneWork_.load() / totalWork_ : 1.0; }

  void WorkerLoop() {
    while (RunOneUnit()) {
    }
    std::lock_guard lock(mutex_);
    ++finishedWorkers_;
    finished_.notify_all();
  }

  // False when there is no unit left or the run failed.
  bool RunOneUnit() {
    if (failed_.load()) return false;
    const size_t index = nextUnit_.fetch_add(1);
    if (index >= units_.size()) return false;
    try {
      Scan(index);
    } catch (...) {
      std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
      failed_ = true;
      return false;
    }
    return true;
  }

  void Scan(size_t index) {
    const WorkUnit unit = units_[index];
    const SearchTemplate& t = templates_[unit.size];
    const int64_t limit = limits_[unit.size];
    const int32_t positions = area_.Width - t.width + 1;
    thread_local std::vector<int64_t> differences;
    differences.resize(static_cast<size_t>(positions));
    ScanRow(planes_, t, unit.row, area_.X, positions, limit, differences.data());
    std::vector<Match>& found = found_[index];
    for (int32_t i = 0; i < positions; ++i) {
      if (differences[i] > limit) continue;
      if (candidates_.fetch_add(1) >= kMaxCandidateMatches) throw StatusError(PX_ERROR_NOT_ENOUGH_MEMORY);
      const int32_t x = area_.X + i;
      found.push_back({x, unit.row, t.width, t.height, differences[i], t.Compared(),
                       SumOfDifferences(planes_, t, x, unit.row)});
    }
    AddDone(positions);
  }

  void AddDone(double work) {
    double current = doneWork_.load();
    while (!doneWork_.compare_exchange_weak(current, current + work)) {
    }
  }

  const ChannelPlanes& planes_;
  TPXRect area_;
  std::vector<SearchTemplate> templates_;
  std::vector<int64_t> limits_;
  std::vector<WorkUnit> units_;
  std::vector<std::vector<Match>> found_;
  double totalWork_ = 0;
  std::atomic<double> doneWork_{0};
  std::atomic<size_t> nextUnit_{0};
  std::atomic<int64_t> candidates_{0};
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::condition_variable finished_;
  size_t finishedWorkers_ = 0;
  std::exception_ptr error_;
};

}  // namespace

std::vector<Match> Search(const SearchObject& searched, const SearchObject& target,
                          const CompareSettings& settings, unsigned threads,
                          const std::function<void(double)>& progress) {
  ProgressReporter reporter(progress);
  const unsigned workers = std::max(1u, threads);
  const Image& picture = searched.picture();
  const TPXRect area = settings.region.value_or(TPXRect{0, 0, picture.width, picture.height});
  std::vector<SearchTemplate> templates = MakeTemplates(area, picture.width, target.picture(), settings, workers);
  std::vector<Match> candidates;
  if (settings.differenceTolerance >= 0 && !templates.empty()) {
    std::vector<int64_t> limits;
    for (const SearchTemplate& t : templates) {
      limits.push_back(std::min<int64_t>(settings.differenceTolerance,
                                         DifferenceLimit(t.Compared(), settings.minimalPercentage)));
    }
    SearchRun run(searched.Planes(settings.model), area, std::move(templates), std::move(limits));
    candidates = run.Run(workers, reporter);
  }
  std::vector<Match> matches = SelectMatches(std::move(candidates), settings.multipleMatches);
  if (settings.maximalCount > 0 && matches.size() > size_t(settings.maximalCount)) {
    matches.resize(size_t(settings.maximalCount));
  }
  reporter.Finish();
  return matches;
}

}  // namespace pexora
