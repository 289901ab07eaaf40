// Printing and export of a 10 MB PHP file: the pages laid out (wrapped, with the highlighter's
// states at page starts) and the whole document exported to HTML.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/editcomponent/ExporterHtml.h"
#include "core/highlighters/HighlighterSet.h"
#include "core/printing/PrintLayout.h"

namespace {

using namespace tervil;

// About 10 MB of PHP classes, one line per vector entry.
const std::vector<std::string>& PhpLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    std::size_t size = 0;
    out.push_back("<?php");
    for (int i = 0; size < (10u << 20); ++i) {
      const std::string n = std::to_string(i);
      for (const std::string& line : std::vector<std::string>{
               "class Cart" + n + " extends Base {", "\t/* the items of cart " + n + " */",
               "\tprivate $items = array(); // \"list\" & more",
               "\tpublic function total($tax = 1.19) {",
               "\t\t$sum = 0; foreach ($this->items as $item) { $sum += $item->price * $tax; }",
               "\t\treturn sprintf('%0.2f <b>EUR</b>', $sum);", "\t}", "}"}) {
        out.push_back(line);
        size += line.size() + 2;
      }
    }
    return out;
  }();
  return lines;
}

THighlighter* Php() {
  static THighlighterSet set;
  return set.FindByLanguageName("PHP");
}

void BM_LayoutAllPages10MBPhp(benchmark::State& state) {
  const std::vector<std::string>& lines = PhpLines();
  if (!Php()) state.SkipWithError("no PHP highlighter");
  int pages = 0;
  for (auto _ : state) {
    TPrintLayout layout;
    layout.Start(static_cast<int>(lines.size()), [&lines](int i) { return lines[i]; },
                 {62, 84, 4, true, Php()});
    layout.LayoutAll();
    pages = layout.PageCount();
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_LayoutAllPages10MBPhp)->Unit(benchmark::kMillisecond)->Repetitions(5);

// What the preview does before it shows page 1: the first page's lines.
void BM_LayoutFirstPage10MBPhp(benchmark::State& state) {
  const std::vector<std::string>& lines = PhpLines();
  for (auto _ : state) {
    TPrintLayout layout;
    layout.Start(static_cast<int>(lines.size()), [&lines](int i) { return lines[i]; },
                 {62, 84, 4, true, Php()});
    layout.AdvanceLines(63);
    benchmark::DoNotOptimize(layout.PageRows(0));
  }
}
BENCHMARK(BM_LayoutFirstPage10MBPhp)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_ExportHtml10MBPhp(benchmark::State& state) {
  const std::vector<std::string>& lines = PhpLines();
  for (auto _ : state) {
    TExporterHTML exporter;
    exporter.SetHighlighter(Php());
    exporter.ExportLines(lines);
    benchmark::DoNotOptimize(exporter.Result().size());
  }
}
BENCHMARK(BM_ExportHtml10MBPhp)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
