// Speed of the PHP code inspector's refresh on a big class, on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QTreeWidget>
#include <string>

#include "ui/phpcss/CodeInspector.h"

namespace {

// One class of 10,000 lines: properties and methods of five lines each.
std::string BigClass() {
  std::string text = "<?php\nclass Big extends Base {\n";
  for (int n = 0; n < 2000; ++n) {
    const std::string id = std::to_string(n);
    text += "    /** The value " + id + ". */\n    protected int $value" + id + " = " + id +
            ";\n    public function getValue" + id + "(): int {\n        return $this->value" + id +
            ";\n    }\n";
  }
  return text + "}\n";
}

// Refreshes a tree that already shows the class, as a second run of the PHP Analyser does.
void BM_RefreshTenThousandLineClass(benchmark::State& state) {
  const std::string text = BigClass();
  tervil::TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
  inspector.resize(400, 800);
  inspector.show();
  inspector.RefreshFromText(text);
  for (auto _ : state) {
    inspector.RefreshFromText(text);
    inspector.TreeView()->viewport()->repaint();
  }
}
BENCHMARK(BM_RefreshTenThousandLineClass)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
