#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tervil {

// A syntax error PHP's lint mode reported: the line (from 1) and the message without the
// "PHP Parse error:" head and the "in ... on line n" tail.
struct TLintError {
  int line = 0;
  std::string message;
  friend bool operator==(const TLintError&, const TLintError&) = default;
};

// Reads the output of "php -l": the first error it names, or nothing when it names none.
std::optional<TLintError> ParseLintOutput(std::string_view output);

// The command line that checks the text on standard input: errors are printed, not logged.
std::string PhpLintCommandLine(const std::string& php);

// What a check found: whether it ran to its end, and the error when there is one.
struct TLintResult {
  bool completed = false;  // false: PHP did not start, or was stopped (cut off or cancelled)
  std::optional<TLintError> error;
  std::string problem;  // why it did not complete
};

// Checks PHP text with the interpreter's lint mode in a thread of its own, one check at a time:
// a new check cancels the one under way (its result never arrives). The text goes to the
// interpreter's standard input; a check that runs longer than `TimeLimitMs` or prints more than
// 64 KB is cut off. Results are handed to the owner's thread through `post`.
class TPhpLinter {
 public:
  using TPost = std::function<void(std::function<void()>)>;
  using TDone = std::function<void(const TLintResult& result)>;

  explicit TPhpLinter(TPost post);
  ~TPhpLinter();  // cancels the check under way
  TPhpLinter(const TPhpLinter&) = delete;
  TPhpLinter& operator=(const TPhpLinter&) = delete;

  int TimeLimitMs = 10000;

  // Starts checking `text` with the interpreter `php`; `done` runs on the owner's thread.
  void Check(const std::string& php, std::string text, TDone done);
  // Cancels the check under way, if any; its result never arrives.
  void Cancel();
  // Whether a check is under way.
  bool Busy() const;

  struct TJob;

 private:
  TPost post_;
  std::shared_ptr<TJob> job_;
};

}  // namespace tervil
