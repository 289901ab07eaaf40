#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "support/AppTestSupport.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/explorer/FileListview.h"

using namespace tervil;
using namespace tervil::test;

// The explorer of the main window, driven by keys on real folders: moves that meet a folder of
// the same name, names put on the command line, and names that are not valid UTF-8.
class ExplorerWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  std::unique_ptr<TSettingsStore> store_;
  std::unique_ptr<TTervilMain> window_;
  TDiskExplorer* explorer_ = nullptr;
  QString left_, right_;
  QStringList conflictAnswers_;  // buttons to press in the "Name Exists" questions, in order
  int conflictsAsked_ = 0;

  TFileListview* Left() { return explorer_->FileListviewLeft(); }
  TFileListview* Right() { return explorer_->FileListviewRight(); }

  static std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    QVERIFY(out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    const time_t then = std::time(nullptr) - 7200;
    utimbuf times{then, then};
    ::utime(path.c_str(), &times);
  }

  static std::string ReadBytes(const std::string& path) {
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        bytes.append(buffer, got);
      std::fclose(in);
    }
    return bytes;
  }

  static bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

  static bool Listed(TFileListview* list, const QString& folder) {
    return !list->Busy() && list->Path() == folder;
  }

  void Press(TFileListview* list, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    window_->PageControl()->setCurrentIndex(0);
    window_->activateWindow();
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, static_cast<Qt::Key>(key), modifiers);
  }

  // Selects the entry whose name has exactly these bytes.
  bool SelectBytes(TFileListview* list, const std::string& name) {
    for (int row = 0; row < list->Model()->rowCount(); ++row)
      if (list->Model()->Entry(row).Name == name) {
        list->SelectRow(row);
        return true;
      }
    return false;
  }

  void ShowFolders() {
    explorer_->Start(left_, right_, false);
    QTRY_VERIFY(Listed(Left(), left_) && Listed(Right(), right_));
  }

  // Presses the next of `conflictAnswers_` in each "Name Exists" question that shows.
  void AnswerConflicts() {
    QTimer::singleShot(20, this, [this] {
      if (conflictAnswers_.isEmpty()) return;
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible() || box->windowTitle() != "Name Exists") continue;
        const QString caption = conflictAnswers_.takeFirst();
        for (QAbstractButton* button : box->buttons())
          if (button->text() == caption) {
            ++conflictsAsked_;
            button->click();
          }
        break;
      }
      AnswerConflicts();
    });
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
    AnswerMessagesWith(TMsgResult::Yes);
  }

  void init() {
    static int n = 0;
    const QString base = home_.filePath(QString("case%1").arg(++n));
    left_ = base + "/left/";
    right_ = base + "/right/";
    QDir().mkpath(left_);
    QDir().mkpath(right_);
    conflictAnswers_.clear();
    conflictsAsked_ = 0;
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
    window_ = std::make_unique<TTervilMain>(*store_, QStringList{},
                                            QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    window_->resize(1000, 700);
    window_->ShowAtStart();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    explorer_ = qobject_cast<TDiskExplorer*>(window_->PageControl()->widget(0));
    QVERIFY(explorer_);
  }

  // Qt's own removal cannot reach names that are not UTF-8: the folders go by their bytes.
  void cleanup() {
    CloseWithoutSaving(window_);
    std::error_code error;
    std::filesystem::remove_all(Bytes(QDir::cleanPath(left_ + "..")), error);
    std::filesystem::remove_all(Bytes(home_.filePath("data/Trash")), error);
  }

  // F6 of "site" onto the other pane's "site", "Merge", then an answer for the clashing a.txt.
  void moveOntoAFolderOfTheSameNameKeepsWhatWasNotMoved_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("sourceKeepsA");
    QTest::addColumn<bool>("sourceKeepsB");
    QTest::addColumn<QByteArray>("targetA");
    QTest::newRow("skip") << "&Skip" << true << false << QByteArray("old");
    QTest::newRow("cancel") << "Cancel" << true << true << QByteArray("old");
    QTest::newRow("overwrite") << "&Overwrite" << false << false << QByteArray("new");
  }

  void moveOntoAFolderOfTheSameNameKeepsWhatWasNotMoved() {
    QFETCH(QString, answer);
    QFETCH(bool, sourceKeepsA);
    QFETCH(bool, sourceKeepsB);
    QFETCH(QByteArray, targetA);
    QDir().mkpath(left_ + "site");
    QDir().mkpath(right_ + "site");
    WriteBytes(Bytes(left_ + "site/a.txt"), "new");
    WriteBytes(Bytes(left_ + "site/b.txt"), "b");
    WriteBytes(Bytes(right_ + "site/a.txt"), "old");
    ShowFolders();
    QVERIFY(SelectBytes(Left(), "site"));
    conflictAnswers_ = {"&Merge", answer};
    AnswerConflicts();
    Press(Left(), Qt::Key_F6);
    QCOMPARE(conflictsAsked_, 2);
    QCOMPARE(FileContents(right_ + "site/a.txt"), targetA);
    QCOMPARE(QFileInfo::exists(left_ + "site/a.txt"), sourceKeepsA);
    QCOMPARE(QFileInfo::exists(left_ + "site/b.txt"), sourceKeepsB);
    QCOMPARE(QFileInfo::exists(left_ + "site"), sourceKeepsA || sourceKeepsB);
    if (sourceKeepsA) QCOMPARE(FileContents(left_ + "site/a.txt"), QByteArray("new"));
    QVERIFY(QFileInfo::exists(right_ + "site/b.txt") || sourceKeepsB);
  }

  // "rm " typed, Ctrl+Enter on a name, Enter: the command reaches that file and no other.
  void ctrlEnterPutsNamesOnTheCommandLineAsOneWord() {
    const QStringList names = {"a b", "it's \"q\"", "back\\slash"};
    for (const QString& name : names + QStringList{"a", "b", "it's", "q", "backslash"})
      WriteBytes(Bytes(left_ + name), "x");
    ShowFolders();
    QLineEdit* line = explorer_->CommandLine()->lineEdit();
    for (const QString& name : names) {
      QTRY_VERIFY(Left()->Model()->RowOf(name, Qt::CaseSensitive) >= 0);
      Left()->SelectRow(Left()->Model()->RowOf(name, Qt::CaseSensitive));
      line->setFocus();
      QTest::keyClicks(line, "rm ");
      QTest::keyClick(line, Qt::Key_Delete);  // drops what the history completed
      Press(Left(), Qt::Key_Return, Qt::ControlModifier);
      QVERIFY(line->hasFocus());
      QTest::keyClick(line, Qt::Key_Return);
      QTRY_VERIFY2(!QFileInfo::exists(left_ + name), qPrintable(name));
    }
    for (const char* other : {"a", "b", "it's", "q", "backslash"})
      QVERIFY2(QFileInfo::exists(left_ + other), qPrintable(other));
  }

  // A name with a Latin-1 byte beside its U+FFFD twin: edit, save, copy and delete reach the
  // file chosen, never the twin; a folder of such a name is entered and its files open.
  void namesThatAreNotUtf8ReachTheirOwnFile() {
    const std::string latin = "caf\xe9.txt";
    const std::string twin = "caf\xef\xbf\xbd.txt";
    const std::string leftBytes = Bytes(left_), rightBytes = Bytes(right_);
    WriteBytes(leftBytes + latin, "latin");
    WriteBytes(leftBytes + twin, "twin");
    ShowFolders();

    QVERIFY(SelectBytes(Left(), latin));
    Press(Left(), Qt::Key_F4);
    TTvlPage* page = window_->CurrentPage();
    QVERIFY(page);
    QCOMPARE(QString::fromStdString(page->Model().Text("\n")), QString("latin"));
    QWidget* editor = page->TvlEdit();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_X);
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ReadBytes(leftBytes + latin), std::string("xlatin"));
    QCOMPARE(ReadBytes(leftBytes + twin), std::string("twin"));

    QVERIFY(SelectBytes(Left(), latin));
    Press(Left(), Qt::Key_F5);
    QCOMPARE(ReadBytes(rightBytes + latin), std::string("xlatin"));
    QVERIFY(!Exists(rightBytes + twin));

    const std::string folder = "d\xe9p\xf4t";
    QVERIFY(::mkdir((rightBytes + folder).c_str(), 0755) == 0);
    WriteBytes(rightBytes + folder + "/" + latin, "inside");
    Right()->RefreshListing();
    QTRY_VERIFY(!Right()->Busy() && SelectBytes(Right(), folder));
    Press(Right(), Qt::Key_Return);
    QTRY_VERIFY(!Right()->Busy() && SelectBytes(Right(), latin));
    Press(Right(), Qt::Key_F3);
    QCOMPARE(QString::fromStdString(window_->CurrentPage()->Model().Text("\n")), QString("inside"));

    QVERIFY(SelectBytes(Left(), latin));
    Press(Left(), Qt::Key_F8, Qt::ShiftModifier);
    QVERIFY(!Exists(leftBytes + latin));
    QCOMPARE(ReadBytes(leftBytes + twin), std::string("twin"));

    // F8 puts that file, not its twin, into the Trash.
    QTRY_VERIFY(!Left()->Busy() && !SelectBytes(Left(), latin));
    WriteBytes(leftBytes + latin, "again");
    Left()->RefreshListing();
    QTRY_VERIFY(!Left()->Busy() && SelectBytes(Left(), latin));
    Press(Left(), Qt::Key_F8);
    QVERIFY(!Exists(leftBytes + latin));
    QCOMPARE(ReadBytes(leftBytes + twin), std::string("twin"));
    QCOMPARE(ReadBytes(Bytes(home_.filePath("data/Trash/files/")) + latin), std::string("again"));
  }
};

QTEST_MAIN(ExplorerWindowTest)
#include "explorer_window_test.moc"
