#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace Dexal {

// The threads for work that is spread over the cores: one a core, up to four.
inline unsigned WorkingThreads() { return std::clamp(std::thread::hardware_concurrency(), 1U, 4U); }

// Makes items 0 to count - 1 on up to `threads` threads (make(i), which must be safe to call
// for several items at once) and takes each on the calling thread in order (take(i, item)), at
// most `ahead` items begun and not yet taken (so that a long item holds back only so much). An
// exception from make(i) is thrown when item i's turn comes, so the first failure in order is the
// one seen, whatever finished first; from there, and on an exception from take, nothing more is
// made or taken. With one thread, or one item, everything runs on the calling thread.
template <typename Item, typename Make, typename Take>
void MakeInParallelTakeInOrder(std::size_t count, unsigned threads, std::size_t ahead, Make make,
                               Take take) {
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
  if (threads <= 1) {
    for (std::size_t i = 0; i < count; ++i) take(i, make(i));
    return;
  }
  struct Made {
    std::optional<Item> item;
    std::exception_ptr failure;
    bool done = false;
  };
  std::vector<Made> made(count);
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0, taken = 0;
  bool stop = false;

  const auto work = [&] {
    for (;;) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return stop || next >= count || next < taken + ahead; });
      if (stop || next >= count) return;
      const std::size_t i = next++;
      lock.unlock();
      std::optional<Item> item;
      std::exception_ptr failure;
      try {
        item.emplace(make(i));
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      made[i] = {std::move(item), failure, true};
      changed.notify_all();
    }
  };

  std::vector<std::thread> workers;
  // Stops and joins the workers however the taking ends.
  struct Joiner {
    std::vector<std::thread>& workers;
    std::mutex& mutex;
    std::condition_variable& changed;
    bool& stop;
    ~Joiner() {
      {
        const std::lock_guard lock(mutex);
        stop = true;
      }
      changed.notify_all();
      for (std::thread& worker : workers) worker.join();
    }
  } joiner{workers, mutex, changed, stop};
  for (unsigned t = 0; t < threads; ++t) workers.emplace_back(work);

  for (std::size_t i = 0; i < count; ++i) {
    Made turn;
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return made[i].done; });
      turn = std::move(made[i]);
      made[i] = {};
      taken = i + 1;
    }
    changed.notify_all();
    if (turn.failure) std::rethrow_exception(turn.failure);
    take(i, std::move(*turn.item));
  }
}

}  // namespace Dexal
