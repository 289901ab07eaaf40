#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

// Commands, drops and focus through the real window, as a user reaches them.
class CommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  std::unique_ptr<TSettingsStore> store_;
  std::unique_ptr<TTervilMain> window_;

  QString OldFile(const QString& name, const QByteArray& bytes) {
    return WriteOldFile(home_.filePath(name), bytes);
  }

  TTervilMain& ShowWindow(const QStringList& files) {
    window_ = std::make_unique<TTervilMain>(*store_, files, home_.filePath("no-data"));
    window_->ShowAtStart();
    if (!QTest::qWaitForWindowActive(window_.get())) qWarning("window not active");
    return *window_;
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::OK);
  }

  void init() {
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
  }

  void cleanup() { CloseWithoutSaving(window_); }

  // Save is enabled by the keystroke's own change, not by a later poll.
  void ctrlSRightAfterTheFirstKeystrokeSaves() {
    const QString path = OldFile("typed.php", "abc");
    TTervilMain& window = ShowWindow({path});
    QTRY_VERIFY(window.CurrentPage() && window.CurrentPage()->TvlEdit()->hasFocus());
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_X);
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(FileContents(path), QByteArray("xabc"));
  }

  // A file manager's drop of file URLs on the text opens the files; a text drop still inserts.
  void fileUrlsDroppedOnTheTextOpenAsPages() {
    const QString target = OldFile("target.php", "<?php\n");
    const QString dropped = OldFile("dropped.css", "a{}\n");
    TTervilMain& window = ShowWindow({target});
    TTvlEdit* editor = window.CurrentPage()->TvlEdit();
    QWidget* area = editor->viewport();
    const QPoint at(40, 5);
    auto dragAndDrop = [&](QMimeData& data) {
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(area, &enter);
      QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(area, &move);
      QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(area, &drop);
      return enter.isAccepted() && move.isAccepted() && drop.isAccepted();
    };

    QMimeData text;
    text.setText("echo 1;");
    QVERIFY(dragAndDrop(text));
    QVERIFY(editor->Model().Text("\n").find("echo 1;") != std::string::npos);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(dropped)});
    QVERIFY(dragAndDrop(files));
    QTRY_COMPARE(OpenedPaths(window), (QStringList{target, dropped}));
    QVERIFY(editor->Model().Text("\n").find("file:") == std::string::npos);
  }

  // Clicking the tab that is already active gives its editor the keyboard.
  void clickingTheActiveTabFocusesItsEditor() {
    const QString path = OldFile("focus.php", "x");
    TTervilMain& window = ShowWindow({path});
    TTvlTabBar* bar = window.PageControl()->Bar();
    bar->setFocus();
    QTRY_VERIFY(bar->hasFocus());
    const int active = window.PageControl()->currentIndex();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(active).topLeft() + QPoint(6, 8));
    QCOMPARE(window.PageControl()->currentIndex(), active);
    QTRY_VERIFY(window.CurrentPage()->TvlEdit()->hasFocus());
  }

  // Ctrl+G opens the "Go to line" window ready for the number: what is typed goes into it, never
  // into the text, and Enter moves the caret and gives the keyboard back to the editor.
  void goToLineTakesTheTypedNumber() {
    const QString path = OldFile("lines.php", "a\nb\nc\nd\ne\n");
    TTervilMain& window = ShowWindow({path});
    QTRY_VERIFY(window.CurrentPage()->TvlEdit()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(QApplication::focusWidget() &&
                QApplication::focusWidget()->window() != static_cast<QWidget*>(&window));
    QTest::keyClicks(QApplication::focusWidget(), "4");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    TTvlPage* page = window.CurrentPage();
    QCOMPARE(page->Model().CaretPos().Line, 4);
    QCOMPARE(page->Model().CaretPos().Column, 1);
    QVERIFY(!page->Model().Modified());
    QTRY_VERIFY(page->TvlEdit()->hasFocus());
  }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
