#pragma once

// The state one run of TConsoleApp shares with its threads (internal to the runner).

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "core/process/ConsoleApp.h"

namespace tervil {

// Milliseconds of a monotonic clock.
std::int64_t TickCount();

struct TConsoleApp::TRun {
  TConsoleApp* owner = nullptr;  // touched on the owner's thread only, while !cancelled
  TPostToOwner post;
  std::shared_ptr<TBuffer> inputQueue;
  std::shared_ptr<std::atomic<std::int32_t>> outputInterval;
  std::uint32_t readBufferSize = 1024;
  std::uint32_t writeBufferSize = 256;

  pid_t pid = 0;
  bool reaped = false;  // owner's thread
  int waitStatus = 0;   // owner's thread, once reaped
  bool killed = false;  // owner's thread
  std::uint32_t killCode = 0;

  // Set on the owner's thread when the runner goes away: nothing more is delivered.
  std::atomic<bool> cancelled{false};
  std::atomic<bool> stopWriter{false};
  std::atomic<bool> stopErrorReader{false};
  std::atomic<bool> errorReaderEnded{false};
  // The tick at which Kill ended the process group, 0 before. A program that left the group
  // may still hold the pipes: the readers give up on them a little after this.
  std::atomic<std::int64_t> killedAt{0};
  std::atomic<std::int64_t> lastActivity{0};  // the watchdog's start tick
  std::atomic<std::uint64_t> watchdog{0};     // the id of the watchdog that may run
};

// The threads of a run. Each owns its pipe end, closes it when it ends and frees itself. The
// output reader posts `done` to the owner's thread when standard output has ended.
void StartOutputReader(std::shared_ptr<TConsoleApp::TRun> run, int fd, std::function<void()> done);
void StartErrorReader(std::shared_ptr<TConsoleApp::TRun> run, int fd);
void StartInputWriter(std::shared_ptr<TConsoleApp::TRun> run, int fd);
// Watches `run` for inactivity while run->watchdog == id; posts `expired` when the time-out has
// passed since the last activity.
void StartWatchdogThread(std::shared_ptr<TConsoleApp::TRun> run, std::uint64_t id,
                         std::uint32_t timeOut, std::function<void()> expired);

}  // namespace tervil
