// Benchmarks of the console window on the offscreen platform: a program that prints 100 MB to
// standard output (throughput, the longest pause of the window's event loop, memory), "Show Full
// Output" after a 50 MB run (the longest pause while the page fills) and Kill of a program with
// children.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <fstream>
#include <string>

#include "ui/process/Console.h"

namespace {

using namespace tervil;

constexpr long long kOutputBytes = 100ll << 20;

// The process's peak resident memory in MB.
double PeakMemoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// Runs `command` in a shown console until it ends; returns the longest gap between two turns of
// the event loop in ms (a 5 ms timer measures it).
double RunWatchingTheLoop(TConsole& console, const QString& command, bool kill = false) {
  QEventLoop loop;
  QObject::connect(&console, &TConsole::RunFinished, &loop, &QEventLoop::quit);
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  clock.start();
  ticker.start();
  console.RunCommand(command, QString());
  if (kill) QTimer::singleShot(200, [&console] { console.KillProcess(0); });
  loop.exec();
  return static_cast<double>(longest);
}

void BM_Console100MBOutput(benchmark::State& state) {
  TConsole console;
  console.resize(1200, 300);
  console.show();
  console.PageControl1->setCurrentWidget(console.OutputPage);
  const QString command =
      QString("sh -c 'yes \"a line of console output, sixty-four bytes long......\" | head -c %1'")
          .arg(kOutputBytes);
  double longest = 0;
  for (auto _ : state) longest = std::max(longest, RunWatchingTheLoop(console, command));
  state.SetBytesProcessed(state.iterations() * kOutputBytes);
  state.counters["longest_loop_gap_ms"] = longest;
  state.counters["kept_MB"] = console.Output().FullOutput().size() / 1048576.0;
  state.counters["peak_rss_MB"] = PeakMemoryMb();
}
BENCHMARK(BM_Console100MBOutput)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// "Show Full Output" after a run that printed 50 MB (32 MB kept): the time until the page holds
// all of it and the longest pause of the window's event loop meanwhile.
void BM_ConsoleShowFull50MB(benchmark::State& state) {
  TConsole console;
  console.resize(1200, 300);
  console.show();
  console.PageControl1->setCurrentWidget(console.OutputPage);
  RunWatchingTheLoop(
      console,
      "sh -c 'yes \"a line of console output, sixty-four bytes long......\" | head -c 52428800'");
  double longest = 0;
  for (auto _ : state) {
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      longest = std::max(longest, static_cast<double>(now - last));
      last = now;
      if (!console.FillingFullOutput()) loop.quit();
    });
    clock.start();
    ticker.start();
    QTimer::singleShot(0, &console, [&console] { console.ShowFull(); });
    loop.exec();
  }
  state.counters["longest_loop_gap_ms"] = longest;
  state.counters["lines_shown"] = console.OutputMemo->document()->blockCount();
  state.counters["peak_rss_MB"] = PeakMemoryMb();
}
BENCHMARK(BM_ConsoleShowFull50MB)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ConsoleKillTree(benchmark::State& state) {
  TConsole console;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    RunWatchingTheLoop(console, "sh -c 'sleep 30 & sleep 30 & wait'", true);
    state.SetIterationTime((clock.elapsed() - 200) / 1000.0);  // from the Kill to the end
  }
}
BENCHMARK(BM_ConsoleKillTree)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
