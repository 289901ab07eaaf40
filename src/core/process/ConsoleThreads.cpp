// The reader, writer and watchdog threads of a console run.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/process/ConsoleRun.h"

namespace tervil {

namespace {

using TRunPtr = std::shared_ptr<TConsoleApp::TRun>;
using namespace std::chrono_literals;

constexpr int kPollMs = 50;
// How long the end of standard output waits for the child to finish and for standard error
// to drain, so that the exit code and the last error lines usually come before OnDone.
constexpr std::int64_t kEndGraceMs = 250;
// How long the readers go on draining the pipes after Kill: what the killed programs wrote is
// shown, but a program that left the process group (setsid) and holds the pipes open cannot
// keep the run going.
constexpr std::int64_t kAfterKillMs = 500;

bool KillGraceOver(const TConsoleApp::TRun& run) {
  const std::int64_t killedAt = run.killedAt;
  return killedAt != 0 && TickCount() - killedAt > kAfterKillMs;
}

// One hand-over to the owner's thread, which the posting thread waits for.
class THandOver {
 public:
  void Done() {
    {
      std::lock_guard guard(lock_);
      done_ = true;
    }
    changed_.notify_all();
  }
  // Returns false when the run was cancelled before the owner handled it.
  bool Wait(const TConsoleApp::TRun& run) {
    std::unique_lock guard(lock_);
    while (!done_) {
      if (run.cancelled) return false;
      changed_.wait_for(guard, 20ms);
    }
    return true;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool done_ = false;
};

// Runs `work` on the owner's thread (unless the run is cancelled) and waits until it has run.
bool HandToOwner(const TRunPtr& run, std::function<void(TConsoleApp&)> work) {
  auto handOver = std::make_shared<THandOver>();
  run->post([run, handOver, work = std::move(work)] {
    struct TSignalDone {
      THandOver& h;
      ~TSignalDone() { h.Done(); }
    } signal{*handOver};
    if (!run->cancelled) work(*run->owner);
  });
  return handOver->Wait(*run);
}

void Pause(const TConsoleApp::TRun& run) {
  const std::int32_t ms = run.outputInterval->load();
  if (ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  else
    std::this_thread::yield();
}

// Waits until `fd` is readable (or has hung up); false after kPollMs without news.
bool WaitReadable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, kPollMs) > 0;
}

enum class TReadResult { Data, Nothing, End };

TReadResult ReadChunk(int fd, std::vector<char>& buffer, std::string& chunk) {
  const ssize_t n = ::read(fd, buffer.data(), buffer.size());
  if (n > 0) {
    chunk.assign(buffer.data(), static_cast<std::size_t>(n));
    return TReadResult::Data;
  }
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return TReadResult::Nothing;
  return TReadResult::End;  // end of file (the pipe is broken) or a failed descriptor
}

// The loop both readers share; `stop` ends it once nothing more is waiting in the pipe.
void ReadLoop(const TRunPtr& run, int fd, bool errorStream) {
  std::vector<char> buffer(std::max<std::uint32_t>(run->readBufferSize, 1));
  std::string chunk;
  while (!run->cancelled && !KillGraceOver(*run)) {
    const bool stopping = errorStream && run->stopErrorReader;
    if (!WaitReadable(fd)) {
      if (stopping) break;
      continue;
    }
    const TReadResult result = ReadChunk(fd, buffer, chunk);
    if (result == TReadResult::End) break;
    if (result == TReadResult::Nothing) continue;
    run->lastActivity = TickCount();
    const bool handled = HandToOwner(run, [errorStream, chunk](TConsoleApp& app) {
      auto& event = errorStream ? app.OnEOutput : app.OnOutput;
      if (event) event(app, chunk);
    });
    if (!handled) break;
    Pause(*run);
  }
  ::close(fd);
}

// Whether the child has ended, without collecting its exit status.
bool ChildEnded(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
         info.si_pid != 0;
}

void WaitForEnd(const TConsoleApp::TRun& run) {
  const std::int64_t until = TickCount() + kEndGraceMs;
  while (TickCount() < until && !run.cancelled) {
    if (ChildEnded(run.pid) && run.errorReaderEnded) return;
    std::this_thread::sleep_for(2ms);
  }
}

void WriteLoop(const TRunPtr& run, int fd) {
  // A write to a pipe the child has closed must fail with EPIPE, not end the program.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

  const std::size_t size = std::max<std::uint32_t>(run->writeBufferSize, 1);
  std::string chunk;
  bool pipeClosed = false;
  while (!run->cancelled && !run->stopWriter && !pipeClosed) {
    if (run->inputQueue->Take(chunk, size) == 0) {
      run->inputQueue->WaitForData(std::chrono::milliseconds(kPollMs));
      continue;
    }
    std::size_t written = 0;
    while (written < chunk.size() && !run->cancelled && !run->stopWriter) {
      pollfd entry{fd, POLLOUT, 0};
      if (::poll(&entry, 1, kPollMs) <= 0) continue;
      const ssize_t n = ::write(fd, chunk.data() + written, chunk.size() - written);
      if (n >= 0) {
        written += static_cast<std::size_t>(n);
      } else if (errno == EPIPE) {
        pipeClosed = true;
        break;
      } else if (errno != EAGAIN && errno != EINTR) {
        break;  // the chunk is lost
      }
    }
  }
  ::close(fd);
}

}  // namespace

std::int64_t TickCount() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void StartOutputReader(TRunPtr run, int fd, std::function<void()> done) {
  std::thread([run, fd, done = std::move(done)] {
    ReadLoop(run, fd, false);
    WaitForEnd(*run);
    run->post(done);
  }).detach();
}

void StartErrorReader(TRunPtr run, int fd) {
  std::thread([run, fd] {
    ReadLoop(run, fd, true);
    run->errorReaderEnded = true;
  }).detach();
}

void StartInputWriter(TRunPtr run, int fd) {
  std::thread([run, fd] { WriteLoop(run, fd); }).detach();
}

void StartWatchdogThread(TRunPtr run, std::uint64_t id, std::uint32_t timeOut,
                         std::function<void()> expired) {
  run->lastActivity = TickCount();
  std::thread([run, id, timeOut, expired = std::move(expired)] {
    while (!run->cancelled && run->watchdog == id) {
      if (run->lastActivity + static_cast<std::int64_t>(timeOut) < TickCount()) {
        run->post(expired);
        return;
      }
      std::this_thread::sleep_for(2ms);
    }
  }).detach();
}

}  // namespace tervil
