#include "ui/editcomponent/TextEditor.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMimeData>
#include <QPainter>
#include <QtTest>

#include "core/highlighters/HighlighterSet.h"
#include "ui/editcomponent/EditorClipboard.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;

namespace {

QString Text(const TTextEditor& editor) {
  return QString::fromStdString(editor.Text());
}

// The program's editor with its viewport's event entry open: outside a real drag the application
// does not route drag events, so the tests hand them to the viewport handling directly.
class Editor : public TTvlEdit {
 public:
  using TTvlEdit::viewportEvent;
};

// An editor shown at a fixed size with a known text.
struct Shown {
  Editor editor;
  explicit Shown(const char* text, QSize size = QSize(600, 300)) {
    editor.SetText(text);
    editor.resize(size);
    editor.show();
    editor.setFocus();
    editor.Model().SetModified(false);
  }
  QWidget* Area() { return editor.viewport(); }
  // Centre of the cell of a buffer position (column, line from 1).
  QPoint At(int column, int line) {
    return editor.BufferPosToPixels({column, line}) +
           QPoint(static_cast<int>(editor.CharWidth() / 2), editor.TextHeight() / 2);
  }
  // The left edge of a cell: a click there puts the caret before the character.
  QPoint Before(int column, int line) {
    return editor.BufferPosToPixels({column, line}) + QPoint(1, editor.TextHeight() / 2);
  }
};

// Sends a drag over and a drop of `data` at `point` of the editor's text area.
bool Drop(Editor& target, QMimeData& data, QPoint point, Qt::DropAction action) {
  QDragMoveEvent move(point,
                      action == Qt::CopyAction ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction,
                      &data, Qt::LeftButton, Qt::NoModifier);
  target.viewportEvent(&move);
  if (!move.isAccepted()) return false;
  QDropEvent drop(point, action, &data, Qt::LeftButton, Qt::NoModifier);
  drop.setDropAction(action);
  target.viewportEvent(&drop);
  return drop.isAccepted();
}

QMimeData* EditorDrag(TTextEditor& source) {
  QMimeData* data = TEditorClipboard::MakeMimeData(source.SelText(), false);
  data->setData(TTextEditor::kDragMimeType,
                QByteArray::number(QCoreApplication::applicationPid()) + ":" +
                    QByteArray::number(reinterpret_cast<quintptr>(&source)));
  return data;
}

}  // namespace

class TextEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void typingAndEditingKeys() {
    Shown s("");
    QTest::keyClicks(&s.editor, "hello world");
    QCOMPARE(Text(s.editor), QString("hello world"));
    QVERIFY(s.editor.Modified());
    QTest::keyClick(&s.editor, Qt::Key_Left, Qt::ControlModifier);  // before "world"
    QTest::keyClick(&s.editor, Qt::Key_Return);
    QCOMPARE(Text(s.editor), QString("hello \r\nworld"));
    QCOMPARE(s.editor.CaretXY(), (TBufferPos{1, 2}));
    QTest::keyClick(&s.editor, Qt::Key_Backspace);
    QTest::keyClick(&s.editor, Qt::Key_Delete);
    QCOMPARE(Text(s.editor), QString("hello orld"));
    QTest::keyClick(&s.editor, Qt::Key_Home);
    QCOMPARE(s.editor.CaretX(), 1);
    QTest::keyClick(&s.editor, Qt::Key_End);
    QCOMPARE(s.editor.CaretX(), 11);
    // Insert toggles overwrite mode: typing replaces characters.
    QTest::keyClick(&s.editor, Qt::Key_Home);
    QTest::keyClick(&s.editor, Qt::Key_Insert);
    QVERIFY(!s.editor.InsertMode());
    QTest::keyClicks(&s.editor, "J");
    QCOMPARE(Text(s.editor), QString("Jello orld"));
    QTest::keyClick(&s.editor, Qt::Key_Insert);
    QVERIFY(s.editor.InsertMode());
    // Ctrl+Home and Ctrl+End; Tab inserts with want-tabs.
    QTest::keyClick(&s.editor, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(s.editor.CaretXY(), (TBufferPos{11, 1}));
    QTest::keyClick(&s.editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&s.editor, Qt::Key_Tab);
    QVERIFY(Text(s.editor).startsWith("\t") || Text(s.editor).startsWith(" "));
    // Ctrl with a letter types nothing.
    QTest::keyClick(&s.editor, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!Text(s.editor).contains('q'));
  }

  void readOnlyIgnoresTyping() {
    Shown s("abc");
    s.editor.SetReadOnly(true);
    QTest::keyClicks(&s.editor, "xyz");
    QTest::keyClick(&s.editor, Qt::Key_Delete);
    QCOMPARE(Text(s.editor), QString("abc"));
    QVERIFY(!s.editor.Modified());
  }

  void undoAndRedo() {
    Shown s("");
    QTest::keyClicks(&s.editor, "one");
    QTest::keyClick(&s.editor, Qt::Key_Return);
    QTest::keyClicks(&s.editor, "two");
    QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!Text(s.editor).contains("two"));
    QVERIFY(s.editor.CanRedo());
    QTest::keyClick(&s.editor, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString("one\r\ntwo"));
    QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Text(s.editor), QString("one\r\ntwo"));
    while (s.editor.CanUndo()) QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString(""));
    QVERIFY(!s.editor.Modified());
  }

  void normalSelectionByKeysAndMouse() {
    Shown s("alpha beta\ngamma delta");
    QTest::keyClick(&s.editor, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(QString::fromStdString(s.editor.SelText()).trimmed(), QString("alpha"));
    // Click then Shift+click extends.
    QTest::mouseClick(s.Area(), Qt::LeftButton, Qt::NoModifier, s.Before(7, 1));
    QVERIFY(!s.editor.SelAvail());
    QTest::mouseClick(s.Area(), Qt::LeftButton, Qt::ShiftModifier, s.Before(6, 2));
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("beta\r\ngamma"));
    // Double click selects a word, a third click the line.
    QTest::mouseDClick(s.Area(), Qt::LeftButton, Qt::NoModifier, s.At(8, 2));
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("delta"));
    QTest::mousePress(s.Area(), Qt::LeftButton, Qt::NoModifier, s.At(8, 2));
    QTest::mouseRelease(s.Area(), Qt::LeftButton, Qt::NoModifier, s.At(8, 2));
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("gamma delta"));
  }

  void columnSelectionByAltDrag() {
    Shown s("abcdef\nghijkl\nmnopqr");
    QTest::mousePress(s.Area(), Qt::LeftButton, Qt::AltModifier, s.Before(2, 1));
    QMouseEvent move(QEvent::MouseMove, s.Before(4, 3), s.Area()->mapToGlobal(s.Before(4, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
    QCoreApplication::sendEvent(s.Area(), &move);
    QTest::mouseRelease(s.Area(), Qt::LeftButton, Qt::AltModifier, s.Before(4, 3));
    QCOMPARE(s.editor.SelectionMode(), TSelectionMode::smColumn);
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("bc\r\nhi\r\nno"));
    // Copy and paste elsewhere pastes a column.
    QTest::keyClick(&s.editor, Qt::Key_C, Qt::ControlModifier);
    QTest::mouseClick(s.Area(), Qt::LeftButton, Qt::NoModifier, s.Before(7, 1));
    QCOMPARE(s.editor.SelectionMode(), TSelectionMode::smNormal);
    QTest::keyClick(&s.editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString("abcdefbc\r\nghijklhi\r\nmnopqrno"));
    QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString("abcdef\r\nghijkl\r\nmnopqr"));
  }

  void lineSelection() {
    Shown s("one\ntwo\nthree");
    s.editor.SetCaretXY({2, 1});
    s.editor.SetSelectionMode(TSelectionMode::smLine);
    QTest::keyClick(&s.editor, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("one\r\ntwo\r\n"));
    s.editor.grab();  // paints whole rows without trouble
  }

  void clipboardCopyCutPaste() {
    Shown s("copy me");
    s.editor.SelectAll();
    QTest::keyClick(&s.editor, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("copy me"));
    QTest::keyClick(&s.editor, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString(""));
    QVERIFY(s.editor.CanPaste());
    QTest::keyClick(&s.editor, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&s.editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString("copy mecopy me"));
    // Line breaks go to the desktop as LF and come back as line breaks.
    s.editor.SetText("a\nb");
    s.editor.SelectAll();
    s.editor.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("a\nb"));
    QGuiApplication::clipboard()->setText("x\r\ny");
    s.editor.PasteFromClipboard();
    QCOMPARE(Text(s.editor), QString("x\r\ny"));
  }

  void copyAndCutAreAnnouncedByCode() {
    Shown s("text");
    std::vector<int> commands;
    s.editor.OnCommandProcessed = [&](TTextEditor&, TCommandEvent& e) {
      commands.push_back(e.command);
    };
    s.editor.SelectAll();
    QTest::keyClick(&s.editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&s.editor, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(commands, (std::vector<int>{201, 603}));
  }

  void dragAndDropMovesWithinAnEditor() {
    Shown s("one two three");
    s.editor.Model().SetCaretAndSelection({8, 1}, {5, 1}, {8, 1});  // "two"
    std::unique_ptr<QMimeData> data(EditorDrag(s.editor));
    QVERIFY(Drop(s.editor, *data, s.Before(14, 1), Qt::MoveAction));
    QCOMPARE(Text(s.editor), QString("one  threetwo"));
    QCOMPARE(QString::fromStdString(s.editor.SelText()), QString("two"));
    QTest::keyClick(&s.editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(s.editor), QString("one two three"));
    // A drop inside the selection changes nothing.
    s.editor.Model().SetCaretAndSelection({8, 1}, {5, 1}, {8, 1});
    data.reset(EditorDrag(s.editor));
    QVERIFY(!Drop(s.editor, *data, s.At(6, 1), Qt::MoveAction));
    QCOMPARE(Text(s.editor), QString("one two three"));
  }

  void dragAndDropBetweenEditorsMovesTheText() {
    Shown a("drag this");
    Shown b("into ");
    a.editor.Model().SetCaretAndSelection({10, 1}, {6, 1}, {10, 1});
    std::unique_ptr<QMimeData> data(EditorDrag(a.editor));
    QCOMPARE(TTextEditor::DragSource(*data), &a.editor);
    QVERIFY(Drop(b.editor, *data, b.Before(6, 1), Qt::MoveAction));
    QCOMPARE(Text(b.editor), QString("into this"));
    QCOMPARE(Text(a.editor), QString("drag "));
    // A copy (Ctrl held) leaves the source alone; plain text from elsewhere is inserted.
    a.editor.SelectAll();
    data.reset(EditorDrag(a.editor));
    QVERIFY(Drop(b.editor, *data, b.Before(1, 1), Qt::CopyAction));
    QCOMPARE(Text(a.editor), QString("drag "));
    QCOMPARE(Text(b.editor), QString("drag into this"));
    QMimeData plain;
    plain.setText("X");
    QVERIFY(Drop(b.editor, plain, b.Before(1, 1), Qt::CopyAction));
    QCOMPARE(Text(b.editor), QString("Xdrag into this"));
    b.editor.SetReadOnly(true);
    QVERIFY(!Drop(b.editor, plain, b.Before(1, 1), Qt::CopyAction));
  }

  void dropHooksSeeOtherData() {
    Shown s("text");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.php")});
    TBufferPos seen;
    s.editor.OnDragOver = [](TTextEditor&, const QMimeData& d, QPoint, bool& accept) {
      accept = d.hasUrls();
    };
    s.editor.OnDragDrop = [&](TTextEditor& e, const QMimeData& d, QPoint p) {
      seen = e.PixelsToBufferPos(p);
      return d.hasUrls();
    };
    QVERIFY(Drop(s.editor, files, s.Before(3, 1), Qt::CopyAction));
    QCOMPARE(seen, (TBufferPos{3, 1}));
    QCOMPARE(Text(s.editor), QString("text"));
  }

  void statusChangesAndDetaching() {
    Shown s("abc");
    std::vector<TStatusChanges> seen;
    int changes = 0;
    s.editor.OnStatusChange = [&](TTextEditor&, TStatusChanges c) { seen.push_back(c); };
    s.editor.OnChange = [&](TTextEditor&) { ++changes; };
    QTest::keyClick(&s.editor, Qt::Key_Right);
    QVERIFY(!seen.empty() && (seen.back() & scCaret));
    QCOMPARE(changes, 0);
    QTest::keyClicks(&s.editor, "x");
    QVERIFY(seen.back() & scText);
    QVERIFY(seen.back() & scModified);
    QCOMPARE(changes, 1);
    QTest::keyClick(&s.editor, Qt::Key_Insert);
    QVERIFY(seen.back() & scInsertMode);
    // Detached around a bulk change, restored afterwards.
    auto status = std::move(s.editor.OnStatusChange);
    auto change = std::move(s.editor.OnChange);
    s.editor.OnStatusChange = nullptr;
    s.editor.OnChange = nullptr;
    const std::size_t before = seen.size();
    for (int i = 0; i < 5; ++i) s.editor.Model().AddLine("more");
    QCOMPARE(seen.size(), before);
    s.editor.OnStatusChange = std::move(status);
    s.editor.OnChange = std::move(change);
    QTest::keyClicks(&s.editor, "y");
    QCOMPARE(changes, 2);
  }

  void keyHooksRunFirstAndMaySwallow() {
    Shown s("");
    s.editor.OnKeyDown = [](TTextEditor&, TKeyInfo& key) {
      if (key.Key == Qt::Key_B) key.Key = 0;
    };
    s.editor.OnKeyPress = [](TTextEditor&, char32_t& ch) {
      if (ch == 'c') ch = 'C';
    };
    int ups = 0;
    s.editor.OnKeyUp = [&](TTextEditor&, TKeyInfo&) { ++ups; };
    QTest::keyClicks(&s.editor, "abc");
    QCOMPARE(Text(s.editor), QString("aC"));
    QCOMPARE(ups, 3);
  }

  void paintHookAndGutterClick() {
    Shown s("one\ntwo\nthree");
    int painted = 0;
    s.editor.OnPaint = [&](TTextEditor& e, QPainter& p) {
      ++painted;
      p.fillRect(QRect(e.BufferPosToPixels({1, 2}), QSize(3, 3)), Qt::red);
    };
    QImage image = s.editor.viewport()->grab().toImage();
    QVERIFY(painted > 0);
    QCOMPARE(image.pixelColor(s.editor.BufferPosToPixels({1, 2}) + QPoint(1, 1)), QColor(Qt::red));
    int clicked = 0;
    s.editor.OnGutterClick = [&](TTextEditor&, Qt::MouseButton, QPoint, int line) {
      clicked = line;
    };
    QTest::mouseClick(s.Area(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(2, s.editor.TextHeight() * 2 + 2));
    QCOMPARE(clicked, 3);
  }

  void pixelAndDisplayPositions() {
    Shown s("a\tb\nline two");
    s.editor.SetTabWidth(4);
    QCOMPARE(s.editor.BufferToDisplayPos({3, 1}), (TDisplayPos{5, 1, 0}));
    QCOMPARE(s.editor.DisplayToBufferPos({5, 1, 0}), (TBufferPos{3, 1}));
    QCOMPARE(s.editor.DisplayToBufferPos({3, 1, 0}), (TBufferPos{2, 1}));  // inside the tab
    for (TBufferPos p : {TBufferPos{1, 1}, TBufferPos{3, 1}, TBufferPos{5, 2}}) {
      QCOMPARE(s.editor.PixelsToBufferPos(s.editor.BufferPosToPixels(p) + QPoint(1, 1)), p);
    }
  }

  void proportionalFontsMeasureTheWindow() {
    Shown s("iiii WWWW\tx");
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(12);
    s.editor.SetEditorFont(font);
    // Narrow and wide letters get their own widths; positions and pixels agree both ways.
    const int narrow =
        s.editor.BufferPosToPixels({5, 1}).x() - s.editor.BufferPosToPixels({1, 1}).x();
    const int wide =
        s.editor.BufferPosToPixels({10, 1}).x() - s.editor.BufferPosToPixels({6, 1}).x();
    if (QFontInfo(font).fixedPitch()) QSKIP("no proportional font on this system");
    QVERIFY(wide > narrow);
    for (int column = 1; column <= 12; ++column) {
      const QPoint at = s.editor.BufferPosToPixels({column, 1}) + QPoint(1, 1);
      QCOMPARE(s.editor.PixelsToBufferPos(at), (TBufferPos{column, 1}));
    }
    s.editor.viewport()->grab();
  }

  void wordWrapPositionsAndMoves() {
    Shown s("", QSize(400, 300));
    s.editor.SetText(std::string(100, 'x') + " tail\nnext");
    s.editor.SetWordWrap(true);
    QVERIFY(s.editor.WordWrap());
    const int columns = s.editor.CharsInWindow();
    QVERIFY(columns > 10 && columns < 100);
    // Column `columns + 1` is the first character of the second row.
    TDisplayPos d = s.editor.BufferToDisplayPos({columns + 1, 1});
    QCOMPARE(d, (TDisplayPos{1, 1, 1}));
    QPoint p = s.editor.BufferPosToPixels({columns + 1, 1});
    QCOMPARE(p.y(), s.editor.TextHeight());
    QCOMPARE(s.editor.PixelsToBufferPos(p + QPoint(1, 1)), (TBufferPos{columns + 1, 1}));
    // Down moves by screen rows within the line.
    s.editor.SetCaretXY({3, 1});
    QTest::keyClick(&s.editor, Qt::Key_Down);
    QCOMPARE(s.editor.CaretXY(), (TBufferPos{columns + 3, 1}));
    QTest::keyClick(&s.editor, Qt::Key_Up);
    QCOMPARE(s.editor.CaretXY(), (TBufferPos{3, 1}));
    s.editor.SetWordWrap(false);
    QCOMPARE(s.editor.BufferToDisplayPos({columns + 1, 1}), (TDisplayPos{columns + 1, 1, 0}));
  }

  void longLinePaintsOnlyItsWindow() {
    Shown s("");
    std::string line(2 * 1024 * 1024, 'a');
    line += "END";
    s.editor.SetText(line);
    QTest::keyClick(&s.editor, Qt::Key_End);
    QCOMPARE(s.editor.CaretX(), static_cast<int>(line.size()) + 1);
    QImage image = s.editor.viewport()->grab().toImage();
    QVERIFY(!image.isNull());
    // The caret is on screen: clicking just before "END" lands there.
    const TBufferPos endWord{static_cast<int>(line.size()) - 2, 1};
    QPoint at = s.editor.BufferPosToPixels(endWord);
    QVERIFY(at.x() > s.editor.GutterWidth() && at.x() < s.editor.viewport()->width());
    QCOMPARE(s.editor.PixelsToBufferPos(at + QPoint(1, 1)), endWord);
    QTest::keyClicks(&s.editor, "!");
    QCOMPARE(s.editor.Model().LineLength(0), static_cast<int>(line.size()) + 1);
  }

  void highlighterAttributesAtPositions() {
    THighlighterSet set;
    Shown s("<?php\n$a = 'text'; // note\n");
    s.editor.SetHighlighter(&set.Php());
    const THighlighterAttribute* attribute = nullptr;
    std::string token;
    QVERIFY(s.editor.GetHighlighterAttriAtRowCol({8, 2}, token, attribute));
    QVERIFY(set.Php().IsDefaultAttribute(attribute, THighlighterDefault::String));
    QVERIFY(s.editor.GetHighlighterAttriAtRowCol({18, 2}, attribute));
    QVERIFY(set.Php().IsDefaultAttribute(attribute, THighlighterDefault::Comment));
    QVERIFY(!s.editor.GetHighlighterAttriAtRowCol({40, 2}, attribute));
    s.editor.viewport()->grab();
  }

  void farLinesAreHighlightedExactlyAfterIdleTime() {
    THighlighterSet set;
    std::string text = "<?php\n/* a comment left open\n";
    for (int i = 0; i < 3000; ++i) text += "$x = 1;\n";
    Shown s(text.c_str());
    s.editor.SetHighlighter(&set.Php());
    s.editor.SetCaretXY({1, 3000});
    s.editor.viewport()->grab();
    // Far below the known states the colours are guessed from the lines just above...
    const THighlighterAttribute* attribute = nullptr;
    s.editor.GetHighlighterAttriAtRowCol({2, 3000}, attribute);
    QVERIFY(!set.Php().IsDefaultAttribute(attribute, THighlighterDefault::Comment));
    // ...until idle time has worked through the document.
    QTRY_VERIFY(s.editor.GetHighlighterAttriAtRowCol({2, 3000}, attribute) &&
                set.Php().IsDefaultAttribute(attribute, THighlighterDefault::Comment));
  }

  void appearanceSetters() {
    Shown s("text");
    s.editor.SetColor(clWindow);
    QCOMPARE(s.editor.ToQColor(clWindow), s.editor.palette().color(QPalette::Base));
    QCOMPARE(s.editor.ToQColor(0x0000FF), QColor(255, 0, 0));
    QVERIFY(!s.editor.ToQColor(clNone).isValid());
    s.editor.SetActiveLineColor(0x00FFFF);
    s.editor.SetRightEdge(2);
    s.editor.SetRightEdgeColor(clRed);
    s.editor.SetFontSize(14);
    QCOMPARE(s.editor.FontSize(), 14);
    const int wide = s.editor.TextHeight();
    s.editor.SetFontSize(8);
    QVERIFY(s.editor.TextHeight() < wide);
    s.editor.SetOptions(s.editor.Options() | eoShowSpecialChars | eoScrollPastEol);
    s.editor.SetGutterGradient(true);
    QImage image = s.editor.viewport()->grab().toImage();
    // The active line is painted in its colour, to the right of the text.
    QCOMPARE(image.pixelColor(s.editor.viewport()->width() - 5, 2), QColor(255, 255, 0));
    s.editor.SetCaretXY({10, 1});  // past the end, with eoScrollPastEol
    QCOMPARE(s.editor.CaretX(), 10);
  }

  void inputMethodCommitsAndQueries() {
    Shown s("ab");
    s.editor.SetCaretXY({2, 1});
    QInputMethodEvent preedit("漢", {});
    QCoreApplication::sendEvent(&s.editor, &preedit);
    QCOMPARE(Text(s.editor), QString("ab"));
    QInputMethodEvent commit;
    commit.setCommitString("漢字");
    QCoreApplication::sendEvent(&s.editor, &commit);
    QCOMPARE(Text(s.editor), QString("a漢字b"));
    QCOMPARE(s.editor.inputMethodQuery(Qt::ImCursorPosition).toInt(), 3);
    QCOMPARE(s.editor.inputMethodQuery(Qt::ImSurroundingText).toString(), QString("a漢字b"));
    QVERIFY(s.editor.inputMethodQuery(Qt::ImCursorRectangle).toRect().isValid());
  }
};

QTEST_MAIN(TextEditorTest)
#include "texteditor_test.moc"
