// Benchmarks of the live preview on the offscreen platform: a keystroke's handling and repaint
// in a 1 MB HTML page with the preview hidden and shown, the preview's refresh of that page after
// the pause, and the PHP lint of a 1 MB script (the time the window thread spends starting it and
// the time until its result arrives).

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <chrono>

#include "BenchWorkspace.h"
#include "core/preview/PhpLint.h"
#include "core/preview/PreviewRules.h"
#include "core/process/CommandLine.h"
#include "ui/preview/Preview.h"
#include "ui/preview/PreviewBrowser.h"

namespace {

using namespace tervil;

std::string HtmlOfAboutOneMegabyte() {
  std::string html = "<html><body>\n";
  for (int i = 0; html.size() < 1'000'000; ++i)
    html += "<p class=\"row\">Paragraph " + std::to_string(i) +
            " of the page, with <b>bold</b> text.</p>\n";
  return html + "</body></html>\n";
}

// One workspace for the process: the browser engine starts once.
TWorkspace& Shared() {
  static TWorkspace* workspace = [] {
    auto* w = new TWorkspace;
    w->OpenAndPaint(w->Write("big.html", HtmlOfAboutOneMegabyte()));
    return w;
  }();
  return *workspace;
}

void Key(QWidget* target, char c) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c - 'a'), Qt::NoModifier, QString(QChar(c)));
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + (c - 'a'), Qt::NoModifier, QString(QChar(c)));
  QApplication::sendEvent(target, &release);
}

bool WaitFor(QObject* sender, const char* signal, int ms) {
  QEventLoop loop;
  QObject::connect(sender, signal, &loop, SLOT(quit()));
  bool timedOut = false;
  QTimer::singleShot(ms, &loop, [&] {
    timedOut = true;
    loop.quit();
  });
  loop.exec();
  return !timedOut;
}

void ShowPreview(TWorkspace& w, bool shown) {
  TPreview* preview = w.window->Preview();
  if (preview->isVisible() == shown) return;
  w.window->findChild<QAction*>("actPreview")->trigger();
  if (shown) WaitFor(preview->Browser(), SIGNAL(PageLoaded(bool)), 30000);
}

// A key typed and painted in the middle of a 1 MB page; argument 1: the preview is shown.
void BM_KeystrokeIn1MBHtml(benchmark::State& state) {
  TWorkspace& w = Shared();
  ShowPreview(w, state.range(0) == 1);
  TTvlEdit* editor = w.window->CurrentPage()->TvlEdit();
  editor->SetCaretXY({20, editor->LineCount() / 2});
  editor->setFocus();
  for (auto _ : state) {
    Key(editor, 'x');
    editor->viewport()->repaint();
  }
  // The refreshes the keys asked for happen after the loop, outside the measured part.
  QApplication::processEvents();
}
BENCHMARK(BM_KeystrokeIn1MBHtml)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// From the end of the typing pause until the preview has shown the 1 MB page again.
void BM_PreviewRefresh1MBAfterPause(benchmark::State& state) {
  TWorkspace& w = Shared();
  ShowPreview(w, true);
  TTvlEdit* editor = w.window->CurrentPage()->TvlEdit();
  for (auto _ : state) {
    Key(editor, 'y');
    QElapsedTimer clock;
    clock.start();
    const bool loaded = WaitFor(w.window->Preview()->Browser(), SIGNAL(PageLoaded(bool)), 30000);
    const double ms = static_cast<double>(clock.elapsed()) - kPreviewPauseMs;
    if (!loaded) state.SkipWithError("the preview did not refresh");
    state.SetIterationTime(ms / 1000.0);
  }
}
BENCHMARK(BM_PreviewRefresh1MBAfterPause)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The browser engine alone: the same 1 MB page handed to the preview's view directly, from the
// hand-over until the engine reports it shown. The difference to the refresh above is the
// program's own part (the pause's end, reading the page's text).
void BM_EngineShows1MBHtml(benchmark::State& state) {
  TWorkspace& w = Shared();
  ShowPreview(w, true);
  TPreviewBrowser* browser = w.window->Preview()->Browser();
  const QString html = QString::fromStdString(HtmlOfAboutOneMegabyte());
  const QUrl base = QUrl::fromLocalFile(w.home.path() + "/");
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    browser->ShowHtml(html, base, true);
    const bool loaded = WaitFor(browser, SIGNAL(PageLoaded(bool)), 30000);
    if (!loaded) state.SkipWithError("the engine did not show the page");
    state.SetIterationTime(static_cast<double>(clock.elapsed()) / 1000.0);
  }
}
BENCHMARK(BM_EngineShows1MBHtml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The lint of a 1 MB script: "start" is what the window thread spends, "result_ms" the time
// until the result is handed back.
void BM_Lint1MBPhp(benchmark::State& state) {
  if (!FindOnPath("php")) return state.SkipWithError("no php on PATH");
  std::string text = "<?php\n";
  while (text.size() < 1'000'000) text += "$value = strtoupper('some text of the script');\n";
  QEventLoop loop;
  TPhpLinter linter([&loop](std::function<void()> work) {
    QMetaObject::invokeMethod(&loop, std::move(work), Qt::QueuedConnection);
  });
  double resultMs = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    linter.Check("php", text, [&](const TLintResult&) {
      resultMs += static_cast<double>(clock.elapsed());
      loop.quit();
    });
    state.PauseTiming();
    loop.exec();
    state.ResumeTiming();
  }
  state.counters["result_ms"] = resultMs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Lint1MBPhp)->Unit(benchmark::kMicrosecond)->Iterations(10);

}  // namespace
