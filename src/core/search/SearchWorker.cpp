#include "core/search/SearchWorker.h"

namespace tervil {

TSearchWorker::TSearchWorker() = default;

TSearchWorker::~TSearchWorker() {
  Stop();
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TSearchWorker::Start(TWork work, TDone done) {
  Stop();
  std::lock_guard lock(mutex_);
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  control_.Stop.store(false);
  work_ = std::move(work);
  done_ = std::move(done);
  busy_ = true;
  wake_.notify_all();
}

void TSearchWorker::Stop() {
  std::unique_lock lock(mutex_);
  if (!busy_) return;
  control_.Stop.store(true);
  idle_.wait(lock, [this] { return !busy_; });
}

bool TSearchWorker::Busy() const {
  std::lock_guard lock(mutex_);
  return busy_;
}

void TSearchWorker::SetMatchBudget(std::chrono::nanoseconds base,
                                   std::chrono::nanoseconds perByte) {
  Stop();
  std::lock_guard lock(mutex_);
  control_.MatchBudget = base;
  control_.MatchBudgetPerByte = perByte;
}

void TSearchWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || work_; });
    if (quit_) return;
    TWork work = std::move(work_);
    TDone done = std::move(done_);
    work_ = nullptr;
    done_ = nullptr;
    lock.unlock();
    std::exception_ptr error;
    try {
      work(control_);
    } catch (...) {
      error = std::current_exception();
    }
    if (done) done(error);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}

}  // namespace tervil
