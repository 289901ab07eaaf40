#pragma once

// Runs PHP analyses on a thread of their own, so that the window stays responsive while a large
// document is read: one analysis at a time, and a new request abandons the one running (it stops
// at its next check and its result is never handed out).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/phpcss/PhpAnalyser.h"

namespace tervil {

class TPhpAnalysisWorker {
 public:
  // Called on the worker's thread with the finished analysis and the number its request got.
  using TDone = std::function<void(std::unique_ptr<TPHPAnalyser> result, std::uint64_t request)>;

  TPhpAnalysisWorker();
  // Stops the analysis running and waits for the thread.
  ~TPhpAnalysisWorker();
  TPhpAnalysisWorker(const TPhpAnalysisWorker&) = delete;
  TPhpAnalysisWorker& operator=(const TPhpAnalysisWorker&) = delete;

  // Analyses `text` (the worker keeps it) on the worker's thread and hands the result to `done`,
  // unless a newer request or Cancel comes first. Returns the number of the request; numbers
  // grow with every request.
  std::uint64_t Start(std::string text, TDone done);
  // Abandons the analysis running or waiting.
  void Cancel();
  // Whether an analysis runs or waits.
  bool Busy() const;

 private:
  struct TJob {
    std::string Text;
    TDone Done;
    std::uint64_t Request = 0;
  };
  void Loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::unique_ptr<TJob> pending_;
  std::uint64_t requests_ = 0;
  bool busy_ = false;
  bool quit_ = false;
  std::atomic<bool> cancel_{false};
  std::thread thread_;
};

}  // namespace tervil
