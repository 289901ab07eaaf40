// Tervil Editor beside QScintilla, on the same generated 100 MB web page in the same run, both
// shown on the offscreen platform with a syntax colouring for HTML:
//  - load: from the file to the first painted screen, from a cold heap. Tervil Editor opens the
//    file through its main window (read, charset detection, decoding, loading); QScintilla reads
//    it with QFile, decodes it into a QString and takes it with setText.
//  - position to line and line to position at random places (QScintilla counts in bytes, Tervil
//    Editor in characters).
//  - a typed key at a random place with the repaint after it (the caret is put there and painted
//    before the clock starts), and the same character inserted through each editor's own call.
// The argument "qsci" tells the editor: 0 Tervil Editor, 1 QScintilla.

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <chrono>
#include <memory>
#include <random>

#include "BenchWorkspace.h"
#include "OpenBench.h"
#include "ui/editor/TvlEdit.h"

namespace {

using namespace tervil;
using namespace tervil::openbench;
using Clock = std::chrono::steady_clock;

constexpr int kTervil = 0;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

void FreeClosed() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

void Type(QWidget* widget, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &release);
}

// The shared document and the two editors, made once.
struct TBothEditors {
  TWorkspace workspace;
  QString path;
  TTvlEdit* ours = nullptr;
  QsciScintilla theirs;
  QsciLexerHTML lexer;

  TBothEditors() {
    path = workspace.Write("compare.html", Generate(TDocument::Web));
    workspace.OpenAndPaint(path);
    ours = workspace.window->CurrentPage()->TvlEdit();
    theirs.setUtf8(true);
    theirs.setLexer(&lexer);
    theirs.resize(1600, 1000);
    theirs.show();
    LoadTheirs();
  }
  void LoadTheirs() {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    theirs.setText(QString::fromUtf8(file.readAll()));
    theirs.viewport()->repaint();
  }
  void PaintOurs() { ours->viewport()->repaint(); }
};

// Made by the first benchmark that needs it and ended in main while the application still
// exists: widgets that outlive the QApplication crash the program at its exit.
std::unique_ptr<TBothEditors> gBoth;

TBothEditors& Both() {
  if (!gBoth) gBoth = std::make_unique<TBothEditors>();
  return *gBoth;
}

void BM_Load100MB(benchmark::State& state) {
  TBothEditors& both = Both();
  TMemoryWatch memory;
  double peakAboveEnd = 0;
  for (auto _ : state) {
    if (state.range(0) == kTervil) {
      both.workspace.CloseAll();
    } else {
      both.theirs.clear();
    }
    FreeClosed();
    memory.Start();
    const Clock::time_point start = Clock::now();
    if (state.range(0) == kTervil)
      both.workspace.OpenAndPaint(both.path);
    else
      both.LoadTheirs();
    state.SetIterationTime(Seconds(start));
    const std::size_t now = memory.Stop();
    peakAboveEnd = std::max(peakAboveEnd, static_cast<double>(memory.Peak() - now) /
                                              static_cast<double>(kDocumentBytes));
  }
  if (state.range(0) == kTervil) both.ours = both.workspace.window->CurrentPage()->TvlEdit();
  state.counters["peak_above_end"] = peakAboveEnd;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
}
BENCHMARK(BM_Load100MB)
    ->ArgName("qsci")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_PositionToLine(benchmark::State& state) {
  TBothEditors& both = Both();
  std::mt19937_64 random(11);
  const TEditorModel& model = both.ours->Model();
  const auto ourLength = static_cast<std::uint64_t>(model.TextLength());
  const auto theirLength = static_cast<std::uint64_t>(both.theirs.length());
  for (auto _ : state) {
    if (state.range(0) == kTervil) {
      benchmark::DoNotOptimize(
          model.CharIndexToRowCol(static_cast<std::int64_t>(random() % ourLength)));
    } else {
      benchmark::DoNotOptimize(both.theirs.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                         random() % theirLength));
    }
  }
}
BENCHMARK(BM_PositionToLine)->ArgName("qsci")->Arg(0)->Arg(1);

void BM_LineToPosition(benchmark::State& state) {
  TBothEditors& both = Both();
  std::mt19937_64 random(13);
  const TEditorModel& model = both.ours->Model();
  const auto lines = static_cast<std::uint64_t>(model.LineCount());
  for (auto _ : state) {
    const auto line = static_cast<int>(random() % lines);
    if (state.range(0) == kTervil) {
      benchmark::DoNotOptimize(model.RowColToCharIndex({1, line + 1}));
    } else {
      benchmark::DoNotOptimize(
          both.theirs.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line));
    }
  }
}
BENCHMARK(BM_LineToPosition)->ArgName("qsci")->Arg(0)->Arg(1);

// One edit at a random line of each editor, timed from the edit to its repaint: the caret is
// placed and the screen painted first, so only the edit and its repaint count.
template <typename EditOurs, typename EditTheirs>
void EditAtRandomPlaces(benchmark::State& state, unsigned seed, EditOurs editOurs,
                        EditTheirs editTheirs) {
  TBothEditors& both = Both();
  std::mt19937_64 random(seed);
  const auto lines = static_cast<std::uint64_t>(both.ours->LineCount());
  for (auto _ : state) {
    const auto line = static_cast<int>(random() % lines);
    Clock::time_point start;
    if (state.range(0) == kTervil) {
      both.ours->SetCaretXY({5, line + 1});
      both.PaintOurs();
      start = Clock::now();
      editOurs(*both.ours);
      both.PaintOurs();
    } else {
      both.theirs.setCursorPosition(line, 4);
      both.theirs.viewport()->repaint();
      start = Clock::now();
      editTheirs(both.theirs);
      both.theirs.viewport()->repaint();
    }
    state.SetIterationTime(Seconds(start));
  }
}

void BM_TypeKeyAtRandomPlace(benchmark::State& state) {
  EditAtRandomPlaces(
      state, 17, [](TTvlEdit& ours) { Type(&ours, Qt::Key_X, "x"); },
      [](QsciScintilla& theirs) { Type(&theirs, Qt::Key_X, "x"); });
}
BENCHMARK(BM_TypeKeyAtRandomPlace)
    ->ArgName("qsci")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The same edit without the key's way through the widget: the text inserted through each
// editor's own call, then the repaint.
void BM_InsertCharAtRandomPlace(benchmark::State& state) {
  EditAtRandomPlaces(
      state, 19, [](TTvlEdit& ours) { ours.Model().SetSelText("x"); },
      [](QsciScintilla& theirs) {
        const long position = theirs.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
        theirs.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, position, "x");
      });
}
BENCHMARK(BM_InsertCharAtRandomPlace)
    ->ArgName("qsci")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gBoth.reset();
  return 0;
}
