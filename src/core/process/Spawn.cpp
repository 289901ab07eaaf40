#include "core/process/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "core/process/CommandLine.h"

extern char** environ;

namespace tervil {

int SpawnProcess(const TSpawnOptions& options, pid_t& pid) {
  std::vector<std::string> words = SplitCommandLine(options.commandLine);
  if (words.empty() && !options.application.empty()) words.push_back(options.application);
  if (words.empty()) return ENOENT;
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.stdInput >= 0)
    posix_spawn_file_actions_adddup2(&actions, options.stdInput, STDIN_FILENO);
  else if (options.inputFromNull)
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (options.stdOutput >= 0)
    posix_spawn_file_actions_adddup2(&actions, options.stdOutput, STDOUT_FILENO);
  if (options.stdError >= 0)
    posix_spawn_file_actions_adddup2(&actions, options.stdError, STDERR_FILENO);
  if (!options.workDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (options.newSession) {
    flags |= POSIX_SPAWN_SETSID;
  } else if (options.ownProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  posix_spawnattr_setflags(&attributes, flags);
  // The child starts with no blocked signals and every signal at its default action.
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigfillset(&signals);
  sigdelset(&signals, SIGKILL);
  sigdelset(&signals, SIGSTOP);
  posix_spawnattr_setsigdefault(&attributes, &signals);

  const int result = options.application.empty()
                         ? posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ)
                         : posix_spawn(&pid, options.application.c_str(), &actions, &attributes,
                                       argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

int ExecuteDetached(const std::string& commandLine, const std::string& workDir,
                    const std::string& copyPath, int maxWaitMs, bool keepFullWait) {
  TSpawnOptions options;
  options.commandLine = commandLine;
  options.workDir = workDir;
  options.inputFromNull = true;
  options.newSession = true;
  pid_t pid = 0;
  if (const int error = SpawnProcess(options, pid)) return error;
  std::thread([pid, copyPath, maxWaitMs, keepFullWait] {
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(maxWaitMs);
    bool collected = false;
    while ((keepFullWait || !collected) && steady_clock::now() < until) {
      if (!collected) collected = ::waitpid(pid, nullptr, WNOHANG) != 0;
      std::this_thread::sleep_for(milliseconds(50));
    }
    if (!copyPath.empty()) std::remove(copyPath.c_str());
    if (!collected) ::waitpid(pid, nullptr, 0);
  }).detach();
  return 0;
}

}  // namespace tervil
