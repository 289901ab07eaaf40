#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editcomponent/EditorClipboard.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

// The typing aids of the editor control, driven by real key events on the main window's editor.
// Scripts: printable characters are typed; "\n" is Enter, "\t" Tab, "\b" Shift+Tab, "\x01"
// Ctrl+Space, "\x02" Left, "\x03" Shift+Down.
class TypingAidsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  TTvlEdit* Open(const QString& name, const QByteArray& bytes) {
    TTvlEdit* editor = window_.OpenOldFile(home_.filePath(name), bytes);
    return editor;
  }

  static void Play(QWidget* widget, const QString& script) {
    for (QChar c : script) {
      switch (c.unicode()) {
        case '\n':
          QTest::keyClick(widget, Qt::Key_Return);
          break;
        case '\t':
          QTest::keyClick(widget, Qt::Key_Tab);
          break;
        case '\b':
          QTest::keyClick(widget, Qt::Key_Backtab, Qt::ShiftModifier);
          break;
        case 1:
          QTest::keyClick(widget, Qt::Key_Space, Qt::ControlModifier);
          break;
        case 2:
          QTest::keyClick(widget, Qt::Key_Left);
          break;
        case 3:
          QTest::keyClick(widget, Qt::Key_Down, Qt::ShiftModifier);
          break;
        default:
          QTest::keyClicks(widget, QString(c));
      }
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::OK);
  }

  void init() { window_.LoadSettings(); }

  void cleanup() { window_.Close(); }

  void keysTypeTheAids_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("continueLists");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("caretLine");
    QTest::addColumn<int>("caretColumn");
    auto row = [](const char* name, const char* file, const char* text, int line, int column,
                  bool lists, const char* script, const char* expected, int cl, int cc) {
      QTest::newRow(name) << QString(file) << QByteArray(text) << line << column << lists
                          << QString(script) << QByteArray(expected) << cl << cc;
    };
    row("p closes", "a.html", "", 1, 1, false, "<p>", "<p></p>", 1, 4);
    row("BR closes", "a.html", "", 1, 1, false, "<BR>", "<BR></BR>", 1, 5);
    row("br/ alone", "a.html", "", 1, 1, false, "<br/>", "<br/>", 1, 6);
    row("end tag alone", "a.html", "", 1, 1, false, "</p>", "</p>", 1, 5);
    row("comment alone", "a.html", "", 1, 1, false, "<!-- x -->", "<!-- x -->", 1, 11);
    row("attributes", "a.html", "", 1, 1, false, "<xyz class=\"a\">", "<xyz class=\"a\"></xyz>", 1,
        16);
    row("list continues", "a.html", "  <li>one", 1, 10, true, "\n", "  <li>one</li>\n  <li>", 2, 7);
    row("empty item ends", "a.html", "  <li>one", 1, 10, true, "\n\n", "  <li>one</li>\n  ", 2, 3);
    row("item closes anyway", "a.html", "<li>one", 1, 8, false, "\n", "<li>one</li>\n", 2, 1);
    row("option continues", "a.html", "<option>a", 1, 10, true, "\n",
        "<option>a</option>\n<option>", 2, 9);
    row("doc comment", "a.php", "<?php\n/**", 2, 4, false, "\n", "<?php\n/**\n *", 3, 3);
    row("comment star", "a.php", "<?php\n/**\n * text", 3, 8, false, "\n",
        "<?php\n/**\n * text\n *", 4, 3);
    row("brace indents", "a.php", "<?php\nif (a) {", 2, 9, false, "\n", "<?php\nif (a) {\n    ", 3,
        5);
    row("brace unindents", "a.php", "<?php\n    x();", 2, 9, false, "}", "<?php\n    x();\n}", 3,
        2);
    row("nbsp in html", "a.html", "<p>a", 1, 5, false, "\x01", "<p>a&nbsp;", 1, 11);
    row("nbsp after a tag", "a.html", "<p>a", 1, 4, false, "\x01", "<p>&nbsp;a", 1, 10);
    row("completion after ->", "a.php", "<?php\n$a->", 2, 5, false, "\x01", "<?php\n$a->", 2, 5);
    row("completion on a name", "a.php", "<?php\nstrl", 2, 5, false, "\x01", "<?php\nstrl", 2, 5);
    row("left wraps", "a.html", "ab\ncd", 2, 1, false, "\x02", "ab\ncd", 1, 3);
    row("left at 1,1", "a.html", "ab", 1, 1, false, "\x02", "ab", 1, 1);
    row("tab indents", "a.html", "a\nb\nc", 1, 1, false, "\x03\x03\t", "    a\n    b\nc", 3, 1);
    row("shift tab", "a.html", "    a\n    b\nc", 1, 1, false, "\x03\x03\b", "a\nb\nc", 3, 1);
  }

  void keysTypeTheAids() {
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(bool, continueLists);
    QFETCH(QString, script);
    QFETCH(QByteArray, expected);
    QFETCH(int, caretLine);
    QFETCH(int, caretColumn);
    TTvlEdit* editor = Open(file, text);
    editor->SetContinueLists(continueLists);
    editor->SetAutoIndent(true);
    editor->SetAutoClose(true);
    editor->SetCaretXY({column, line});
    Play(editor, script);
    QCOMPARE(QByteArray::fromStdString(editor->Model().Text("\n")), expected);
    QCOMPARE(editor->CaretY(), caretLine);
    QCOMPARE(editor->CaretX(), caretColumn);
  }

  // With "End HTML tags" and "Continue HTML lists" on, an item typed whole ("</li>" arrives with
  // the ">") keeps its text on Enter and the next item starts; an empty item then ends the list.
  void typedItemsContinueTheList_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("li") << "<li>one\ntwo\n\n" << QByteArray("<li>one</li>\n<li>two</li>\n");
    QTest::newRow("indented") << "  <li>one\ntwo\n\n"
                              << QByteArray("  <li>one</li>\n  <li>two</li>\n  ");
    QTest::newRow("option") << "<option>a\nb\n\n"
                            << QByteArray("<option>a</option>\n<option>b</option>\n");
  }
  void typedItemsContinueTheList() {
    QFETCH(QString, script);
    QFETCH(QByteArray, expected);
    TTvlEdit* editor = Open("list.html", "");
    window_->Configuration().AutoClose = true;
    window_->Configuration().ContinueLists = true;
    window_->ApplyEditorSettings(editor);
    Play(editor, script);
    QCOMPARE(QByteArray::fromStdString(editor->Model().Text("\n")), expected);
  }

  // The closing tag just inserted stays linked until the caret moves.
  void linkedTagEndsWithTheNextKey() {
    TTvlEdit* editor = Open("b.html", "");
    editor->SetAutoClose(true);
    QTest::keyClicks(editor, "<b>");
    QVERIFY(editor->LinkedTagActive());
    QTest::keyClick(editor, Qt::Key_Right);
    QVERIFY(!editor->LinkedTagActive());
  }

  void readOnlyPageGetsNothing() {
    TTvlEdit* editor = Open("r.html", "<li>one");
    editor->SetReadOnly(true);
    editor->SetContinueLists(true);
    editor->SetCaretXY({8, 1});
    Play(editor, "<p>\n\x01");
    QCOMPARE(editor->Model().Text("\n"), std::string("<li>one"));
  }

  void goToMatchingBracketFollowsTagsAndBrackets() {
    TTvlEdit* editor = Open("m.html", "<div><div></div></div>\n(a)");
    QAction* action = nullptr;
    for (QAction* a : window_->findChildren<QAction*>())
      if (a->text() == "Go to Matching Bracket") action = a;
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence("Ctrl+Shift+B"));
    editor->SetCaretXY({3, 1});
    QTest::keyClick(editor, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->CaretXY(), (TBufferPos{19, 1}));
    editor->SetCaretXY({1, 2});
    action->trigger();
    QCOMPARE(editor->CaretXY(), (TBufferPos{3, 2}));
    editor->SetCaretXY({3, 1});
    editor->Model().SetText("</p>");
    editor->SetCaretXY({3, 1});
    action->trigger();
    QCOMPARE(editor->CaretXY(), (TBufferPos{1, 1}));
  }

  void gutterClicksSetAndClearBookmarks() {
    TTvlEdit* editor = Open("g.html", "a\nb\nc");
    const int y = editor->BufferPosToPixels({1, 2}).y() + editor->TextHeight() / 2;
    const QPoint gutter(2, y);
    TBufferPos pos;
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, gutter);
    QVERIFY(editor->Model().GetBookmark(0, pos));
    QCOMPARE(pos.Line, 2);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, gutter);
    QVERIFY(!editor->Model().IsBookmark(0));
    for (int n = 0; n < 10; ++n) editor->Model().SetBookmark(n, {1, 1});
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, gutter);
    for (int n = 0; n < 10; ++n) {
      QVERIFY(editor->Model().GetBookmark(n, pos));
      QCOMPARE(pos.Line, 1);
    }
  }

  // Variable at the caret and the words the frames go around.
  void variableAtCaretTakesDollarNames() {
    TTvlEdit* editor = Open("v.php", "<?php\n$total = $totals + x$total;");
    editor->SetCaretXY({4, 2});
    QCOMPARE(editor->VariableAtCaret(true), std::string("$total"));
    QCOMPARE(editor->IdentifierAtCaret(true), std::string("$total"));
    editor->grab();  // paints the frames without a fault
  }

  // Text dragged from one editor control to another moves: it leaves the source.
  void dragBetweenEditorsMovesTheText() {
    TTvlEdit source;
    TTvlEdit target;
    source.resize(400, 200);
    target.resize(400, 200);
    source.show();
    target.show();
    source.SetText("drag this");
    target.SetText("into ");
    source.Model().SetCaretAndSelection({10, 1}, {6, 1}, {10, 1});
    std::unique_ptr<QMimeData> owned(TEditorClipboard::MakeMimeData(source.SelText(), false));
    QMimeData& data = *owned;
    data.setData(
        TTextEditor::kDragMimeType,
        QByteArray::number(QCoreApplication::applicationPid()) + ":" +
            QByteArray::number(reinterpret_cast<quintptr>(static_cast<TTextEditor*>(&source))));
    const QPoint at = target.BufferPosToPixels({6, 1}) + QPoint(1, target.TextHeight() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target.viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target.viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(target.viewport(), &drop);
    QCOMPARE(target.Model().Text("\n"), std::string("into this"));
    QCOMPARE(source.Model().Text("\n"), std::string("drag "));
  }

  // A 10 MB line, NUL bytes and invalid UTF-8: keys and painting keep the text as typed.
  void badInputKeepsTheText() {
    QByteArray big(10'000'000, 'x');
    big.append("<p");
    big.append(QByteArray("\0\xff\xfe(", 4));
    TTvlEdit* editor = Open("big.html", "");
    editor->Model().SetText(big.toStdString());
    editor->SetAutoClose(true);
    editor->SetCaretXY({10'000'003, 1});
    QTest::keyClicks(editor, ">");
    const std::string text = editor->Model().Text("\n");
    QVERIFY(text.find("<p></p>") != std::string::npos);
    editor->SetCaretXY({10'000'100, 1});
    QTest::keyClick(editor, Qt::Key_Right);
    editor->grab();
  }
};

QTEST_MAIN(TypingAidsTest)
#include "typingaids_test.moc"
