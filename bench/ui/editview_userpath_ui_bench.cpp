// Benchmarks of the editor view on the user's path: a key event sent to the shown widget and the
// repaint the program then does (only what the key changed), at a different random place of a big
// document each time; a keystroke in a 100 MB line with tabs at its start, middle and end; the
// CPU the idle editor uses once the user stopped typing. Offscreen platform.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <memory>
#include <random>
#include <string>

#include "core/highlighters/HighlighterSet.h"
#include "ui/editor/TvlEdit.h"

namespace {

using namespace tervil;

constexpr std::size_t kMB = 1024 * 1024;

std::string PhpText(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 1024);
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "<?php\n/* Block " + n + " */\nclass Cart" + n +
            "\n{\n    private $items = array();\n"
            "    public function add($name, $price)\n    {\n"
            "        $this->items[] = array('name' => $name, 'price' => $price);\n"
            "        return count($this->items); // new size\n    }\n}\n?>\n"
            "<p class=\"note\">Generated block " +
            n + "</p>\n";
  }
  return text;
}

// One line of minified script with a tab at its start, in its middle and at its end.
std::string LineWithTabs(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 256);
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "function f" + n + "(a,b){var c=a*" + n + "+b;if(c>10){return \"big\"+c}return c};";
  }
  text[0] = '\t';
  text[text.size() / 2] = '\t';
  text[text.size() - 2] = '\t';
  return text;
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// The program's editor control (with its marks: variable frames, brackets, tags), shown and
// focused, 60 rows of 160 columns.
struct View {
  THighlighterSet highlighters;
  TTvlEdit editor;
  PaintCounter counter;

  View() {
    editor.viewport()->installEventFilter(&counter);
    const int width = editor.GutterWidth() + 2 + static_cast<int>(160.5 * editor.CharWidth()) +
                      editor.verticalScrollBar()->sizeHint().width() + 2 * editor.frameWidth();
    const int height = 60 * editor.TextHeight() +
                       editor.horizontalScrollBar()->sizeHint().height() + 2 * editor.frameWidth();
    editor.resize(width + 40, height);
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    QApplication::processEvents();
  }
  void Key(int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &release);
  }
  // The repaint the event loop does next: what the last changes asked for, nothing else (the idle
  // highlighting's timer is left alone).
  void Repaint() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }
  // Runs the event loop for a while, as the shown program does.
  static void Run(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The views the benchmarks share; the idle one closes them, so that only its own view runs.
std::unique_ptr<View> bigPhp;
std::unique_ptr<View> longLine;

View& BigPhpView() {
  std::unique_ptr<View>& view = bigPhp;
  if (!view) {
    view = std::make_unique<View>();
    view->editor.LoadFromBytes(PhpText(100 * kMB));
    view->editor.SetHighlighter(&view->highlighters.Multi());
    view->Repaint();
  }
  return *view;
}

// A character typed and its repaint, each time at another random place of 100 MB of PHP (the
// jump there and its full repaint are not counted; the cache is as cold as a jump leaves it).
void BM_TypeAtRandomPlaces100MB(benchmark::State& state) {
  View& view = BigPhpView();
  std::mt19937 random(42);
  const int lines = view.editor.LineCount();
  const int paintsBefore = view.counter.paints;
  for (auto _ : state) {
    state.PauseTiming();
    const int line = 1 + static_cast<int>(random() % static_cast<unsigned>(lines));
    view.editor.SetCaretXY({1 + static_cast<int>(random() % 20), line});
    view.Repaint();
    state.ResumeTiming();
    view.Key(Qt::Key_X, "x");
    view.Repaint();
    state.PauseTiming();
    view.Key(Qt::Key_Backspace);
    view.Repaint();
    state.ResumeTiming();
  }
  state.counters["paints_per_key"] = benchmark::Counter((view.counter.paints - paintsBefore) / 3.0 /
                                                        static_cast<double>(state.iterations()));
}
BENCHMARK(BM_TypeAtRandomPlaces100MB)->Unit(benchmark::kMillisecond);

View& LongLineView() {
  std::unique_ptr<View>& view = longLine;
  if (!view) {
    view = std::make_unique<View>();
    view->editor.LoadFromBytes(LineWithTabs(100 * kMB));
    view->editor.SetHighlighter(&view->highlighters.JavaScript());
    view->Repaint();
  }
  return *view;
}

// A character typed and its repaint in a 100 MB line with tabs at its start, middle and end; the
// caret just after the first tab (0), in the middle of the line (1) or near its end (2).
void BM_TypeInLongLineWithTabs100MB(benchmark::State& state) {
  View& view = LongLineView();
  const int chars = static_cast<int>(view.editor.Model().Buffer().LineChars(0));
  const int columns[] = {2, chars / 2 - 10, chars - 10};
  view.editor.SetCaretXY({columns[state.range(0)], 1});
  view.Repaint();
  for (auto _ : state) {
    view.Key(Qt::Key_X, "x");
    view.Repaint();
    state.PauseTiming();
    view.Key(Qt::Key_Backspace);
    view.Repaint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TypeInLongLineWithTabs100MB)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The share of one core the shown, focused editor uses from 5 s after the last key, measured
// over 3 s of its event loop (caret blinking, idle highlighting left running), alone in the
// process: 100 MB of PHP (0) or the 100 MB line with tabs, caret at its end (1).
void BM_IdleCpuAfterTyping(benchmark::State& state) {
  bigPhp.reset();
  longLine.reset();
  View& view = state.range(0) == 0 ? BigPhpView() : LongLineView();
  if (state.range(0) == 1) {
    const int chars = static_cast<int>(view.editor.Model().Buffer().LineChars(0));
    view.editor.SetCaretXY({chars, 1});
  }
  double share = 0;
  for (auto _ : state) {
    view.Key(Qt::Key_X, "x");
    view.Key(Qt::Key_Backspace);
    View::Run(5000);
    const double cpu = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    View::Run(3000);
    share = (ProcessCpuSeconds() - cpu) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
  }
  state.counters["core_percent"] = share * 100;
  state.counters["focused"] = view.editor.hasFocus() ? 1 : 0;
  bigPhp.reset();
  longLine.reset();
}
BENCHMARK(BM_IdleCpuAfterTyping)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
