// Work items done on several threads, their results taken in the items' order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace pexora::find {

// Calls `work(i)` for every i below `count` on `threads` threads and hands
// each result to `take` on the calling thread, in the order of i. At most
// `ahead` results are done or under way beyond the last one taken, so memory
// stays bounded however many items there are. `work` must not throw.
template <typename Result>
void RunInOrder(size_t count, unsigned threads, size_t ahead, const std::function<Result(size_t)>& work,
                const std::function<void(Result&)>& take) {
  std::mutex mutex;
  std::condition_variable done, room;
  size_t next = 0, taken = 0;
  std::map<size_t, Result> ready;
  const auto worker = [&] {
    for (;;) {
      size_t item = 0;
      {
        std::unique_lock lock(mutex);
        room.wait(lock, [&] { return next >= count || next < taken + ahead; });
        if (next >= count) return;
        item = next++;
      }
      Result result = work(item);
      {
        std::lock_guard lock(mutex);
        ready.emplace(item, std::move(result));
      }
      done.notify_one();
    }
  };
  std::vector<std::jthread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
  while (taken < count) {
    typename std::map<size_t, Result>::node_type node;
    {
      std::unique_lock lock(mutex);
      done.wait(lock, [&] { return ready.count(taken) != 0; });
      node = ready.extract(taken);
    }
    take(node.mapped());
    {
      std::lock_guard lock(mutex);
      ++taken;
    }
    room.notify_all();
  }
}

}  // namespace pexora::find
