// Benchmarks of the editor control's marks on the offscreen platform: a caret move in a 100 MB
// HTML/PHP document, from the key to the painted screen with the variable frames, the bracket
// background and the tag frames (also when the tag's partner is missing).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "core/highlighters/HighlighterSet.h"
#include "ui/editor/TvlEdit.h"

namespace {

using namespace tervil;

std::string Block(int i) {
  const std::string n = std::to_string(i);
  return "<div class=\"cart\" id=\"c" + n +
         "\">\n"
         "  <ul>\n    <li>Item " +
         n +
         "</li>\n    <li>(price) [x] {y}</li>\n  </ul>\n"
         "  <?php $total = $total + $price * 1.19; echo $total; ?>\n"
         "</div>\n";
}

struct Screen {
  THighlighterSet highlighters;
  TTvlEdit editor;
  int sectionLine = 0;

  Screen() {
    std::string text;
    for (int i = 0; text.size() < (50u << 20); ++i) text += Block(i);
    text += "<section>\n<div>\n";
    for (int i = 0; text.size() < (100u << 20); ++i) text += Block(i);
    editor.LoadFromBytes(text);
    editor.SetHighlighter(&highlighters.Multi());
    editor.resize(1200, 900);
    editor.show();
    QApplication::processEvents();
    for (int line = editor.LineCount() / 2 - 20;; ++line) {
      if (editor.Line(line - 1) == "<section>") {
        sectionLine = line;
        break;
      }
    }
  }
  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&editor, &release);
    editor.viewport()->repaint();
  }
};

Screen& Big() {
  static std::unique_ptr<Screen> screen = std::make_unique<Screen>();
  return *screen;
}

// Down and Up between a "<div" line and the line after it, each painted with its marks.
void BM_CaretMovePaintedOnTags(benchmark::State& state) {
  Screen& s = Big();
  s.editor.SetCaretXY({3, s.sectionLine + 2});
  s.editor.viewport()->repaint();
  bool down = true;
  for (auto _ : state) {
    s.Key(down ? Qt::Key_Down : Qt::Key_Up);
    down = !down;
  }
}
BENCHMARK(BM_CaretMovePaintedOnTags)->Unit(benchmark::kMillisecond);

// Right and Left inside the unclosed "<section>": the tag search reads to its limit each time.
void BM_CaretMovePaintedMissingPartner(benchmark::State& state) {
  Screen& s = Big();
  s.editor.SetCaretXY({3, s.sectionLine});
  s.editor.viewport()->repaint();
  bool right = true;
  for (auto _ : state) {
    s.Key(right ? Qt::Key_Right : Qt::Key_Left);
    right = !right;
  }
}
BENCHMARK(BM_CaretMovePaintedMissingPartner)->Unit(benchmark::kMillisecond);

// Right and Left inside an unclosed "<div" among balanced ones: every "div" within the scan
// limit is counted and checked for strings and comments, and no partner is found.
void BM_CaretMovePaintedUnclosedAmongMany(benchmark::State& state) {
  Screen& s = Big();
  s.editor.SetCaretXY({3, s.sectionLine + 1});
  s.editor.viewport()->repaint();
  bool right = true;
  for (auto _ : state) {
    s.Key(right ? Qt::Key_Right : Qt::Key_Left);
    right = !right;
  }
}
BENCHMARK(BM_CaretMovePaintedUnclosedAmongMany)->Unit(benchmark::kMillisecond);

}  // namespace
