#include "core/process/ConsoleApp.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "core/common/Abort.h"
#include "core/process/ConsoleRun.h"
#include "core/process/Spawn.h"

namespace tervil {

namespace {

// The system's text for an error code, without trailing blanks, control characters and full
// stops.
std::string SystemMessage(int code) {
  std::string text = std::strerror(code);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.') break;
    text.pop_back();
  }
  return text;
}

// The pipes of one run: [0] is the read end, [1] the write end; -1 once closed or handed over.
struct TPipes {
  int error[2] = {-1, -1};
  int output[2] = {-1, -1};
  int input[2] = {-1, -1};

  ~TPipes() {
    for (int* pipe : {error, output, input})
      for (int i = 0; i < 2; ++i)
        if (pipe[i] >= 0) ::close(pipe[i]);
  }
  // Creates the three pipes; returns 0 or the failing call's error code.
  int Create() {
    for (int* pipe : {error, output, input})
      if (::pipe2(pipe, O_CLOEXEC) != 0) return errno;
    // The parent's ends never block a thread that has been asked to stop.
    for (int fd : {error[0], output[0], input[1]}) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    return 0;
  }
  static int Take(int& fd) { return std::exchange(fd, -1); }
};

}  // namespace

std::string DescribeExitStatus(const TExitStatus& status) {
  using K = TExitStatus::TKind;
  switch (status.kind) {
    case K::None:
      return "not started";
    case K::Running:
      return "still running";
    case K::Exited:
      return "exit code " + std::to_string(status.code);
    case K::Signaled:
      return "killed by signal " + std::to_string(status.signal) + " (" + strsignal(status.signal) +
             ")";
    case K::Killed:
      return "stopped (exit code " + std::to_string(status.code) + ")";
  }
  return {};
}

struct TConsoleApp::TPostGate {
  std::mutex mutex;
  TPostToOwner post;  // empty once the owner has gone

  void Post(std::function<void()> work) {
    std::lock_guard lock(mutex);
    if (post) post(std::move(work));
  }
  void Close() {
    std::lock_guard lock(mutex);
    post = nullptr;
  }
};

TConsoleApp::TConsoleApp(TPostToOwner post)
    : postGate_(std::make_shared<TPostGate>()),
      outputInterval_(std::make_shared<std::atomic<std::int32_t>>(2)),
      inputQueue_(std::make_shared<TBuffer>()) {
  postGate_->post = std::move(post);
}

TConsoleApp::~TConsoleApp() {
  if (running_) {
    try {
      Kill(0);
    } catch (...) {
    }
  }
  if (run_) {
    run_->cancelled = true;
    inputQueue_->Wake();
    ReleaseLastChild();
  }
  postGate_->Close();
}

void TConsoleApp::SetOutputInterval(std::int32_t ms) {
  outputInterval_->store(ms);
}

std::int32_t TConsoleApp::OutputInterval() const {
  return outputInterval_->load();
}

void TConsoleApp::Fail(int errorCode) {
  if (OnError) OnError(*this, static_cast<std::uint32_t>(errorCode), SystemMessage(errorCode));
  throw TAbort();
}

void TConsoleApp::Execute() {
  if (running_) throw TConsoleError("Invalid Opration: Already Running");
  TPipes pipes;
  if (const int error = pipes.Create()) Fail(error);

  TStartInfo start;
  start.stdInput = pipes.input[0];
  start.stdOutput = pipes.output[1];
  start.stdError = pipes.error[1];
  std::string initialInput;
  if (OnBeforeExecute) OnBeforeExecute(*this, initialInput, start);
  inputQueue_->Write(initialInput);

  EndWatchdog();
  TSpawnOptions options;
  options.application = Application;
  options.commandLine = Command;
  options.workDir = WorkDir;
  options.stdInput = start.stdInput;
  options.stdOutput = start.stdOutput;
  options.stdError = start.stdError;
  options.ownProcessGroup = start.ownProcessGroup;
  pid_t pid = 0;
  if (const int error = SpawnProcess(options, pid)) Fail(error);

  ReleaseLastChild();
  auto run = std::make_shared<TRun>();
  run->owner = this;
  run->post = [gate = postGate_](std::function<void()> work) { gate->Post(std::move(work)); };
  run->inputQueue = inputQueue_;
  run->outputInterval = outputInterval_;
  run->readBufferSize = ReadBufferSize;
  run->writeBufferSize = WriteBufferSize;
  run->pid = pid;
  run_ = run;
  processInformation_ = {pid, start.ownProcessGroup ? pid : ::getpgid(pid)};

  if (TimeOut != 0) StartWatchdog();
  if (OnAfterExecute) OnAfterExecute(*this, processInformation_);
  running_ = true;
  StartOutputReader(run, TPipes::Take(pipes.output[0]), [this, run] {
    if (!run->cancelled) DoneHandler(run);
  });
  StartErrorReader(run, TPipes::Take(pipes.error[0]));
  StartInputWriter(run, TPipes::Take(pipes.input[1]));
  // The child's ends close with `pipes`.
}

void TConsoleApp::Write(const std::string& text) {
  inputQueue_->Write(text);
}

void TConsoleApp::WriteLn(const std::string& text) {
  Write(text + "\r\n");
}

void TConsoleApp::Kill(std::uint32_t exitCode) {
  if (!running_) throw TConsoleError("Process not running");
  run_->killed = true;
  run_->killCode = exitCode;
  const pid_t target =
      processInformation_.processGroup == run_->pid ? -run_->pid : processInformation_.processId;
  if (::kill(target, SIGKILL) != 0 && errno != ESRCH) Fail(errno);
  if (run_->killedAt == 0) run_->killedAt = TickCount();
}

void TConsoleApp::Reap() {
  if (!run_ || run_->reaped) return;
  int status = 0;
  const pid_t result = ::waitpid(run_->pid, &status, WNOHANG);
  if (result == run_->pid || (result < 0 && errno == ECHILD)) {
    run_->reaped = true;
    run_->waitStatus = result == run_->pid ? status : 0;
  }
}

TExitStatus TConsoleApp::ExitStatus() {
  using K = TExitStatus::TKind;
  if (!run_) return {};
  Reap();
  if (!run_->reaped) return {K::Running, static_cast<int>(kStillActive), 0};
  const int status = run_->waitStatus;
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    if (run_->killed && signal == SIGKILL)
      return {K::Killed, static_cast<int>(run_->killCode), signal};
    return {K::Signaled, 128 + signal, signal};
  }
  return {K::Exited, WEXITSTATUS(status), 0};
}

std::uint32_t TConsoleApp::GetExitCode() {
  if (!run_) Fail(ECHILD);
  return static_cast<std::uint32_t>(ExitStatus().code);
}

// A child that has not been collected yet is handed to a thread that waits for it, so that no
// finished program stays behind as a zombie.
void TConsoleApp::ReleaseLastChild() {
  if (!run_) return;
  Reap();
  if (!run_->reaped) {
    const pid_t pid = run_->pid;
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    run_->reaped = true;
  }
}

void TConsoleApp::StartWatchdog() {
  static std::atomic<std::uint64_t> nextId{1};
  const std::uint64_t id = nextId++;
  watchdogId_ = id;
  run_->watchdog = id;
  auto run = run_;
  StartWatchdogThread(run, id, TimeOut, [this, run, id] {
    if (!run->cancelled) TimeOutHandler(run, id);
  });
}

void TConsoleApp::EndWatchdog() {
  watchdogId_ = 0;
  if (run_) run_->watchdog = 0;
}

void TConsoleApp::DoneHandler(const std::shared_ptr<TRun>& run) {
  if (run != run_) return;
  running_ = false;
  EndWatchdog();
  run->stopWriter = true;
  run->stopErrorReader = true;
  inputQueue_->Wake();
  if (OnDone) OnDone(*this, GetExitCode());
}

void TConsoleApp::TimeOutHandler(const std::shared_ptr<TRun>& run, std::uint64_t watchdogId) {
  if (run != run_ || watchdogId != watchdogId_) return;  // ended or replaced meanwhile
  EndWatchdog();
  if (!OnTimeOut) return;
  bool terminate = true;
  OnTimeOut(*this, terminate);
  if (!terminate) {
    StartWatchdog();
  } else if (running_) {
    Kill(1);
  }
}

}  // namespace tervil
