#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

namespace {
const std::string kRecent = "Software\\Tervil Editor\\default\\RecentFiles";

// `count` numbered lines of 120 characters.
QByteArray NumberedLines(int count) {
  QByteArray text;
  for (int n = 1; n <= count; ++n) text += QByteArray::number(n).leftJustified(120, 'x') + "\n";
  return text;
}

// Whether the caret's line is shown with context: neither on the window's top nor its bottom row.
bool CaretLineHasContext(const TTvlEdit* editor) {
  const int line = editor->CaretY();
  return line > editor->TopLine() && line < editor->TopLine() + editor->LinesInWindow() - 1;
}
}  // namespace

// Where pages land on the screen: reopened at start, and after jumps.
class ViewsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  std::unique_ptr<TSettingsStore> store_;  // outlives the window
  std::unique_ptr<TTervilMain> window_;

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::No);
  }

  void cleanup() { CloseWithoutSaving(window_); }

  // A page reopened at start shows the top line and caret it was closed with, from column 1.
  void aPageReopenedAtStartKeepsItsTopLineAndLeftEdge() {
    const QString file = WriteOldFile(home_.filePath("reopened.php"), NumberedLines(300));
    {
      QFile::remove(StorePath());
      TSettingsStore store(StorePath().toStdString());
      store.Load();
      store.WriteString(kRecent, "recentfile_filename0", file.toStdString());
      store.WriteInteger(kRecent, "recentfile_x0", 30);
      store.WriteInteger(kRecent, "recentfile_y0", 110);
      store.WriteInteger(kRecent, "recentfile_topline0", 100);
      store.WriteBool(kRecent, "recentfile_reopen0", true);
      store.Flush();
    }
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
    window_ = std::make_unique<TTervilMain>(*store_, QStringList{},
                                            QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    window_->resize(900, 600);
    window_->ShowAtStart();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    QCOMPARE(window_->CurrentPage()->Filename(), file);
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->CaretY(), 110);
    QCOMPARE(editor->TopLine(), 100);
    QCOMPARE(editor->horizontalScrollBar()->value(), 0);
  }

  // Go to Line (Ctrl+G, the number, Enter) centres a line that was off screen, back at the left
  // edge; a line already in the window stays where it is.
  void goToLineShowsTheLineWithContext() {
    const QString file = WriteOldFile(home_.filePath("jump.php"), NumberedLines(500));
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
    TTvlEdit* editor = OpenInShownWindow(window_, *store_, file);
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_End);
    QVERIFY(editor->horizontalScrollBar()->value() > 0);
    const auto goTo = [&](int line) {
      QTest::keyClick(editor, Qt::Key_G, Qt::ControlModifier);
      QTRY_VERIFY(QApplication::focusWidget() &&
                  QApplication::focusWidget()->window() != static_cast<QWidget*>(window_.get()));
      QTest::keyClicks(QApplication::focusWidget(), QString::number(line));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      QTRY_COMPARE(editor->CaretY(), line);
      QTRY_VERIFY(editor->hasFocus());
    };
    goTo(300);
    QVERIFY(CaretLineHasContext(editor));
    QVERIFY(std::abs(editor->TopLine() + editor->LinesInWindow() / 2 - 300) <= 1);
    QCOMPARE(editor->horizontalScrollBar()->value(), 0);
    const int top = editor->TopLine();
    goTo(top + 2);
    QCOMPARE(editor->TopLine(), top);
    goTo(500);  // the end: the last window, not past it
    QCOMPARE(editor->TopLine(), editor->LineCount() - editor->LinesInWindow() + 1);
  }
};

QTEST_MAIN(ViewsTest)
#include "views_test.moc"
