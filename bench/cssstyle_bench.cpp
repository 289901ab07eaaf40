// Speed of reading the CSS block at the caret in a 100 MB stylesheet.

#include <benchmark/benchmark.h>

#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/phpcss/CssStyleAtCaret.h"

namespace {

using namespace tervil;

void BM_CssBlockAtCaret(benchmark::State& state) {
  const std::string rule =
      ".card {\n  display: grid;\n  gap: 1rem;\n  color: #333333;\n"
      "  background: url(\"a.png\") no-repeat;\n  margin: 0 auto;\n}\n";
  std::string text;
  text.reserve((100u << 20) + rule.size());
  while (text.size() < (100u << 20)) text += rule;
  TEditorModel editor;
  editor.SetText(text);
  // On "gap" in a rule half-way through (each rule has seven lines).
  editor.SetCaretPos({4, editor.LineCount() / 2 / 7 * 7 + 3});
  TCSSStyle style;
  for (auto _ : state) {
    ParseAtCaret(style, editor);
    benchmark::DoNotOptimize(style.Declarations.data());
  }
  if (!style.IsValid || style.Declarations.size() != 5) state.SkipWithError("no block read");
}
BENCHMARK(BM_CssBlockAtCaret)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace
