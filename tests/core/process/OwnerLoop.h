#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "core/process/ConsoleApp.h"

namespace tervil::test {

// Stands in for the user interface thread: functions posted from any thread run on the test's
// thread inside RunUntil, in order.
class TOwnerLoop {
 public:
  TPostToOwner Poster() {
    return [this](std::function<void()> work) {
      {
        std::lock_guard guard(lock_);
        queue_.push_back(std::move(work));
      }
      changed_.notify_all();
    };
  }

  // Runs posted work until `done` holds or `timeout` has passed; returns `done()`.
  template <typename Done>
  bool RunUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      std::function<void()> work;
      {
        std::unique_lock guard(lock_);
        if (!changed_.wait_until(guard, until, [this] { return !queue_.empty(); })) break;
        work = std::move(queue_.front());
        queue_.pop_front();
      }
      work();
    }
    return done();
  }

  // Runs posted work for `period`.
  void RunFor(std::chrono::milliseconds period) {
    RunUntil([] { return false; }, period);
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace tervil::test
