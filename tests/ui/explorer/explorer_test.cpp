#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "ui/app/MessageBox.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/explorer/FileListview.h"

using namespace tervil;

// The two-pane explorer on temporary folders: listing, sorting, marking, navigation and the
// function-key file commands, driven by keys as a user does.
class ExplorerTest : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString left_, right_;
  std::unique_ptr<TDiskExplorer> explorer_;
  QStringList asked_;
  TMsgResult answer_ = TMsgResult::Yes;

  TFileListview* Left() { return explorer_->FileListviewLeft(); }
  TFileListview* Right() { return explorer_->FileListviewRight(); }

  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  static QStringList Names(TFileListview* list) {
    QStringList names;
    for (int row = 0; row < list->Model()->rowCount(); ++row)
      names << TFileListModel::NameOf(list->Model()->Entry(row));
    return names;
  }

  static bool Listed(TFileListview* list, const QString& folder) {
    return !list->Busy() && list->Path() == folder;
  }

  // Fills the next input dialog with `text` and accepts it, once it appears.
  static void AnswerInput(const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      if (!dialog) return AnswerInput(text);
      dialog->setTextValue(text);
      dialog->accept();
    });
  }

  void Press(TFileListview* list, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    explorer_->activateWindow();
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, static_cast<Qt::Key>(key), modifiers);
  }

  void SelectName(TFileListview* list, const QString& name) {
    list->SelectRow(list->Model()->RowOf(name, Qt::CaseSensitive));
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_DATA_HOME", scratch_.filePath("data").toUtf8());  // the Trash lives here
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      asked_ << text;
      return answer_;
    });
  }

  void init() {
    asked_.clear();
    answer_ = TMsgResult::Yes;
    static int n = 0;
    const QString base = scratch_.filePath(QString("case%1").arg(++n));
    left_ = base + "/left/";
    right_ = base + "/right/";
    QDir().mkpath(left_ + "site");
    QDir().mkpath(right_);
    Write(left_ + "b.php", QByteArray(1800, 'b'));
    Write(left_ + "A.css", "a");
    Write(left_ + "c.html", QByteArray(5000, 'c'));
    explorer_ = std::make_unique<TDiskExplorer>();
    explorer_->resize(900, 500);
    explorer_->show();
    QVERIFY(QTest::qWaitForWindowExposed(explorer_.get()));
    explorer_->Start(left_, right_, false);
    QTRY_VERIFY(Listed(Left(), left_) && Listed(Right(), right_));
  }

  void cleanup() { explorer_.reset(); }

  void listsUpThenFoldersThenFilesAndSortsByHeaderClicks() {
    QCOMPARE(Names(Left()), (QStringList{"..", "site", "A.css", "b.php", "c.html"}));
    auto clickHeader = [this](int column) {
      QHeaderView* header = Left()->header();
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 5, 5));
    };
    clickHeader(0);  // the same column again: descending, folders still first
    QCOMPARE(Names(Left()), (QStringList{"..", "site", "c.html", "b.php", "A.css"}));
    clickHeader(1);  // another column: ascending by size
    QCOMPARE(Names(Left()), (QStringList{"..", "site", "A.css", "b.php", "c.html"}));
    QCOMPARE(Left()->Model()->data(Left()->Model()->index(3, 1), Qt::DisplayRole).toString(),
             QString("2 KB"));
  }

  void enterOpensFoldersAndUpSelectsTheFolderLeft() {
    SelectName(Left(), "site");
    Press(Left(), Qt::Key_Return);
    QTRY_VERIFY(Listed(Left(), left_ + "site/"));
    QCOMPARE(explorer_->findChild<QLabel*>("LabelLeft")->text(), left_ + "site/");
    SelectName(Left(), "..");
    Press(Left(), Qt::Key_Return);
    QTRY_VERIFY(Listed(Left(), left_));
    QCOMPARE(Left()->SelectedName(), QString("site"));
  }

  // Enter on a file the desktop has no program for says so and offers the editor.
  void enterOnAFileWithoutAProgramOffersTheEditor() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
      qputenv(name, scratch_.filePath("nothing").toUtf8());
    Write(left_ + "notes.zzq", "x");
    Left()->RefreshListing();
    QTRY_VERIFY(Left()->Model()->RowOf("notes.zzq", Qt::CaseSensitive) >= 0);
    QSignalSpy opened(explorer_.get(), &TDiskExplorer::OpenFileRequested);
    SelectName(Left(), "notes.zzq");
    Press(Left(), Qt::Key_Return);
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toString(), left_ + "notes.zzq");
    QCOMPARE(asked_.size(), 1);
    QVERIFY(asked_.first().contains("No program"));
    answer_ = TMsgResult::No;  // declined: nothing opens
    Press(Left(), Qt::Key_Return);
    QTRY_COMPARE(asked_.size(), 2);
    QTest::qWait(50);
    QCOMPARE(opened.count(), 1);
  }

  void missingFolderChangesNothing() {
    Left()->SetPath(left_ + "missing");
    QCOMPARE(Left()->Path(), left_);
  }

  void insertMarksAndMovesDownButNeverMarksUp() {
    SelectName(Left(), "..");
    Press(Left(), Qt::Key_Insert);
    Press(Left(), Qt::Key_Insert);
    QCOMPARE(Left()->Model()->Marked, QStringList{"site"});
    QCOMPARE(Left()->SelectedName(), QString("A.css"));
    Press(Left(), Qt::Key_Insert);
    QCOMPARE(Left()->Model()->Marked, (QStringList{"site", "A.css"}));
    QCOMPARE(
        Left()->Model()->data(Left()->Model()->index(2, 0), Qt::ForegroundRole).value<QColor>(),
        QColor(Qt::red));
    Left()->MarkByMask("*.php", false, false);
    QCOMPARE(Left()->Model()->Marked, (QStringList{"site", "A.css", "b.php"}));
  }

  void f5CopiesTheMarkedFilesToTheOtherPane() {
    SelectName(Left(), "A.css");
    Press(Left(), Qt::Key_Insert);
    Press(Left(), Qt::Key_Insert);  // b.php
    Press(Left(), Qt::Key_F5);
    QCOMPARE(asked_, QStringList{"Are you sure you want to copy selected files"});
    QVERIFY(QFileInfo::exists(right_ + "A.css"));
    QVERIFY(QFileInfo::exists(right_ + "b.php"));
    QVERIFY(!QFileInfo::exists(right_ + "c.html"));
    QVERIFY(Left()->Model()->Marked.isEmpty());
    QTRY_VERIFY(Names(Right()).contains("b.php"));
  }

  void f5OnUpCopiesTheWholeFolderAndNoMeansNothing() {
    SelectName(Left(), "..");
    answer_ = TMsgResult::No;
    Press(Left(), Qt::Key_F5);
    QVERIFY(QDir(right_).isEmpty());
    answer_ = TMsgResult::Yes;
    Press(Left(), Qt::Key_F5);
    QVERIFY(QFileInfo::exists(right_ + "left/site"));
    QVERIFY(QFileInfo::exists(right_ + "left/c.html"));
  }

  void f6MovesAndF8MovesToTheTrashAndShiftF8Deletes() {
    SelectName(Left(), "c.html");
    Press(Left(), Qt::Key_F6);
    QVERIFY(QFileInfo::exists(right_ + "c.html"));
    QVERIFY(!QFileInfo::exists(left_ + "c.html"));
    QTRY_VERIFY(!Names(Left()).contains("c.html"));

    SelectName(Left(), "b.php");
    Press(Left(), Qt::Key_F8);
    QVERIFY(!QFileInfo::exists(left_ + "b.php"));
    QVERIFY(QFileInfo::exists(scratch_.filePath("data/Trash/files/b.php")));

    SelectName(Left(), "A.css");
    Press(Left(), Qt::Key_F8, Qt::ShiftModifier);
    QVERIFY(!QFileInfo::exists(left_ + "A.css"));
    QVERIFY(!QFileInfo::exists(scratch_.filePath("data/Trash/files/A.css")));
  }

  void f7CreatesAFolderAndSelectsIt() {
    AnswerInput("new folder");
    Press(Left(), Qt::Key_F7);
    QVERIFY(QFileInfo(left_ + "new folder").isDir());
    QTRY_COMPARE(Left()->SelectedName(), QString("new folder"));
  }

  void f2RenamesAndF4AsksTheEditorToOpen() {
    SelectName(Left(), "A.css");
    AnswerInput("z.css");
    Press(Left(), Qt::Key_F2);
    QVERIFY(QFileInfo::exists(left_ + "z.css"));
    QTRY_COMPARE(Left()->SelectedName(), QString("z.css"));
    QSignalSpy opened(explorer_.get(), &TDiskExplorer::OpenFileRequested);
    Press(Left(), Qt::Key_F3);
    Press(Left(), Qt::Key_F4);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0], (QVariantList{left_ + "z.css", true}));
    QCOMPARE(opened[1], (QVariantList{left_ + "z.css", false}));
  }

  void tabSwitchesPanesAndCtrlEnterFillsTheCommandLine() {
    Press(Left(), Qt::Key_Tab);
    QVERIFY(Right()->hasFocus());
    QCOMPARE(explorer_->LabelBottom()->text(), right_);
    SelectName(Left(), "b.php");
    Press(Left(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(explorer_->CommandLine()->currentText(), QString("b.php"));
  }

  void listFollowsChangesOnDiskKeepingTheSelection() {
    SelectName(Left(), "b.php");
    Write(left_ + "new.txt", "n");
    QFile::remove(left_ + "c.html");
    QTRY_VERIFY(Names(Left()).contains("new.txt") && !Names(Left()).contains("c.html"));
    QCOMPARE(Left()->SelectedName(), QString("b.php"));
    // The folder shown goes away: the list shows what remains above it.
    QDir(left_).removeRecursively();
    QTRY_VERIFY(Listed(Left(), QDir::cleanPath(left_ + "..") + "/"));
  }
};

QTEST_MAIN(ExplorerTest)
#include "explorer_test.moc"
