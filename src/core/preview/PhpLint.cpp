#include "core/preview/PhpLint.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/process/CommandLine.h"
#include "core/process/Spawn.h"

namespace tervil {

namespace {

constexpr std::size_t kMaxOutput = 64 * 1024;
constexpr int kPollMs = 20;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::optional<TLintError> ParseLintOutput(std::string_view output) {
  static constexpr std::string_view kKinds[] = {"Parse error:", "Fatal error:", "Compile error:"};
  std::size_t from = 0;
  while (from < output.size()) {
    std::size_t end = output.find('\n', from);
    if (end == std::string_view::npos) end = output.size();
    std::string_view line = Trimmed(output.substr(from, end - from));
    from = end + 1;
    if (line.starts_with("PHP ")) line.remove_prefix(4);
    bool known = false;
    for (std::string_view kind : kKinds) {
      if (line.starts_with(kind)) {
        line = Trimmed(line.substr(kind.size()));
        known = true;
        break;
      }
    }
    if (!known) continue;
    // "... in Standard input code on line 12"
    const std::size_t on = line.rfind(" on line ");
    if (on == std::string_view::npos) continue;
    int number = 0;
    std::string_view digits = line.substr(on + 9);
    if (digits.empty()) continue;
    bool valid = true;
    for (char c : digits) {
      if (c < '0' || c > '9' || number > 100000000) {
        valid = false;
        break;
      }
      number = number * 10 + (c - '0');
    }
    if (!valid || number < 1) continue;
    std::string_view message = line.substr(0, on);
    const std::size_t in = message.rfind(" in ");
    if (in != std::string_view::npos) message = message.substr(0, in);
    return TLintError{number, std::string(Trimmed(message))};
  }
  return std::nullopt;
}

std::string PhpLintCommandLine(const std::string& php) {
  return QuoteArgument(php) + " -d display_errors=1 -d log_errors=0 -d error_reporting=-1 -l";
}

struct TPhpLinter::TJob {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> finished{false};
};

namespace {

// Runs one check; returns its result (never throws).
TLintResult RunCheck(const std::string& php, const std::string& text, int timeLimitMs,
                     const std::atomic<bool>& cancelled) {
  TLintResult result;
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0) {
    result.problem = std::strerror(errno);
    return result;
  }
  if (::pipe2(output, O_CLOEXEC) != 0) {
    result.problem = std::strerror(errno);
    ::close(input[0]);
    ::close(input[1]);
    return result;
  }
  TSpawnOptions options;
  options.commandLine = PhpLintCommandLine(php);
  options.stdInput = input[0];
  options.stdOutput = output[1];
  options.stdError = output[1];
  pid_t pid = 0;
  const int error = SpawnProcess(options, pid);
  ::close(input[0]);
  ::close(output[1]);
  if (error != 0) {
    ::close(input[1]);
    ::close(output[0]);
    result.problem = std::strerror(error);
    return result;
  }
  ::fcntl(input[1], F_SETFL, O_NONBLOCK);
  int writeFd = input[1];
  if (text.empty()) {
    ::close(writeFd);
    writeFd = -1;
  }
  std::size_t written = 0;
  std::string out;
  const std::int64_t until = Now() + timeLimitMs;
  bool cutOff = false;
  char buffer[8192];
  while (true) {
    if (cancelled || Now() > until || out.size() > kMaxOutput) {
      cutOff = true;
      break;
    }
    pollfd entries[2] = {{output[0], POLLIN, 0}, {writeFd, POLLOUT, 0}};
    const int count = writeFd >= 0 ? 2 : 1;
    if (::poll(entries, count, kPollMs) < 0 && errno != EINTR) break;
    if (count == 2 && (entries[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = ::write(writeFd, text.data() + written, text.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || written >= text.size()) {
        ::close(writeFd);  // the end of the text: PHP checks it now
        writeFd = -1;
      }
    }
    if (entries[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::read(output[0], buffer, sizeof buffer);
      if (n > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        break;  // PHP closed its output: it has ended
      }
    }
  }
  if (writeFd >= 0) ::close(writeFd);
  ::close(output[0]);
  if (cutOff) ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (cutOff) {
    result.problem = cancelled ? "cancelled" : "cut off";
    return result;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) {
    result.problem = "PHP did not run";
    return result;
  }
  result.completed = true;
  result.error = ParseLintOutput(out);
  return result;
}

}  // namespace

TPhpLinter::TPhpLinter(TPost post) : post_(std::move(post)) {}

TPhpLinter::~TPhpLinter() {
  Cancel();
}

void TPhpLinter::Cancel() {
  if (job_) job_->cancelled = true;
  job_.reset();
}

bool TPhpLinter::Busy() const {
  return job_ && !job_->finished;
}

void TPhpLinter::Check(const std::string& php, std::string text, TDone done) {
  Cancel();
  auto job = std::make_shared<TJob>();
  job_ = job;
  std::thread([job, php, text = std::move(text), done = std::move(done), post = post_,
               limit = TimeLimitMs] {
    // A write to a pipe PHP has closed must fail with EPIPE, not end the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    TLintResult result = RunCheck(php, text, limit, job->cancelled);
    job->finished = true;
    if (job->cancelled) return;
    post([job, done, result] {
      if (!job->cancelled) done(result);
    });
  }).detach();
}

}  // namespace tervil
