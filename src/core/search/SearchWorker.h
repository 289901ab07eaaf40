#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "core/editcomponent/SearchEngine.h"

namespace tervil {

// A thread of its own for long searches, so that the window stays responsive while they run:
// one piece of work at a time, which watches the worker's search control and can be stopped.
// The work must only read what the window thread does not change while it runs (see
// TTextBuffer::SetChangeGuard).
class TSearchWorker {
 public:
  using TWork = std::function<void(TSearchControl& control)>;
  // Called on the worker's thread when the work has ended, with the exception it ended with
  // (nullptr when none).
  using TDone = std::function<void(std::exception_ptr error)>;

  TSearchWorker();
  ~TSearchWorker();
  TSearchWorker(const TSearchWorker&) = delete;
  TSearchWorker& operator=(const TSearchWorker&) = delete;

  // Runs `work` on the worker's thread and returns at once; work still running is stopped
  // first.
  void Start(TWork work, TDone done);
  // Raises the stop flag of the running work and waits until it has ended and its `done` has
  // been called; returns at once when nothing runs.
  void Stop();
  bool Busy() const;
  // The budget every piece of work gets (its flag is the worker's own).
  void SetMatchBudget(std::chrono::nanoseconds base, std::chrono::nanoseconds perByte);

 private:
  void Loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  TWork work_;
  TDone done_;
  bool busy_ = false;
  bool quit_ = false;
  TSearchControl control_;
  std::thread thread_;
};

}  // namespace tervil
