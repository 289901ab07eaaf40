// What the crash journal adds to a keystroke through the editor widget in a 100 MB page: the
// key event, the edit and the repaint, with the journal off (0) and on (1).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <memory>
#include <string>

#include "core/recovery/JournalRecorder.h"
#include "core/recovery/JournalWriter.h"
#include "ui/editcomponent/TextEditor.h"

namespace {

using namespace tervil;

TTextEditor& BigEditor() {
  static std::unique_ptr<TTextEditor> editor;
  if (!editor) {
    std::string text;
    text.reserve(101u << 20);
    for (int i = 0; text.size() < (100u << 20); ++i) {
      text += "<li><a href=\"page" + std::to_string(i) + ".html\">entry</a> <?= $row ?></li>\n";
    }
    editor = std::make_unique<TTextEditor>();
    editor->resize(1200, 900);
    editor->show();
    editor->LoadFromBytes(text);
    QApplication::processEvents();
  }
  return *editor;
}

void SendKey(TTextEditor& editor, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&editor, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&editor, &release);
}

void BM_JournalledKeystroke100MB(benchmark::State& state) {
  TTextEditor& editor = BigEditor();
  const std::string folder =
      (std::filesystem::temp_directory_path() / "tervil-journal-ui-bench").string();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::unique_ptr<TJournalWriter> writer;
  std::unique_ptr<TJournalRecorder> recorder;
  editor.SetCaretXY({9, editor.LineCount() / 2});
  if (state.range(0)) {
    writer = std::make_unique<TJournalWriter>(folder);
    recorder = std::make_unique<TJournalRecorder>(editor.Model(), *writer, 1, [] {
      TJournalIdentity id;
      id.name = "Unnamed 1";
      return id;
    });
    SendKey(editor, Qt::Key_X, "x");  // modified: the first snapshot is written before timing
    recorder->Tick(JournalClockMs());
    writer->Flush();
  }
  editor.viewport()->repaint();
  for (auto _ : state) {
    SendKey(editor, Qt::Key_X, "x");
    editor.viewport()->repaint();
    SendKey(editor, Qt::Key_Backspace);
    editor.viewport()->repaint();
  }
  recorder.reset();
  writer.reset();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalledKeystroke100MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
