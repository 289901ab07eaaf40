// The thread that analyses PHP documents for the code inspector.

#include "core/phpcss/PhpAnalysisWorker.h"

namespace tervil {

TPhpAnalysisWorker::TPhpAnalysisWorker() : thread_([this] { Loop(); }) {}

TPhpAnalysisWorker::~TPhpAnalysisWorker() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    pending_.reset();
    cancel_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

std::uint64_t TPhpAnalysisWorker::Start(std::string text, TDone done) {
  std::uint64_t request = 0;
  {
    std::lock_guard lock(mutex_);
    request = ++requests_;
    pending_ = std::make_unique<TJob>(TJob{std::move(text), std::move(done), request});
    cancel_ = true;  // the analysis running, if any, gives way
  }
  wake_.notify_all();
  return request;
}

void TPhpAnalysisWorker::Cancel() {
  std::lock_guard lock(mutex_);
  pending_.reset();
  cancel_ = true;
}

bool TPhpAnalysisWorker::Busy() const {
  std::lock_guard lock(mutex_);
  return busy_ || pending_ != nullptr;
}

void TPhpAnalysisWorker::Loop() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return quit_ || pending_ != nullptr; });
    if (quit_) return;
    std::unique_ptr<TJob> job = std::move(pending_);
    cancel_ = false;
    busy_ = true;
    lock.unlock();
    auto result = std::make_unique<TPHPAnalyser>();
    const bool finished = result->Analyse(job->Text, cancel_);
    job->Text = std::string();  // the snapshot goes before the result is handed on
    lock.lock();
    // The request still counts only when no newer one came and it was not cancelled.
    const bool deliver = finished && !cancel_ && pending_ == nullptr && !quit_;
    if (deliver) {
      lock.unlock();
      job->Done(std::move(result), job->Request);
      lock.lock();
    }
    busy_ = false;
  }
}

}  // namespace tervil
