// Benchmarks of the HTML attribute window on a 100 MB page, on the offscreen platform: the grid
// following the caret into another tag, and a keystroke in the editor while the window is open.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QKeyEvent>
#include <string>

#include "BenchWorkspace.h"
#include "ui/tags/AttributeGrid.h"
#include "ui/tags/HtmlEditorForm.h"

namespace {

using namespace tervil;

constexpr std::size_t kDocumentBytes = 100u << 20;
const std::string kRow =
    "<tr><td class=\"n\" title='t'>cell</td><td><a href=\"x.html\">a</a></td></tr>";

// A page of many short lines, or the same rows on one line.
std::string WebPage(bool oneLine) {
  std::string text;
  text.reserve(kDocumentBytes + kRow.size() + 1);
  while (text.size() < kDocumentBytes) {
    text += kRow;
    if (!oneLine) text += '\n';
  }
  return text;
}

// A 100 MB page in the main window, and the attribute window shown or hidden.
struct TPageWorkspace : TWorkspace {
  TTvlPage* page = nullptr;

  TPageWorkspace(bool oneLine, bool showWindow) {
    page = window->NewDocument();
    page->Model().SetText(WebPage(oneLine));
    if (showWindow) window->findChild<QAction*>("actHtmlEditor")->trigger();
    QApplication::processEvents();
  }
};

// The caret moves between a td and an a tag half-way through the page; the grid is rebuilt.
void BM_GridFollowsCaretIntoAnotherTag(benchmark::State& state) {
  const bool oneLine = state.range(0) != 0;
  TPageWorkspace w(oneLine, true);
  TEditorModel& model = w.page->Model();
  const int line = oneLine ? 1 : model.LineCount() / 2;
  const int rowStart =
      oneLine ? static_cast<int>(kDocumentBytes / 2 / kRow.size() * kRow.size()) : 0;
  const TBufferPos inTd{rowStart + 8, line};  // on "class"
  const TBufferPos inA{rowStart + 48, line};  // on "href"
  bool toA = false;
  for (auto _ : state) {
    model.SetCaretPos(toA ? inA : inTd);
    w.window->HtmlEditor()->UpdateView();
    toA = !toA;
  }
  if (w.window->HtmlEditor()->Grid()->RowCount() == 0) state.SkipWithError("no attributes shown");
}
BENCHMARK(BM_GridFollowsCaretIntoAnotherTag)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"oneLine"})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);

// A typed character in the middle of the page (and undone), with the window shown or hidden.
void BM_KeystrokeWithWindow(benchmark::State& state) {
  TPageWorkspace w(false, state.range(0) != 0);
  TEditorModel& model = w.page->Model();
  model.SetCaretPos({20, model.LineCount() / 2});
  QWidget* editor = w.page->TvlEdit();
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(editor, &press);
    state.PauseTiming();
    model.Undo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_KeystrokeWithWindow)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"shown"})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);

}  // namespace
