#include <QApplication>
#include <QScreen>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

// The editor repaints only what a keystroke changed. After every step of real keys on the main
// window's editor, what the window shows must equal a full repaint of the editor: a row left
// out of a repaint would show stale pixels here.
//
// Scripts are words separated by blanks: a key name (Left, Right, Up, Down, Home, End, PgUp,
// PgDn, Return, BS, Del, Space, Esc) with optional prefixes C- (Ctrl), S- (Shift), A- (Alt),
// or else text typed character by character.
class RepaintTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  static QByteArray Page() {
    QByteArray text;
    for (int i = 0; i < 30; ++i) {
      text +=
          "<?php\n"
          "/* Block " +
          QByteArray::number(i) +
          " */\n"
          "class Cart {\n"
          "    private $total = 0;\n"
          "    public function add($amount) {\n"
          "        if ($amount > 0) { $this->total += $amount; }\n"
          "\treturn $this->total;\t// running total\n"
          "    }\n"
          "}\n"
          "?>\n"
          "<div class=\"row\"><p>Some <b>text</b> here</p></div>\n";
    }
    return text;
  }

  TTvlEdit* Open(const QString& name, const QByteArray& bytes) {
    TTvlEdit* editor = window_.OpenOldFile(home_.filePath(name), bytes);
    Settle();
    return editor;
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QTest::qWait(15);
  }

  static void Play(QWidget* widget, const QString& script) {
    static const QHash<QString, int> keys = {
        {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},   {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},     {"End", Qt::Key_End},
        {"PgUp", Qt::Key_PageUp},  {"PgDn", Qt::Key_PageDown}, {"Return", Qt::Key_Return},
        {"BS", Qt::Key_Backspace}, {"Del", Qt::Key_Delete},    {"Space", Qt::Key_Space},
        {"Esc", Qt::Key_Escape},   {"c", Qt::Key_C},           {"n", Qt::Key_N},
        {"z", Qt::Key_Z}};
    for (QString word : script.split(' ', Qt::SkipEmptyParts)) {
      Qt::KeyboardModifiers modifiers;
      const QString whole = word;
      while (word.size() > 2 && word[1] == '-') {
        if (word[0] == 'C') modifiers |= Qt::ControlModifier;
        if (word[0] == 'S') modifiers |= Qt::ShiftModifier;
        if (word[0] == 'A') modifiers |= Qt::AltModifier;
        word = word.mid(2);
      }
      const bool named = keys.contains(word) && (word.size() > 1 || modifiers);
      if (named) {
        QTest::keyClick(widget, static_cast<Qt::Key>(keys[word]), modifiers);
      } else {
        QTest::keyClicks(widget, whole);
      }
    }
  }

  // What the window shows of the editor's viewport.
  static QImage Shown(QWidget* viewport) {
    QWidget* top = viewport->window();
    const QPoint at = viewport->mapTo(top, QPoint(0, 0));
    return top->screen()
        ->grabWindow(top->winId(), at.x(), at.y(), viewport->width(), viewport->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }

  static QImage Repainted(QWidget* viewport) {
    return viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  // Plays each step and compares the shown pixels with a full repaint after it.
  static void PlayAndCompare(TTvlEdit* editor, const QStringList& steps) {
    for (const QString& step : steps) {
      Play(editor, step);
      Settle();
      const QImage shown = Shown(editor->viewport());
      const QImage full = Repainted(editor->viewport());
      QVERIFY2(!shown.isNull(), "the window's pixels are readable");
      if (shown != full) {
        shown.save(QDir::temp().filePath("repaint-shown.png"));
        full.save(QDir::temp().filePath("repaint-full.png"));
      }
      QVERIFY2(shown == full, qPrintable("stale pixels after: " + step));
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::OK);
    // A caret that does not blink while the pixels are compared.
    QGuiApplication::styleHints()->setCursorFlashTime(100'000'000);
  }

  void init() { window_.LoadSettings(); }

  void cleanup() { window_.Close(); }

  void keysRepaintWhatTheyChange_data() {
    QTest::addColumn<bool>("wordWrap");
    QTest::addColumn<QStringList>("steps");
    const QStringList steps = {
        // Caret moves over rows with an active line colour.
        "Down Down Down End", "Up Home Right Right", "C-End", "C-Home",
        // Typing and deleting in a line.
        "Down Down Down abc", "BS BS", "Del Del",
        // A comment opened and closed again: the lines below change colour.
        "Home /*", "BS", "BS",
        // Lines inserted and removed.
        "Return", "Return Return", "BS", "BS BS", "End Return x", "BS BS",
        // The variable under the caret is framed in every row that shows it.
        "Down Down Home C-Right C-Right C-Right C-Right Right", "Right Right", "Down", "x", "BS",
        "Up Up",
        // The matched bracket.
        "Home C-Right C-Right C-Right", "Right", "End", "Left",
        // Matched tags.
        "Down Down Down Down Down Down Home Right Right", "Down", "Up",
        // Selections: by rows, by characters, replaced by typing, undone.
        "S-Down S-Down", "S-Right S-Right", "S-Up", "q", "C-z", "Right", "S-End", "Left",
        // Column selection.
        "C-A-c S-Down S-Down S-Right S-Right", "S-Up", "C-A-n Left",
        // Scrolling by pages and typing after it.
        "PgDn", "y", "PgDn PgDn", "BS", "PgUp", "C-End", "Return", "BS",
        // A closing tag typed for the user and shown linked until the caret leaves it.
        "Up Home <em>", "Right", "Left", "BS BS BS BS BS BS BS BS BS"};
    QTest::newRow("rows") << false << steps;
    QTest::newRow("word wrap") << true << steps;
  }

  void keysRepaintWhatTheyChange() {
    QFETCH(bool, wordWrap);
    QFETCH(QStringList, steps);
    QByteArray text = Page();
    // A line long enough to wrap, with tabs.
    text.insert(0, "<p>" + QByteArray("\tword ").repeated(40) + "</p>\n");
    TTvlEdit* editor = Open("page.php", text);
    editor->SetActiveLineColor(clYellow);
    editor->SetAutoClose(true);
    editor->SetWordWrap(wordWrap);
    Settle();
    PlayAndCompare(editor, steps);
  }
};

QTEST_MAIN(RepaintTest)
#include "repaint_test.moc"
