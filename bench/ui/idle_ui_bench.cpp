// The work the program does after a big document's first screen is painted, until it is idle:
// the highlighting states of every line are learnt in slices between events. Measured through
// the main window on the offscreen platform, from the open request, with the memory the open
// and the highlighting leave behind.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <chrono>
#include <string>

#include "../OpenBench.h"
#include "BenchWorkspace.h"

namespace {

using namespace tervil;

using openbench::kDocumentBytes;
using openbench::ResidentBytes;

double Milliseconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

// One character per line: the characters of a small page, so that the highlighting states
// change the way they do in a real page.
std::string OneCharacterLines(std::size_t bytes) {
  const std::string page =
      "<html><head><style>p{color:red}</style></head><body><?php echo $x; ?><!-- c --><p>Text</p>"
      "<script>var a=1;</script></body></html>";
  std::string text;
  text.reserve(bytes + 2 * page.size());
  while (text.size() < bytes) {
    for (char c : page) {
      if (c == ' ') continue;
      text += c;
      text += '\n';
    }
  }
  return text;
}

// Time from the open request to the first painted screen and to the last highlighting state,
// and the resident memory the document holds then per byte of its text.
void IdleAfterOpen(benchmark::State& state, const std::string& name, const std::string& text) {
  TWorkspace workspace;
  const QString path = workspace.Write(name, text);
  for (auto _ : state) {
    malloc_trim(0);
    const auto before = static_cast<double>(ResidentBytes());
    const auto start = std::chrono::steady_clock::now();
    workspace.OpenAndPaint(path);
    const double firstPaint = Milliseconds(start);
    const TTvlEdit* edit = workspace.window->CurrentPage()->TvlEdit();
    while (!edit->HighlightingComplete()) QApplication::processEvents();
    const double idle = Milliseconds(start);
    state.SetIterationTime(idle / 1000);
    state.counters["first paint ms"] = firstPaint;
    state.counters["idle after ms"] = idle - firstPaint;
    state.counters["resident B/B"] =
        (static_cast<double>(ResidentBytes()) - before) / static_cast<double>(text.size());
    state.PauseTiming();
    workspace.CloseAll();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_WebPageOpenToIdle(benchmark::State& state) {
  IdleAfterOpen(state, "page.html", openbench::Generate(openbench::TDocument::Web));
}
BENCHMARK(BM_WebPageOpenToIdle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_OneCharacterLinesOpenToIdle(benchmark::State& state) {
  IdleAfterOpen(state, "lines.html", OneCharacterLines(kDocumentBytes));
}
BENCHMARK(BM_OneCharacterLinesOpenToIdle)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace
