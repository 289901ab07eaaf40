#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

#include "core/preview/PhpLint.h"
#include "core/process/CommandLine.h"

namespace tervil {
namespace {

TEST(PhpLint, ParsesTheFirstErrorOfTheOutput) {
  const std::pair<const char*, std::optional<TLintError>> cases[] = {
      {"No syntax errors detected in Standard input code\n", std::nullopt},
      {"\nParse error: syntax error, unexpected end of file in Standard input code on line 3\n"
       "Errors parsing Standard input code\n",
       TLintError{3, "syntax error, unexpected end of file"}},
      {"PHP Parse error:  syntax error, unexpected variable \"$x\", expecting \",\" or \";\" in "
       "Standard input code on line 12\r\n",
       TLintError{12, "syntax error, unexpected variable \"$x\", expecting \",\" or \";\""}},
      {"PHP Fatal error:  Cannot redeclare f() (previously declared in Standard input code:2) "
       "in Standard input code on line 4\n",
       TLintError{4, "Cannot redeclare f() (previously declared in Standard input code:2)"}},
      {"Parse error: odd in - on line 0\n", std::nullopt},
      {"Parse error: no line number here\n", std::nullopt},
      {"Warning: something in x on line 5\n", std::nullopt},
      {"Parse error: huge in x on line 99999999999999\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [output, expected] : cases)
    EXPECT_EQ(ParseLintOutput(output), expected) << output;
}

// Results handed over as the window thread would take them.
class Owner {
 public:
  void Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    ready_.notify_all();
  }
  // Runs posted tasks until `until` holds or `ms` have passed.
  bool RunUntil(const std::function<bool()>& until, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!until()) {
      std::unique_lock lock(mutex_);
      if (!ready_.wait_until(lock, end, [this] { return !tasks_.empty(); })) return false;
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
};

bool HavePhp() {
  return FindOnPath("php").has_value();
}

TEST(PhpLint, ChecksTextWithTheInterpreter) {
  if (!HavePhp()) GTEST_SKIP() << "no php on PATH";
  Owner owner;
  TPhpLinter linter([&owner](std::function<void()> task) { owner.Post(std::move(task)); });
  std::vector<TLintResult> results;
  linter.Check("php", "<?php\necho 1;\n$x = ;\n",
               [&](const TLintResult& r) { results.push_back(r); });
  ASSERT_TRUE(owner.RunUntil([&] { return !results.empty(); }));
  ASSERT_TRUE(results[0].completed);
  ASSERT_TRUE(results[0].error);
  EXPECT_EQ(results[0].error->line, 3);

  // A large clean text goes through the pipe whole.
  std::string big = "<?php\n";
  while (big.size() < 1'000'000) big += "$a = 'some text to check';\n";
  linter.Check("php", big, [&](const TLintResult& r) { results.push_back(r); });
  ASSERT_TRUE(owner.RunUntil([&] { return results.size() == 2; }));
  EXPECT_TRUE(results[1].completed);
  EXPECT_FALSE(results[1].error);
}

TEST(PhpLint, ANewCheckCancelsTheOneUnderWay) {
  if (!HavePhp()) GTEST_SKIP() << "no php on PATH";
  Owner owner;
  TPhpLinter linter([&owner](std::function<void()> task) { owner.Post(std::move(task)); });
  std::vector<int> got;
  linter.Check("php", "<?php\n$x = ;\n", [&](const TLintResult&) { got.push_back(1); });
  linter.Check("php", "<?php\necho 2;\n", [&](const TLintResult& r) {
    got.push_back(2);
    EXPECT_FALSE(r.error);
  });
  ASSERT_TRUE(owner.RunUntil([&] { return !got.empty(); }));
  owner.RunUntil([] { return false; }, 1000);  // nothing else arrives
  EXPECT_EQ(got, std::vector<int>{2});
}

TEST(PhpLint, AMissingInterpreterOrAHangingOneGivesNoError) {
  Owner owner;
  TPhpLinter linter([&owner](std::function<void()> task) { owner.Post(std::move(task)); });
  std::optional<TLintResult> result;
  linter.Check("/nonexistent/php", "<?php", [&](const TLintResult& r) { result = r; });
  ASSERT_TRUE(owner.RunUntil([&] { return result.has_value(); }));
  EXPECT_FALSE(result->completed);
  EXPECT_FALSE(result->error);

  // A program that never ends is cut off at the time limit.
  result.reset();
  linter.TimeLimitMs = 300;
  const auto start = std::chrono::steady_clock::now();
  const std::string script = ::testing::TempDir() + "/hanging-php.sh";
  {
    std::FILE* file = std::fopen(script.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("#!/bin/sh\nexec sleep 30\n", file);
    std::fclose(file);
    ::chmod(script.c_str(), 0700);
  }
  linter.Check(script, "<?php", [&](const TLintResult& r) { result = r; });
  ASSERT_TRUE(owner.RunUntil([&] { return result.has_value(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(result->completed);
  EXPECT_FALSE(result->error);
}

}  // namespace
}  // namespace tervil
