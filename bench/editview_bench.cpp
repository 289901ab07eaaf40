// Benchmarks of the editor view logic without a display: highlighter line states on a 100 MB
// PHP document (guessing far lines, idle progress, an edit), word wrap of a screen and column
// arithmetic on a 20 MB line.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/HighlightStates.h"
#include "core/editview/ViewLayout.h"
#include "core/highlighters/HighlighterSet.h"

namespace {

using namespace tervil;

constexpr std::size_t kMB = 1024 * 1024;

std::string PhpDocument(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 1024);
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "<?php\n/* Block " + n + " */\nclass Cart" + n +
            "\n{\n    private $items = array();\n"
            "    public function add($name, $price) { $this->items[] = $price * 2; }\n"
            "    // a line comment with 'quotes'\n    public function total() {\n"
            "        return array_sum($this->items) * 1.19;\n    }\n}\n?>\n<p>Block " +
            n + "</p>\n";
  }
  return text;
}

struct BigDocument {
  TTextBuffer buffer;
  THighlighterSet highlighters;
  BigDocument() { buffer.Assign(PhpDocument(100 * kMB)); }
};

BigDocument& Big() {
  static BigDocument document;
  return document;
}

// State of the last line of 100 MB with nothing known: a bounded look-back.
void BM_StateOfLastLineUnknown(benchmark::State& state) {
  BigDocument& d = Big();
  const int last = static_cast<int>(d.buffer.LineCount()) - 1;
  for (auto _ : state) {
    THighlightStates states(d.buffer);
    states.SetHighlighter(&d.highlighters.Multi());
    benchmark::DoNotOptimize(states.StartState(last));
  }
}
BENCHMARK(BM_StateOfLastLineUnknown)->Unit(benchmark::kMillisecond);

// Idle progress: how fast exact states are learnt (bytes per second).
void BM_IdleStatesThroughput(benchmark::State& state) {
  BigDocument& d = Big();
  THighlightStates states(d.buffer);
  states.SetHighlighter(&d.highlighters.Multi());
  std::size_t bytes = 0;
  for (auto _ : state) {
    const int before = states.KnownLines();
    if (!states.Advance(std::chrono::milliseconds(8))) {
      state.PauseTiming();
      states.Reset();
      state.ResumeTiming();
      continue;
    }
    bytes += d.buffer.LineStart(states.KnownLines() - 1) - d.buffer.LineStart(before - 1);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_IdleStatesThroughput)->Unit(benchmark::kMillisecond)->Iterations(100);

// An edit in the known part: re-tokenizing until the states agree again.
void BM_EditInKnownStates(benchmark::State& state) {
  TTextBuffer buffer;
  buffer.Assign(PhpDocument(8 * kMB));
  THighlighterSet highlighters;
  THighlightStates states(buffer);
  states.SetHighlighter(&highlighters.Multi());
  while (states.AdvanceLines(100000)) {
  }
  const int line = static_cast<int>(buffer.LineCount()) / 2;
  for (auto _ : state) {
    states.LinesChanged(line, 1);
    benchmark::DoNotOptimize(states.StartState(line + 60));
  }
}
BENCHMARK(BM_EditInKnownStates)->Unit(benchmark::kMicrosecond);

// Word wrap switched on: the rows of one screen from the middle of 100 MB.
void BM_WrapScreen100MB(benchmark::State& state) {
  BigDocument& d = Big();
  TViewLayout layout(d.buffer);
  layout.SetWrapWidth(60);
  std::vector<TRowSpan> rows;
  const int middle = static_cast<int>(d.buffer.LineCount()) / 2;
  for (auto _ : state) {
    layout.SetWordWrap(false);
    layout.SetWordWrap(true);
    layout.Rows({middle, 0}, 60, rows);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_WrapScreen100MB)->Unit(benchmark::kMicrosecond);

// Columns and windows of a 20 MB line without tabs, after the line changed.
void BM_LongLineColumns(benchmark::State& state) {
  TTextBuffer buffer;
  std::string line;
  while (line.size() < 20 * kMB) line += "function f(a,b){return a*b+1};";
  buffer.Assign(line);
  TLineGeometry geometry(buffer);
  for (auto _ : state) {
    geometry.InvalidateLine(0);
    benchmark::DoNotOptimize(geometry.DisplayColumn(0, 10000000));
    benchmark::DoNotOptimize(geometry.SliceColumns(0, 9999900, 10000060));
  }
}
BENCHMARK(BM_LongLineColumns)->Unit(benchmark::kMillisecond);

}  // namespace
