// Benchmark of the "Css Editor" window on a 100 MB stylesheet, on the offscreen platform: the
// caret moves into another rule half-way through the text, the block is read and the grid filled.

#include <benchmark/benchmark.h>

#include <QAction>
#include <string>

#include "BenchWorkspace.h"
#include "core/editcomponent/EditorModel.h"
#include "ui/phpcss/CssEditorForm.h"
#include "ui/tags/AttributeGrid.h"

namespace {

using namespace tervil;

constexpr std::size_t kDocumentBytes = 100u << 20;

// Rules of eight declarations each, two kinds taking turns.
std::string Stylesheet() {
  const std::string rules[2] = {
      ".card {\n  display: grid;\n  grid-template-columns: 1fr auto;\n  gap: 1rem;\n"
      "  color: #333333;\n  background: url(\"a.png\") no-repeat;\n  margin: 0 auto;\n"
      "  border-top-color: teal;\n  text-align: center;\n}\n",
      ".title {\n  font-size: 2em;\n  font-weight: bold;\n  color: navy;\n  padding: 4px;\n"
      "  display: flex;\n  align-items: center;\n  --accent: red;\n  cursor: pointer;\n}\n"};
  std::string text;
  text.reserve(kDocumentBytes + 512);
  for (int n = 0; text.size() < kDocumentBytes; ++n) text += rules[n % 2];
  return text;
}

void BM_CssGridFollowsCaretIntoAnotherRule(benchmark::State& state) {
  TWorkspace w;
  TTvlPage* page = w.window->NewDocument();
  page->Model().SetText(Stylesheet());
  w.window->findChild<QAction*>("actCssEditor")->trigger();
  QApplication::processEvents();
  TEditorModel& model = page->Model();
  // The first declaration of a rule half-way through (each rule has eleven lines).
  const int line = model.LineCount() / 2 / 11 * 11 + 2;
  const TBufferPos inFirst{4, line};
  const TBufferPos inSecond{4, line + 11};
  TCssEditor* editor = w.window->CssEditor();
  bool second = false;
  for (auto _ : state) {
    model.SetCaretPos(second ? inSecond : inFirst);
    editor->UpdateView();
    second = !second;
  }
  if (editor->Grid()->RowCount() != 8) state.SkipWithError("the rule's declarations not shown");
}
BENCHMARK(BM_CssGridFollowsCaretIntoAnotherRule)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace
