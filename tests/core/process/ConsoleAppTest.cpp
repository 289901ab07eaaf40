#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/common/Abort.h"
#include "core/process/CommandLine.h"
#include "core/process/ConsoleApp.h"
#include "core/process/OwnerLoop.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

using namespace std::chrono_literals;
using test::TOwnerLoop;
using test::TTempDir;

// A runner on a test-thread loop that records everything it reports.
class ConsoleAppTest : public ::testing::Test {
 protected:
  ConsoleAppTest() : app(loop.Poster()) {
    app.OnOutput = [this](TConsoleApp&, const std::string& text) {
      output += text;
      ++outputChunks;
    };
    app.OnEOutput = [this](TConsoleApp&, const std::string& text) { errors += text; };
    app.OnError = [this](TConsoleApp&, std::uint32_t code, const std::string& msg) {
      systemErrors.push_back(std::to_string(code) + " " + msg);
    };
    app.OnDone = [this](TConsoleApp& sender, std::uint32_t code) {
      EXPECT_FALSE(sender.Running());
      doneCode = code;
    };
  }

  // Runs `script` with sh and waits for the end of its output.
  void RunScript(const std::string& script) {
    app.Command = "sh -c " + QuoteArgument(script);
    app.Execute();
    WaitForDone();
  }
  void WaitForDone(std::chrono::milliseconds timeout = 10s) {
    ASSERT_TRUE(loop.RunUntil([this] { return doneCode.has_value(); }, timeout));
  }
  // Lets error chunks read just before the end arrive too.
  void Settle() { loop.RunFor(300ms); }

  TOwnerLoop loop;
  TConsoleApp app;
  std::string output;
  std::string errors;
  int outputChunks = 0;
  std::vector<std::string> systemErrors;
  std::optional<std::uint32_t> doneCode;
};

// Whether `pid` still runs (a zombie waiting for its parent no longer does).
bool ProcessAlive(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string skip, state;
  if (!(stat >> skip)) return false;
  // The command field is in parentheses and may hold blanks: the state follows the last ')'.
  std::string rest((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = rest.rfind(')');
  state = rest.substr(close + 2, 1);
  return state != "Z" && state != "X";
}

TEST_F(ConsoleAppTest, DeliversOutputAndErrorEachInOrder) {
  RunScript("for i in 1 2 3; do echo out$i; echo err$i >&2; done; exit 0");
  Settle();
  EXPECT_EQ(output, "out1\nout2\nout3\n");
  EXPECT_EQ(errors, "err1\nerr2\nerr3\n");
  EXPECT_EQ(doneCode, 0u);
  EXPECT_TRUE(systemErrors.empty());
}

TEST_F(ConsoleAppTest, ReportsExitCodesAndSignals) {
  struct TCase {
    const char* script;
    std::uint32_t code;
    TExitStatus::TKind kind;
  } cases[] = {
      {"exit 0", 0, TExitStatus::TKind::Exited},
      {"exit 3", 3, TExitStatus::TKind::Exited},
      {"exit 255", 255, TExitStatus::TKind::Exited},
      {"kill -SEGV $$", 128 + SIGSEGV, TExitStatus::TKind::Signaled},
  };
  for (const auto& c : cases) {
    doneCode.reset();
    RunScript(c.script);
    EXPECT_EQ(doneCode, c.code) << c.script;
    EXPECT_EQ(app.GetExitCode(), c.code) << c.script;
    EXPECT_EQ(app.ExitStatus().kind, c.kind) << c.script;
  }
  EXPECT_EQ(DescribeExitStatus(app.ExitStatus()), "killed by signal 11 (Segmentation fault)");
  EXPECT_EQ(outputChunks, 0);  // nothing written, nothing delivered
}

TEST_F(ConsoleAppTest, FeedsStandardInputInOrder) {
  app.Write("queued while idle\n");
  app.OnBeforeExecute = [](TConsoleApp&, std::string& initialInput, TStartInfo&) {
    initialInput = "initial\n";
  };
  app.Command = "head -n 3";
  app.Execute();
  app.WriteLn("written later");
  WaitForDone();
  EXPECT_EQ(output, "queued while idle\ninitial\nwritten later\r\n");
  EXPECT_EQ(doneCode, 0u);
}

TEST_F(ConsoleAppTest, RefusesASecondRunAndAKillWhileIdle) {
  app.Command = "sh -c 'sleep 0.3; echo first'";
  app.Execute();
  try {
    app.Execute();
    FAIL() << "a second Execute was accepted";
  } catch (const TConsoleError& e) {
    EXPECT_STREQ(e.what(), "Invalid Opration: Already Running");
  }
  WaitForDone();
  EXPECT_EQ(output, "first\n");
  try {
    app.Kill(0);
    FAIL() << "Kill was accepted while idle";
  } catch (const TConsoleError& e) {
    EXPECT_STREQ(e.what(), "Process not running");
  }
}

TEST_F(ConsoleAppTest, ProgramsThatCannotStartReportTheSystemError) {
  TTempDir dir;
  const std::string notExecutable = dir.File("plain.txt");
  std::ofstream(notExecutable) << "echo hi\n";
  struct TCase {
    std::string command;
    std::string workDir;
    std::string expected;
  } cases[] = {
      {"no-such-program-tervil --x", "", "2 No such file or directory"},
      {QuoteArgument(notExecutable), "", "13 Permission denied"},
      {"sh -c true", dir.File("missing-folder"), "2 No such file or directory"},
      {"", "", "2 No such file or directory"},
  };
  for (const auto& c : cases) {
    systemErrors.clear();
    app.Command = c.command;
    app.WorkDir = c.workDir;
    EXPECT_THROW(app.Execute(), TAbort) << c.command;
    EXPECT_EQ(systemErrors, std::vector<std::string>{c.expected}) << c.command;
    EXPECT_FALSE(app.Running());
  }
  app.WorkDir.clear();
  RunScript("echo still works");  // the runner serves the next run as usual
  EXPECT_EQ(output, "still works\n");
}

TEST_F(ConsoleAppTest, KillEndsTheChildAndEverythingItStarted) {
  TTempDir dir;
  const std::string pidFile = dir.File("grandchild");
  app.Command = "sh -c " + QuoteArgument("sleep 30 & echo $! > " + QuoteArgument(pidFile) +
                                         "; echo started; wait");
  app.Execute();
  ASSERT_TRUE(loop.RunUntil([this] { return output == "started\n"; }));
  pid_t grandchild = 0;
  std::ifstream(pidFile) >> grandchild;
  ASSERT_GT(grandchild, 0);
  const auto start = std::chrono::steady_clock::now();
  app.Kill(7);
  WaitForDone(1s);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(doneCode, 7u);
  EXPECT_EQ(app.ExitStatus().kind, TExitStatus::TKind::Killed);
  for (int i = 0; i < 100 && ProcessAlive(grandchild); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(ProcessAlive(grandchild));
}

TEST_F(ConsoleAppTest, KillEndsTheRunWhileAProgramThatLeftTheGroupHoldsThePipes) {
  TTempDir dir;
  const std::string pidFile = dir.File("escaped");
  // The grandchild starts a session of its own, out of reach of the group kill, and keeps
  // writing to the inherited output and error; it ignores SIGPIPE, so it outlives the closing
  // of the pipes and the check below sees it alive.
  app.Command = "sh -c " + QuoteArgument(
                               "setsid sh -c 'trap \"\" PIPE; while :; do echo out; echo err >&2; "
                               "sleep 0.05; done' & echo $! > " +
                               QuoteArgument(pidFile) + "; echo started; wait");
  app.Execute();
  ASSERT_TRUE(loop.RunUntil([this] { return output.find("out\n") != std::string::npos; }));
  pid_t escaped = 0;
  for (int i = 0; i < 100 && escaped == 0; ++i) {
    std::ifstream(pidFile) >> escaped;
    if (escaped == 0) std::this_thread::sleep_for(10ms);
  }
  ASSERT_GT(escaped, 0);
  const auto start = std::chrono::steady_clock::now();
  app.Kill(9);
  WaitForDone(2s);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(ProcessAlive(escaped)) << "the program kept the pipes open meanwhile";
  ::kill(escaped, SIGKILL);
  EXPECT_LT(took, 1s);
  EXPECT_EQ(doneCode, 9u);
  EXPECT_FALSE(app.Running());
  // A new run starts at once.
  doneCode.reset();
  output.clear();
  RunScript("echo next");
  EXPECT_EQ(output, "next\n");
}

TEST_F(ConsoleAppTest, AChildThatClosesItsOutputEndsTheRunWhileStillAlive) {
  RunScript("exec >&-; sleep 1");
  EXPECT_EQ(doneCode, TConsoleApp::kStillActive);
  EXPECT_FALSE(app.Running());
  EXPECT_EQ(app.ExitStatus().kind, TExitStatus::TKind::Running);
}

TEST_F(ConsoleAppTest, AChildThatNeverReadsItsInputDoesNotHang) {
  app.Write(std::string(1 << 20, 'x'));  // far more than a pipe holds
  RunScript("echo ignored input; exit 4");
  EXPECT_EQ(output, "ignored input\n");
  EXPECT_EQ(doneCode, 4u);
}

TEST_F(ConsoleAppTest, DeliversBytesUnchanged) {
  RunScript("printf 'a\\000b\\377\\303(\\n'");
  EXPECT_EQ(output, std::string("a\0b\xff\xc3(\n", 7));
}

TEST_F(ConsoleAppTest, KeepsLargeOutputCompleteAndInOrder) {
  app.ReadBufferSize = 4096;
  app.SetOutputInterval(0);
  RunScript("seq 1 200000");
  std::string expected;
  for (int i = 1; i <= 200000; ++i) expected += std::to_string(i) + "\n";
  EXPECT_EQ(output.size(), expected.size());
  EXPECT_TRUE(output == expected);
  EXPECT_GT(outputChunks, 1);
}

TEST_F(ConsoleAppTest, RunsInTheWorkingFolderWithArgumentsTakenLiterally) {
  TTempDir dir;
  const std::string folder = dir.File("my 'odd' \"folder\" ü");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  app.WorkDir = folder;
  app.Command = "sh -c 'pwd; printf \"%s|\" \"$@\"' sh " + QuoteArgument("a;rm -rf x.php") + " " +
                QuoteArgument("$(id)") + " '`id`'";
  app.Execute();
  WaitForDone();
  EXPECT_EQ(output, folder + "\na;rm -rf x.php|$(id)|`id`|");
}

TEST_F(ConsoleAppTest, AnInactiveChildIsKilledAfterTheTimeOut) {
  int timeOuts = 0;
  app.OnTimeOut = [&](TConsoleApp&, bool&) { ++timeOuts; };
  app.TimeOut = 300;
  RunScript("for i in 1 2 3 4 5 6; do echo tick; sleep 0.1; done");  // active: no time-out
  EXPECT_EQ(timeOuts, 0);
  EXPECT_EQ(doneCode, 0u);

  doneCode.reset();
  const auto start = std::chrono::steady_clock::now();
  RunScript("echo once; sleep 20");
  EXPECT_EQ(timeOuts, 1);
  EXPECT_EQ(doneCode, 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(ConsoleAppTest, ATimeOutHandlerMayGrantAnotherPeriod) {
  int timeOuts = 0;
  app.OnTimeOut = [&](TConsoleApp&, bool& terminate) { terminate = ++timeOuts >= 3; };
  app.TimeOut = 100;
  RunScript("sleep 20");
  EXPECT_EQ(timeOuts, 3);
  EXPECT_EQ(doneCode, 1u);
}

TEST_F(ConsoleAppTest, WithoutATimeOutHandlerAnExpiryDoesNothing) {
  app.TimeOut = 100;
  RunScript("sleep 0.5; echo survived");
  EXPECT_EQ(output, "survived\n");
  EXPECT_EQ(doneCode, 0u);
}

TEST(ConsoleAppLifetime, DestroyingTheRunnerStopsItsChild) {
  TOwnerLoop loop;
  pid_t pid = 0;
  {
    TConsoleApp app(loop.Poster());
    app.Command = "sleep 30";
    app.OnAfterExecute = [&](TConsoleApp&, const TProcessInformation& info) {
      pid = info.processId;
      EXPECT_EQ(info.processGroup, info.processId);
    };
    app.Execute();
    ASSERT_GT(pid, 0);
  }
  loop.RunFor(100ms);  // nothing is delivered for a runner that is gone
  for (int i = 0; i < 100 && ProcessAlive(pid); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(ProcessAlive(pid));
}

TEST_F(ConsoleAppTest, RunsAPhpPageWithItsWarningOnStandardError) {
  const auto php = FindOnPath("php");
  if (!php) GTEST_SKIP() << "no PHP interpreter on PATH";
  TTempDir dir;
  const std::string page = dir.File("a;rm -rf x.php");
  std::ofstream(page) << "<?php\necho \"<p>Hello</p>\\n\";\n$x = $undefined + 1;\necho $x;\n";
  app.Command = *php + " -d log_errors=On -d display_errors=Off  " + QuoteArgument(page) + " ";
  app.Execute();
  WaitForDone();
  Settle();
  EXPECT_EQ(output, "<p>Hello</p>\n1");
  EXPECT_NE(errors.find("Warning:  Undefined variable $undefined in " + page + " on line 3"),
            std::string::npos)
      << errors;
  EXPECT_EQ(doneCode, 0u);
}

}  // namespace
}  // namespace tervil
