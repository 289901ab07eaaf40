#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/textcommands/MultiClipboard.h"

using namespace tervil;
using namespace tervil::test;

// The clipboard history on the real main window: copies and cuts typed in two pages, the
// pop-up at the caret, and an older entry pasted back.
class ClipboardHistoryTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  TMainWindowFixture window_;

  TTervilMain& Window() { return *window_; }
  TMultiClipboard* Popup() { return Window().findChild<TMultiClipboard*>("MultiClipboard"); }
  QAction* Action(const QString& caption) {
    for (QAction* action : Window().findChildren<QAction*>())
      if (action->text() == caption) return action;
    return nullptr;
  }

  // The editor's text with LF line breaks.
  static QString Text(TTvlEdit* editor) {
    return QString::fromStdString(editor->Text()).remove('\r');
  }

  // The first line of the page selected by keys.
  static void SelectFirstLine(TTvlEdit* editor) {
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_End, Qt::ShiftModifier);
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    AnswerMessagesWith(TMsgResult::No);
  }

  void cleanup() { window_.Close(); }

  void copiesAndCutsOfTwoPagesArePastedBackFromThePopup() {
    const QString first = WriteOldFile(home_.filePath("first.php"), "alpha one\nBeta two\n");
    const QString second = WriteOldFile(home_.filePath("second.html"), "gamma three\nrest\n");
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active, {first, second}));
    QAction* show = Action("Clipboard History");
    QVERIFY(show);
    QCOMPARE(show->shortcut(), QKeySequence("Ctrl+Shift+V"));
    QVERIFY(!show->icon().isNull());
    QVERIFY(!show->isEnabled());  // nothing copied yet

    // The Edit menu holds it just after "Paste".
    QMenu* edit = nullptr;
    for (QAction* item : Window().menuBar()->actions())
      if (item->text() == "&Edit") edit = item->menu();
    QVERIFY(edit);
    const QList<QAction*> items = edit->actions();
    const qsizetype paste = items.indexOf(Action("Paste"));
    QVERIFY(paste >= 0 && paste + 1 < items.size());
    QCOMPARE(items[paste + 1], show);

    const std::vector<TTvlPage*> pages = Window().EditorPages();
    QCOMPARE(int(pages.size()), 2);
    TTvlPage* pageOfFirst = pages[0]->Filename() == first ? pages[0] : pages[1];
    TTvlPage* pageOfSecond = pageOfFirst == pages[0] ? pages[1] : pages[0];

    // Ctrl+C in the first page, an empty copy, then Ctrl+X in the second page.
    while (Window().CurrentPage() != pageOfFirst) QTest::keyClick(&Window(), Qt::Key_F12);
    TTvlEdit* editor = pageOfFirst->TvlEdit();
    editor->setFocus();
    SelectFirstLine(editor);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Down);  // no selection: copying adds nothing
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&Window(), Qt::Key_F12);
    QCOMPARE(Window().CurrentPage(), pageOfSecond);
    editor = pageOfSecond->TvlEdit();
    editor->setFocus();
    SelectFirstLine(editor);
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(Text(editor), QString("\nrest\n"));
    // Copying the same text with other letters moves the entry up, letters kept.
    QTest::keyClick(&Window(), Qt::Key_F11);
    SelectFirstLine(pageOfFirst->TvlEdit());
    QTest::keyClick(pageOfFirst->TvlEdit(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&Window(), Qt::Key_F12);
    QCOMPARE(Window().CurrentPage(), pageOfSecond);
    editor->setFocus();

    // Ctrl+Shift+V shows the list, newest first, below the caret.
    QTRY_VERIFY(show->isEnabled());
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    TMultiClipboard* popup = Popup();
    QVERIFY(popup);
    QTRY_VERIFY(popup->isVisible());
    QListWidget* list = popup->List();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QString("alpha one"));
    QCOMPARE(list->item(1)->text(), QString("gamma three"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(QString::fromStdString(popup->Preview()->Text()), QString("alpha one"));
    const QPoint caret =
        editor->viewport()->mapToGlobal(editor->BufferPosToPixels(editor->CaretXY()));
    QVERIFY(popup->geometry().top() > caret.y());
    QTRY_VERIFY(list->hasFocus());

    // Down, then Enter inserts the older entry at the caret and puts it on the clipboard.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(QString::fromStdString(popup->Preview()->Text()), QString("gamma three"));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(Text(editor), QString("gamma three\nrest\n"));
    QCOMPARE(QApplication::clipboard()->text(), QString("gamma three"));

    // The used entry is now the newest; Escape hides the window without inserting.
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(list->item(0)->text(), QString("gamma three"));
    QCOMPARE(list->item(1)->text(), QString("alpha one"));
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(Text(editor), QString("gamma three\nrest\n"));
  }

  void anEditedEntryIsInsertedAsEdited() {
    const QString path = WriteOldFile(home_.filePath("long.txt"), QByteArray(600, 'x') + "\nend\n");
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active, {path}));
    TTvlEdit* editor = Window().CurrentPage()->TvlEdit();
    editor->setFocus();
    SelectFirstLine(editor);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    TMultiClipboard* popup = Popup();
    QTRY_VERIFY(popup && popup->isVisible());
    // A long entry is listed cut with "...", and shown in full below.
    QCOMPARE(popup->List()->item(0)->text(), QString(512, 'x') + "...");
    QCOMPARE(popup->Preview()->Text(), std::string(600, 'x'));
    // Typing in the preview changes the entry.
    TTextEditor* preview = popup->Preview();
    preview->setFocus();
    QTest::keyClick(preview, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(preview, Qt::Key_Delete, Qt::ShiftModifier);  // nothing selected: no change
    QTest::keyClicks(preview, "ab");
    QCOMPARE(popup->List()->item(0)->text(), "ab" + QString(510, 'x') + "...");
    QTest::mouseDClick(
        popup->List()->viewport(), Qt::LeftButton, {},
        QPoint(20, popup->List()->visualItemRect(popup->List()->item(0)).center().y()));
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(Text(editor), QString(600, 'x') + "\nend\nab" + QString(600, 'x'));
  }
};

QTEST_MAIN(ClipboardHistoryTest)
#include "clipboardhistory_test.moc"
