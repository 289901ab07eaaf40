#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/process/ConsoleBuffer.h"

namespace tervil {

// A refused runner operation ("Invalid Opration: Already Running", "Process not running").
class TConsoleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The child's ends of its three standard streams and how it is started; handed to
// OnBeforeExecute, which may change it.
struct TStartInfo {
  int stdInput = -1;
  int stdOutput = -1;
  int stdError = -1;
  // The child leads a process group of its own, so that Kill ends everything it started.
  bool ownProcessGroup = true;
};

// What the process creation gave back.
struct TProcessInformation {
  pid_t processId = 0;
  pid_t processGroup = 0;
};

// How the last child ended, for messages: an exit code, a signal, or the runner's Kill.
struct TExitStatus {
  enum class TKind { None, Running, Exited, Signaled, Killed };
  TKind kind = TKind::None;
  int code = 0;    // exit code (Exited), the code given to Kill (Killed)
  int signal = 0;  // Signaled and Killed
};
// "exit code 3", "killed by signal 11 (Segmentation fault)", "stopped by the user (exit code 0)".
std::string DescribeExitStatus(const TExitStatus& status);

// Hands a function to the owner's (user interface) thread, which runs it later, in order.
using TPostToOwner = std::function<void(std::function<void()>)>;

// Runs one external console program at a time as a child process with its three standard
// streams on pipes: feeds its standard input, hands every chunk of standard output and standard
// error to the owner's thread as it arrives, watches for inactivity, kills it (with everything
// it started) and reports its exit code. The command line is split into words without a shell.
class TConsoleApp {
 public:
  static constexpr std::uint32_t kStillActive = 259;

  using TOnOutputEvent = std::function<void(TConsoleApp& sender, const std::string& output)>;
  using TOnEOutputEvent = TOnOutputEvent;
  using TOnBeforeExecuteEvent =
      std::function<void(TConsoleApp& sender, std::string& initialInput, TStartInfo& startInfo)>;
  using TOnAfterExecuteEvent =
      std::function<void(TConsoleApp& sender, const TProcessInformation& information)>;
  using TOnErrorEvent =
      std::function<void(TConsoleApp& sender, std::uint32_t errCode, const std::string& msg)>;
  using TOnDoneEvent = std::function<void(TConsoleApp& sender, std::uint32_t exitCode)>;
  using TOnTimeOutEvent = std::function<void(TConsoleApp& sender, bool& terminate)>;

  // `post` delivers the events on the owner's thread; every other member is called there too.
  explicit TConsoleApp(TPostToOwner post);
  ~TConsoleApp();
  TConsoleApp(const TConsoleApp&) = delete;
  TConsoleApp& operator=(const TConsoleApp&) = delete;

  // Read by the next Execute.
  std::string Application;    // program file; empty: the first word of Command
  std::string Command;        // full command line
  std::uint32_t TimeOut = 0;  // inactivity time-out in ms; 0 switches the watchdog off
  std::uint32_t ReadBufferSize = 1024;
  std::uint32_t WriteBufferSize = 256;
  std::string WorkDir;  // empty: the owner's current folder
  int Tag = 0;
  // The readers' pause after every read, in ms (0 yields once); read at every pass.
  void SetOutputInterval(std::int32_t ms);
  std::int32_t OutputInterval() const;

  TOnOutputEvent OnOutput;
  TOnEOutputEvent OnEOutput;
  TOnBeforeExecuteEvent OnBeforeExecute;
  TOnAfterExecuteEvent OnAfterExecute;
  TOnErrorEvent OnError;
  TOnDoneEvent OnDone;
  TOnTimeOutEvent OnTimeOut;

  // Starts the child. Throws TConsoleError while running; a failing system call raises OnError
  // and then TAbort, leaving the runner idle.
  void Execute();
  // Queues text for the child's standard input; text queued while idle goes to the next child.
  void Write(const std::string& text);
  void WriteLn(const std::string& text);
  // Ends the child and its process group; the run then ends as usual (OnDone), and the exit code
  // reported is `exitCode`. Throws TConsoleError when nothing runs.
  void Kill(std::uint32_t exitCode);
  // The last child's exit code, kStillActive while it lives.
  std::uint32_t GetExitCode();
  TExitStatus ExitStatus();
  // True from the child's creation until its standard output has ended.
  bool Running() const { return running_; }
  const TProcessInformation& ProcessInformation() const { return processInformation_; }

  struct TRun;

 private:
  void Fail(int errorCode);
  void Reap();
  void ReleaseLastChild();
  void StartWatchdog();
  void EndWatchdog();
  void DoneHandler(const std::shared_ptr<TRun>& run);
  void TimeOutHandler(const std::shared_ptr<TRun>& run, std::uint64_t watchdogId);

  // The owner's post, shared with the reader threads of every run. The threads are detached and
  // may outlive this object: the destructor closes the gate, so none of them reaches an owner
  // that is gone.
  struct TPostGate;
  std::shared_ptr<TPostGate> postGate_;
  std::shared_ptr<std::atomic<std::int32_t>> outputInterval_;
  std::shared_ptr<TBuffer> inputQueue_;
  std::shared_ptr<TRun> run_;  // the last run, kept for its exit code
  TProcessInformation processInformation_;
  bool running_ = false;
  std::uint64_t watchdogId_ = 0;  // 0: no watchdog
};

}  // namespace tervil
