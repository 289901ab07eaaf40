// Benchmarks of the typing aids on the offscreen platform with the shipped reference data: the
// function list with every PHP function opened and painted (F2), narrowed by one typed
// character and painted; the parameter hint's scan on a long line; reading every reference file
// as the start does.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include "core/app/ReferenceData.h"
#include "core/highlighters/HighlighterSet.h"
#include "ui/documents/PageCompletion.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

namespace {

using namespace tervil;

const std::string kData = TERVIL_SOURCE_DIR "/data";

struct Page {
  THighlighterSet highlighters;
  TTvlPage page;

  Page() {
    std::vector<std::string> errors;
    page.Lists = std::make_shared<const TCompletionLists>(LoadCompletionLists(kData, errors));
    page.SetHighlighter(&highlighters.Php());
    page.Model().SetText("<?php\n$n = ");
    page.Model().SetCaretPos({6, 2});
    page.resize(900, 600);
    page.show();
    page.TvlEdit()->setFocus();
    QApplication::processEvents();
  }
  void Key(int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(page.TvlEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(page.TvlEdit(), &release);
  }
  TCompletionProposal& List() { return page.Completion().CompletionProposal(); }
};

// Kept to the end of the process: the page's timers must not outlive the application.
Page& Shared() {
  static Page* page = new Page;
  return *page;
}

void BM_FunctionListOpenAndPaint(benchmark::State& state) {
  Page& p = Shared();
  for (auto _ : state) {
    p.Key(Qt::Key_F2);
    p.List().Window()->repaint();
    state.PauseTiming();
    p.Key(Qt::Key_Escape);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(p.List().ListItems().InsertListSize());
}
BENCHMARK(BM_FunctionListOpenAndPaint)->Unit(benchmark::kMillisecond);

void BM_FunctionListNarrowByOneCharacter(benchmark::State& state) {
  Page& p = Shared();
  p.Key(Qt::Key_F2);
  for (auto _ : state) {
    p.Key(Qt::Key_S, "s");
    p.List().Window()->repaint();
    state.PauseTiming();
    p.Key(Qt::Key_Backspace);
    state.ResumeTiming();
  }
  p.Key(Qt::Key_Escape);
}
BENCHMARK(BM_FunctionListNarrowByOneCharacter)->Unit(benchmark::kMillisecond);

void BM_ParameterHintScanOnALongLine(benchmark::State& state) {
  std::vector<std::string> errors;
  const TCompletionLists lists = LoadCompletionLists(kData, errors);
  const std::string line = "strlen(" + std::string(10 << 20, 'x');
  for (auto _ : state) benchmark::DoNotOptimize(ScanForFunction(line, line.size(), lists.Lookup));
}
BENCHMARK(BM_ParameterHintScanOnALongLine)->Unit(benchmark::kMicrosecond);

void BM_ReadAllReferenceFiles(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> errors;
    benchmark::DoNotOptimize(LoadEntityItems(kData, errors));
    benchmark::DoNotOptimize(LoadCompletionLists(kData, errors));
  }
}
BENCHMARK(BM_ReadAllReferenceFiles)->Unit(benchmark::kMillisecond);

}  // namespace
