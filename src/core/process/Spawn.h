#pragma once

#include <sys/types.h>

#include <string>

namespace tervil {

// How to start a program without a shell.
struct TSpawnOptions {
  std::string application;  // the program file; empty: the first word of the command line
  std::string commandLine;  // split into words by SplitCommandLine
  std::string workDir;      // empty: the current folder
  // The child's standard streams: a descriptor to put there, or -1 to leave the parent's (the
  // input then reads /dev/null when inputFromNull is set).
  int stdInput = -1;
  int stdOutput = -1;
  int stdError = -1;
  bool inputFromNull = false;
  bool ownProcessGroup = true;  // the child leads a new process group
  bool newSession = false;      // the child leads a new session, detached from the editor
};

// Starts the program; returns 0 and sets `pid`, or the error code (errno) of the failing step,
// ENOENT when the command line names no program.
int SpawnProcess(const TSpawnOptions& options, pid_t& pid);

// Starts a program detached from the editor (a session of its own, no captured streams) and,
// in a thread of its own, waits until it ends but at most `maxWaitMs`, then deletes `copyPath`
// (when not empty) and keeps collecting the process so that it never stays a zombie. With
// `keepFullWait` the copy stays for the whole `maxWaitMs` even when the program ends sooner (a
// launcher such as xdg-open ends before the program it starts has read the file). Returns 0 or
// the error code; a program that does not start leaves the copy alone.
int ExecuteDetached(const std::string& commandLine, const std::string& workDir,
                    const std::string& copyPath, int maxWaitMs = 65535, bool keepFullWait = false);

}  // namespace tervil
