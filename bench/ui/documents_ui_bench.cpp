// Benchmarks of opening and saving big documents through the main window, on the offscreen
// platform: from the open request to the painted first screen, and a save to disk.

#include <benchmark/benchmark.h>

#include <string>

#include "BenchWorkspace.h"

namespace {

using namespace tervil;

constexpr std::size_t kDocumentBytes = 100u << 20;

// A web page of `bytes` bytes; `latin1` adds characters that are not ASCII, as single bytes.
std::string WebPage(std::size_t bytes, bool latin1) {
  const std::string row =
      latin1 ? "<tr><td class=\"n\">Caf\xE9 cr\xE8me br\xFBl\xE9"
               "e</td><td>4,50 \x80</td></tr>\n"
             : "<tr><td class=\"n\">Caf\xC3\xA9 cr\xC3\xA8me</td><td>4,50 \xE2\x82\xAC</td></tr>\n";
  std::string text = "<html><body><table>\n";
  text.reserve(bytes + row.size());
  while (text.size() < bytes) text += row;
  return text;
}

void OpenBenchmark(benchmark::State& state, bool latin1) {
  TWorkspace workspace;
  const QString path = workspace.Write("page.html", WebPage(kDocumentBytes, latin1));
  for (auto _ : state) {
    workspace.OpenAndPaint(path);
    state.PauseTiming();
    workspace.CloseAll();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}

void BM_Open100MBUtf8ToFirstPaint(benchmark::State& state) {
  OpenBenchmark(state, false);
}
BENCHMARK(BM_Open100MBUtf8ToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Open100MBWindows1252ToFirstPaint(benchmark::State& state) {
  OpenBenchmark(state, true);
}
BENCHMARK(BM_Open100MBWindows1252ToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Save100MBUtf8(benchmark::State& state) {
  TWorkspace workspace;
  const QString path = workspace.Write("save.html", WebPage(kDocumentBytes, false));
  workspace.OpenAndPaint(path);
  TTvlPage* page = workspace.window->CurrentPage();
  for (auto _ : state) {
    page->Model().SetModified(true);
    if (!workspace.window->SavePage(page, false)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}
BENCHMARK(BM_Save100MBUtf8)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
