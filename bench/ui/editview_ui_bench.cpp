// Benchmarks of the editor view widget, painted on the offscreen platform: a full screen of
// highlighted PHP, jumps, keystrokes and word wrap in a 100 MB document, and a 20 MB script on
// one line. Each figure is the time from the action to the painted screen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <memory>
#include <string>

#include "core/highlighters/HighlighterSet.h"
#include "ui/editcomponent/TextEditor.h"

namespace {

using namespace tervil;

constexpr std::size_t kMB = 1024 * 1024;

std::string PhpBlock(int i) {
  const std::string n = std::to_string(i);
  return "<?php\n"
         "/* Block " +
         n +
         ": totals with tax */\n"
         "class Cart" +
         n +
         "\n{\n"
         "    private $items = array();\n"
         "    public function add($name, $price, $count = 1)\n    {\n"
         "        $this->items[] = array('name' => $name, 'price' => $price * $count);\n"
         "        return count($this->items); // new size\n    }\n"
         "    public function total()\n    {\n"
         "        $total = 0;\n"
         "        foreach ($this->items as $item) { $total += $item['price']; }\n"
         "        echo \"Total: {$total} EUR\\n\";\n"
         "        return $total * 1.19;\n    }\n}\n?>\n"
         "<p class=\"note\">Generated block " +
         n + "</p>\n";
}

std::string PhpDocument(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 1024);
  for (int i = 0; text.size() < bytes; ++i) text += PhpBlock(i);
  return text;
}

std::string MinifiedScript(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 256);
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "function f" + n + "(a,b){var c=a*" + n + "+b;if(c>10){return \"big\"+c}return c};";
  }
  return text;
}

// An editor shown with a screen of 60 rows and 160 columns.
struct Screen {
  THighlighterSet highlighters;
  TTextEditor editor;

  Screen() {
    editor.show();
    Fit();
  }
  // 60 rows of 160 columns (the gutter widens with the line count).
  void Fit() {
    const int width = editor.GutterWidth() + 2 + static_cast<int>(160.5 * editor.CharWidth()) +
                      editor.verticalScrollBar()->sizeHint().width() + 2 * editor.frameWidth();
    const int height = 60 * editor.TextHeight() +
                       editor.horizontalScrollBar()->sizeHint().height() + 2 * editor.frameWidth();
    editor.resize(width, height);
    QApplication::processEvents();
  }
  void Load(const std::string& text) {
    editor.LoadFromBytes(text);
    Fit();
  }
  void Paint() { editor.viewport()->repaint(); }
  void Key(int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&editor, &release);
  }
};

Screen& BigPhp() {
  static std::unique_ptr<Screen> screen;
  if (!screen) {
    screen = std::make_unique<Screen>();
    screen->Load(PhpDocument(100 * kMB));
    screen->editor.SetHighlighter(&screen->highlighters.Multi());
  }
  return *screen;
}

void BM_PaintPhpScreen(benchmark::State& state) {
  Screen screen;
  screen.Load(PhpDocument(64 * 1024));
  screen.editor.SetHighlighter(&screen.highlighters.Multi());
  screen.editor.SetCaretXY({1, 200});
  screen.editor.SetTopLine(180);
  screen.Paint();
  for (auto _ : state) screen.Paint();
  state.counters["rows"] = screen.editor.LinesInWindow();
  state.counters["columns"] = screen.editor.CharsInWindow();
}
BENCHMARK(BM_PaintPhpScreen)->Unit(benchmark::kMillisecond);

void BM_JumpToEnd100MB(benchmark::State& state) {
  Screen& screen = BigPhp();
  for (auto _ : state) {
    state.PauseTiming();
    screen.editor.SetHighlighter(&screen.highlighters.Multi());  // nothing known yet
    screen.editor.ExecuteCommand(ecEditorTop);
    screen.Paint();
    state.ResumeTiming();
    screen.editor.ExecuteCommand(ecEditorBottom);
    screen.Paint();
  }
}
BENCHMARK(BM_JumpToEnd100MB)->Unit(benchmark::kMillisecond);

void BM_Keystroke100MB(benchmark::State& state) {
  Screen& screen = BigPhp();
  const int middle = screen.editor.LineCount() / 2;
  screen.editor.SetCaretXY({9, middle});
  screen.Paint();
  for (auto _ : state) {
    screen.Key(Qt::Key_X, "x");
    screen.Paint();
    state.PauseTiming();
    screen.Key(Qt::Key_Backspace);
    screen.Paint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Keystroke100MB)->Unit(benchmark::kMillisecond);

void BM_Enter100MB(benchmark::State& state) {
  Screen& screen = BigPhp();
  const int middle = screen.editor.LineCount() / 2;
  screen.editor.SetCaretXY({9, middle});
  screen.Paint();
  for (auto _ : state) {
    screen.Key(Qt::Key_Return, "\r");
    screen.Paint();
    state.PauseTiming();
    screen.Key(Qt::Key_Backspace);
    screen.Paint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Enter100MB)->Unit(benchmark::kMillisecond);

void BM_WordWrapOn100MB(benchmark::State& state) {
  Screen& screen = BigPhp();
  screen.editor.SetCaretXY({1, screen.editor.LineCount() / 3});
  for (auto _ : state) {
    screen.editor.SetWordWrap(true);
    screen.Paint();
    state.PauseTiming();
    screen.editor.SetWordWrap(false);
    screen.Paint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_WordWrapOn100MB)->Unit(benchmark::kMillisecond);

Screen& LongLine() {
  static std::unique_ptr<Screen> screen;
  if (!screen) {
    screen = std::make_unique<Screen>();
    screen->Load(MinifiedScript(20 * kMB));
    screen->editor.SetHighlighter(&screen->highlighters.JavaScript());
  }
  return *screen;
}

void BM_LongLineFirstPaint(benchmark::State& state) {
  Screen& screen = LongLine();
  for (auto _ : state) {
    state.PauseTiming();
    screen.editor.SetHighlighter(&screen.highlighters.JavaScript());
    state.ResumeTiming();
    screen.Paint();
  }
}
BENCHMARK(BM_LongLineFirstPaint)->Unit(benchmark::kMillisecond);

void BM_LongLineLoadAndPaint(benchmark::State& state) {
  const std::string script = MinifiedScript(20 * kMB);
  Screen screen;
  for (auto _ : state) {
    screen.Load(script);
    screen.editor.SetHighlighter(&screen.highlighters.JavaScript());
    screen.Paint();
  }
}
BENCHMARK(BM_LongLineLoadAndPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LongLineCaretMove(benchmark::State& state) {
  Screen& screen = LongLine();
  screen.editor.SetCaretXY({10 * 1000 * 1000, 1});
  screen.Paint();
  bool right = true;
  for (auto _ : state) {
    screen.Key(right ? Qt::Key_Right : Qt::Key_Left);
    screen.Paint();
    right = !right;
  }
}
BENCHMARK(BM_LongLineCaretMove)->Unit(benchmark::kMillisecond);

void BM_LongLineEnd(benchmark::State& state) {
  Screen& screen = LongLine();
  for (auto _ : state) {
    state.PauseTiming();
    screen.editor.SetCaretXY({1, 1});
    screen.Paint();
    state.ResumeTiming();
    screen.Key(Qt::Key_End);
    screen.Paint();
  }
}
BENCHMARK(BM_LongLineEnd)->Unit(benchmark::kMillisecond);

void BM_LongLineTyping(benchmark::State& state) {
  Screen& screen = LongLine();
  screen.editor.SetCaretXY({10 * 1000 * 1000, 1});
  screen.Paint();
  for (auto _ : state) {
    screen.Key(Qt::Key_X, "x");
    screen.Paint();
    state.PauseTiming();
    screen.Key(Qt::Key_Backspace);
    screen.Paint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LongLineTyping)->Unit(benchmark::kMillisecond);

// A tab at the start of a 20 MB line: every column question past it depends on it.
Screen& LongLineWithTab() {
  static std::unique_ptr<Screen> screen;
  if (!screen) {
    screen = std::make_unique<Screen>();
    screen->Load("\t" + MinifiedScript(20 * kMB));
    screen->editor.SetHighlighter(&screen->highlighters.JavaScript());
    screen->Key(Qt::Key_End, "", Qt::ControlModifier);
    screen->Paint();
  }
  return *screen;
}

// The caret left at the end of the line: what each blink of the caret repaints.
void BM_LongLineWithTabIdleRepaint(benchmark::State& state) {
  Screen& screen = LongLineWithTab();
  for (auto _ : state) screen.Paint();
}
BENCHMARK(BM_LongLineWithTabIdleRepaint)->Unit(benchmark::kMillisecond);

void BM_LongLineWithTabCaretMove(benchmark::State& state) {
  Screen& screen = LongLineWithTab();
  bool left = true;
  for (auto _ : state) {
    screen.Key(left ? Qt::Key_Left : Qt::Key_Right);
    screen.Paint();
    left = !left;
  }
}
BENCHMARK(BM_LongLineWithTabCaretMove)->Unit(benchmark::kMillisecond);

void BM_LongLineWithTabTyping(benchmark::State& state) {
  Screen& screen = LongLineWithTab();
  for (auto _ : state) {
    screen.Key(Qt::Key_X, "x");
    screen.Paint();
    state.PauseTiming();
    screen.Key(Qt::Key_Backspace);
    screen.Paint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LongLineWithTabTyping)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
