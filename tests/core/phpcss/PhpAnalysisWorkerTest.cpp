// The PHP analysis thread: results come from another thread, a newer request abandons the one
// running, a raised cancel flag stops an analysis early.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/phpcss/PhpAnalysisWorker.h"

namespace tervil {
namespace {

// A few megabytes of functions, so that an analysis takes a while.
std::string ManyFunctions(int count) {
  std::string text = "<?php\n";
  for (int n = 0; n < count; ++n)
    text += "function f" + std::to_string(n) + "($a) {\n    return '" + std::string(200, 'x') +
            "' . $a;\n}\n";
  return text;
}

struct TResults {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::pair<std::uint64_t, std::string>> list;  // request, first function's name

  TPhpAnalysisWorker::TDone Collect() {
    return [this](std::unique_ptr<TPHPAnalyser> result, std::uint64_t request) {
      std::lock_guard lock(mutex);
      list.emplace_back(request, result->Functions.empty()
                                     ? std::string()
                                     : std::string(result->Functions[0]->Name));
      arrived.notify_all();
    };
  }
  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, std::chrono::seconds(30), [&] { return list.size() >= count; });
  }
};

TEST(PhpAnalysisWorkerTest, DeliversTheNewestRequestOnly) {
  TResults results;
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id analysedOn;
  TPhpAnalysisWorker worker;
  worker.Start(ManyFunctions(20000), results.Collect());
  const std::uint64_t last =
      worker.Start("<?php function newest() {}", [&](auto result, std::uint64_t request) {
        analysedOn = std::this_thread::get_id();
        results.Collect()(std::move(result), request);
      });
  ASSERT_TRUE(results.WaitFor(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::lock_guard lock(results.mutex);
  ASSERT_EQ(results.list.size(), 1u);
  EXPECT_EQ(results.list[0], std::make_pair(last, std::string("newest")));
  EXPECT_NE(analysedOn, caller);
}

TEST(PhpAnalysisWorkerTest, CancelAbandonsAndDestructionStopsTheRunningAnalysis) {
  TResults results;
  {
    TPhpAnalysisWorker worker;
    worker.Start(ManyFunctions(20000), results.Collect());
    worker.Cancel();
    worker.Start(ManyFunctions(20000), results.Collect());
  }  // ends without waiting for the whole analysis
  std::lock_guard lock(results.mutex);
  EXPECT_TRUE(results.list.empty());
}

TEST(PhpAnalysisWorkerTest, RaisedCancelFlagLeavesAnEmptyResult) {
  TPHPAnalyser analyser;
  std::atomic<bool> cancel{true};
  EXPECT_FALSE(analyser.Analyse(ManyFunctions(100), cancel));
  EXPECT_TRUE(analyser.Functions.empty());
  cancel = false;
  EXPECT_TRUE(analyser.Analyse(ManyFunctions(100), cancel));
  EXPECT_EQ(analyser.Functions.size(), 100u);
}

}  // namespace
}  // namespace tervil
