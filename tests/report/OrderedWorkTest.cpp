// Files read side by side and added in order: the order of taking, the failure told and the
// items begun ahead never depend on which thread finished first. Each test makes one item wait
// for another made on the other thread, so that a taker that took items as they came would
// fail every time; the waits are bounded only so that such a fault ends.
#include "report/OrderedWork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/Expect.h"

namespace Dexal {
namespace {

using namespace std::chrono_literals;

// What the items' makers saw: the highest item begun and those finished.
class Progress {
 public:
  void Began(std::size_t i) {
    const std::lock_guard lock(mutex_);
    highestBegun_ = std::max(highestBegun_, i);
    changed_.notify_all();
  }
  void Finished(std::size_t i) {
    const std::lock_guard lock(mutex_);
    finished_.push_back(i);
    changed_.notify_all();
  }
  // Waits (at most a while) until `i` is finished; says whether it was.
  bool AwaitFinished(std::size_t i) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return IsFinished(i); });
  }
  // Waits a while for an item after `i` to begin; says whether one did.
  bool SeesBegunAfter(std::size_t i) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 300ms, [&] { return highestBegun_ > i; });
  }

 private:
  bool IsFinished(std::size_t i) const {
    return std::find(finished_.begin(), finished_.end(), i) != finished_.end();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t highestBegun_ = 0;
  std::vector<std::size_t> finished_;
};

TEST(OrderedWork, TakesInOrderWhateverFinishesFirst) {
  Progress progress;
  std::vector<std::size_t> taken;
  MakeInParallelTakeInOrder<std::size_t>(
      6, 2, 6,
      [&](std::size_t i) {
        if (i == 0) {
          EXPECT_TRUE(progress.AwaitFinished(1));  // the first item finishes last
        }
        progress.Finished(i);
        return i * 10;
      },
      [&](std::size_t i, std::size_t item) {
        EXPECT_EQ(item, i * 10);
        taken.push_back(i);
      });
  EXPECT_EQ(taken, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
}

TEST(OrderedWork, TellsTheFirstFailureInOrderAndTakesNothingAfterIt) {
  Progress progress;
  std::vector<std::size_t> taken;
  const std::string message = testing::MessageOf<std::runtime_error>([&] {
    MakeInParallelTakeInOrder<int>(
        8, 2, 8,
        [&](std::size_t i) {
          // Item 2 fails before item 1 does.
          if (i == 1 && progress.AwaitFinished(2)) throw std::runtime_error("item 1");
          progress.Finished(i);
          if (i == 2) throw std::runtime_error("item 2");
          return 0;
        },
        [&](std::size_t i, int) { taken.push_back(i); });
  });
  EXPECT_EQ(message, "item 1");
  EXPECT_EQ(taken, std::vector<std::size_t>{0});
}

TEST(OrderedWork, BeginsNoMoreThanAheadBeforeTheFirstIsTaken) {
  Progress progress;
  std::size_t taken = 0;
  MakeInParallelTakeInOrder<int>(
      10, 2, 3,
      [&](std::size_t i) {
        progress.Began(i);
        // While the first is made, the other thread may make the second and third only.
        if (i == 0) {
          EXPECT_FALSE(progress.SeesBegunAfter(2));
        }
        return 0;
      },
      [&](std::size_t, int) { ++taken; });
  EXPECT_EQ(taken, 10u);
}

}  // namespace
}  // namespace Dexal
