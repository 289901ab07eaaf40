// The whole open of a 100 MB file as the user makes it: the file read from a temporary folder,
// its character set detected, the text decoded and loaded into a new page of the shown main
// window, and the first screen painted. Before each open the last document is closed and the
// freed memory given back to the system (malloc_trim), so that every open starts from a cold
// heap. Reported beside the time: GB/s of the file, and the resident memory per byte of the file
// at the peak of the open above what stays after it ("peak_above_end") and what stays ("end"),
// the peak sampled every half millisecond.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <utility>

#include "../OpenBench.h"
#include "BenchWorkspace.h"

namespace {

using namespace tervil;
using namespace tervil::openbench;

void FreeClosedPages() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

// Opens `path` into an empty workspace at every iteration, from the open command to the first
// paint; returns the peak above the end and the memory at the end, per byte of `bytes`.
std::pair<double, double> MeasureOpens(benchmark::State& state, TWorkspace& workspace,
                                       const QString& path, double bytes) {
  TMemoryWatch memory;
  double peakAboveEnd = 0;
  double end = 0;
  for (auto _ : state) {
    workspace.CloseAll();
    FreeClosedPages();
    memory.Start();
    const auto start = std::chrono::steady_clock::now();
    workspace.OpenAndPaint(path);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const std::size_t now = memory.Stop();
    peakAboveEnd = std::max(peakAboveEnd, static_cast<double>(memory.Peak() - now) / bytes);
    end = std::max(end, static_cast<double>(now - memory.before) / bytes);
  }
  return {peakAboveEnd, end};
}

void BM_OpenFileToFirstPaint(benchmark::State& state) {
  const auto kind = static_cast<TDocument>(state.range(0));
  TWorkspace workspace;
  const QString path =
      workspace.Write(kind == TDocument::Web ? "open.html" : "open.php", Generate(kind));
  const double bytes = static_cast<double>(kDocumentBytes);
  const auto [peakAboveEnd, end] = MeasureOpens(state, workspace, path, bytes);
  state.SetLabel(Name(kind));
  state.counters["peak_above_end"] = peakAboveEnd;
  state.counters["end"] = end;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}
BENCHMARK(BM_OpenFileToFirstPaint)
    ->ArgName("php")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The same open of a 1 GB web page (written once into the temporary folder and deleted at the
// end; mind the free disk space), from a cold heap, twice.
void BM_OpenGigabyteToFirstPaint(benchmark::State& state) {
  constexpr std::size_t kGigabyte = std::size_t{1} << 30;
  TWorkspace workspace;
  const QString path = workspace.Write("open1g.html", Generate(TDocument::Web, kGigabyte));
  const auto [peakAboveEnd, end] =
      MeasureOpens(state, workspace, path, static_cast<double>(kGigabyte));
  workspace.CloseAll();
  FreeClosedPages();
  state.counters["peak_above_end"] = peakAboveEnd;
  state.counters["end"] = end;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kGigabyte));
}
BENCHMARK(BM_OpenGigabyteToFirstPaint)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
