#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "core/config/SettingsStore.h"
#include "core/recovery/RecoveryStore.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/recovery/CrashJournal.h"
#include "ui/recovery/RecoveryDialog.h"

using namespace tervil;
namespace fs = std::filesystem;

// The crash journal through the real main window: text typed into a named and an unnamed page
// is journalled, a run that ended without cleaning up is offered at the next start, and the
// recovery window's buttons recover, discard or keep the journals.
class RecoveryTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList shown_;
  TMsgResult answer_ = TMsgResult::OK;  // what the user answers the program's message boxes
  QString file_;

  QString StateRoot() const { return home_.filePath("state/tervil-editor/recovery"); }

  // The questions and notes shown, without the report of the reference data these tests leave
  // out.
  QStringList Asked() const {
    QStringList asked;
    for (const QString& text : shown_)
      if (!text.contains(home_.filePath("no-data"))) asked << text;
    return asked;
  }

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

  // The text of every page with its name and a "*" when it is modified, sorted.
  static QString PagesOf(const TTervilMain& window) {
    QStringList pages;
    for (TTvlPage* page : window.EditorPages())
      pages << page->Filename() + ": " + TextOf(page) + (page->Model().Modified() ? " *" : "");
    pages.sort();
    return pages.join("\n");
  }

  static QAction* ActionFor(const TTervilMain& window, const char* shortcut) {
    for (QAction* action : window.findChildren<QAction*>())
      if (action->shortcut() == QKeySequence(shortcut)) return action;
    return nullptr;
  }

  // A run that was killed: a copy of the run's folder without its lock.
  QString KilledRun(const QString& folder) {
    const QString dead = StateRoot() + "/run-killed";
    fs::copy(folder.toStdString(), dead.toStdString());
    QFile::remove(dead + "/run.lock");
    return dead;
  }

  static QString TextOf(TTvlPage* page) {
    return QString::fromStdString(page->Model().Buffer().Text("\n"));
  }

  static QByteArray FileContentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  static int JournalCount(const QString& folder) {
    return QDir(folder).entryList({"*.tvj"}, QDir::Files).size();
  }

  // Types into a named and an unnamed page, waits for their journals, and leaves a copy of the
  // run's folder without its lock: a run that was killed.
  QString CrashedRun() {
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {file_}, home_.filePath("no-data"));
    window.show();
    TTvlPage* named = window.CurrentPage();
    QTest::keyClicks(named->TvlEdit(), "typed ");
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == "New" && action->shortcut() == QKeySequence("Ctrl+N"))
        action->trigger();
    }
    TTvlPage* unnamed = window.CurrentPage();
    [&] { QVERIFY(unnamed != named); }();
    QTest::keyClicks(unnamed->TvlEdit(), "new page text");
    QTest::keyClick(unnamed->TvlEdit(), Qt::Key_Return);
    QTest::keyClicks(unnamed->TvlEdit(), "xy");
    QTest::keyClick(unnamed->TvlEdit(), Qt::Key_Backspace);
    const QString folder = window.CrashJournal()->Folder();
    [&] { QTRY_COMPARE_WITH_TIMEOUT(JournalCount(folder), 2, 3000); }();
    window.CrashJournal()->Flush();
    const QString dead = KilledRun(folder);
    answer_ = TMsgResult::OK;
    shown_.clear();
    return dead;
  }

  // Starts the editor with `files` on its command line and answers the recovery window, which
  // the start shows before it opens any file, with `button`; `rows` gets the rows shown.
  std::unique_ptr<TTervilMain> StartAndAnswer(TSettingsStore& store, const char* button,
                                              QStringList& rows, const QStringList& files = {}) {
    rows.clear();
    QTimer::singleShot(100, this, [&rows, button] {
      auto* dialog = qobject_cast<TRecoveryDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      auto* list = dialog->findChild<QTreeWidget*>("RecoveryList");
      for (int i = 0; i < list->topLevelItemCount(); ++i) {
        rows << list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(3);
      }
      dialog->findChild<QPushButton*>(button)->click();
    });
    auto window = std::make_unique<TTervilMain>(store, files, home_.filePath("no-data"));
    window->ShowAtStart();
    QTest::qWait(300);
    return window;
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      shown_ << text;
      return answer_;
    });
  }

  void init() {
    shown_.clear();
    answer_ = TMsgResult::OK;
    QFile::remove(StorePath());  // no session of an earlier case
    QDir(home_.filePath("state")).removeRecursively();
    file_ = home_.filePath("page.php");
    std::ofstream(file_.toStdString()) << "<?php echo 1;\r\n";
    // written two hours ago, like a file opened in the morning
    fs::last_write_time(file_.toStdString(),
                        fs::last_write_time(file_.toStdString()) - std::chrono::hours(2));
  }

  void cleanExitLeavesNoJournal() {
    QString folder;
    {
      TSettingsStore store;
      store.Load();
      TTervilMain window(store, {file_}, home_.filePath("no-data"));
      window.show();
      QTest::keyClicks(window.CurrentPage()->TvlEdit(), "unsaved");
      folder = window.CrashJournal()->Folder();
      QTRY_COMPARE_WITH_TIMEOUT(JournalCount(folder), 1, 3000);
    }
    QVERIFY(!QDir(folder).exists());
    QCOMPARE(QDir(StateRoot()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
  }

  void recoverOpensBothPagesModifiedWithoutWritingTheFile() {
    const QString dead = CrashedRun();
    QVERIFY(!dead.isEmpty());
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window = StartAndAnswer(store, "RecoverButton", rows);
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows.join("\n").contains(file_));
    QTRY_COMPARE(window->EditorPages().size(), std::size_t{2});
    QStringList texts;
    for (TTvlPage* page : window->EditorPages()) {
      QVERIFY(page->Model().Modified());
      texts << page->Filename() + ": " + TextOf(page);
    }
    texts.sort();
    QCOMPARE(texts.join("\n"), file_ + ": typed <?php echo 1;\n\n" + "Unnamed 1: new page text\nx");
    std::ifstream in(file_.toStdString(), std::ios::binary);
    QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), std::string("<?php echo 1;\r\n"));
    QVERIFY(!QDir(dead).exists());
    // the recovered pages are journalled by this run before the old journals go
    QCOMPARE(JournalCount(window->CrashJournal()->Folder()), 2);
  }

  void fileChangedOnDiskOpensTheRecoveredTextBesideIt() {
    CrashedRun();
    std::ofstream(file_.toStdString()) << "changed by another program\n";
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window = StartAndAnswer(store, "RecoverButton", rows);
    QVERIFY(rows.join("\n").contains("changed on disk"));
    QTRY_COMPARE(window->EditorPages().size(), std::size_t{3});
    QStringList texts;
    for (TTvlPage* page : window->EditorPages()) texts << TextOf(page);
    QVERIFY(texts.contains("changed by another program\n"));
    QVERIFY(texts.contains("typed <?php echo 1;\n"));
    QTRY_VERIFY(shown_.join("\n").contains("changed on disk"));
  }

  // The file of a recovered page is also on the command line or reopened from the last session:
  // its text goes into the file's own page, and the file opens once.
  void recoveredTextGoesIntoTheFilesOwnPage_data() {
    QTest::addColumn<bool>("reopened");
    QTest::newRow("file on the command line") << false;
    QTest::newRow("file reopened from the last session") << true;
  }

  void recoveredTextGoesIntoTheFilesOwnPage() {
    QFETCH(bool, reopened);
    CrashedRun();
    {
      QFile::remove(StorePath());
      TSettingsStore session;
      session.Load();
      const std::string recent = "Software\\Tervil Editor\\default\\RecentFiles";
      session.WriteString(recent, "recentfile_filename0", file_.toStdString());
      session.WriteBool(recent, "recentfile_reopen0", reopened);
      session.Flush();
    }
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window =
        StartAndAnswer(store, "RecoverButton", rows, reopened ? QStringList{} : QStringList{file_});
    QCOMPARE(rows.size(), 2);
    QCOMPARE(PagesOf(*window),
             file_ + ": typed <?php echo 1;\n *\n" + "Unnamed 1: new page text\nx *");
    QVERIFY2(Asked().isEmpty(), qPrintable(Asked().join("\n")));
  }

  // Recovering a large file does not ask again whether to open it.
  void aLargeFileIsRecoveredWithoutAskingAgain() {
    QByteArray text = "<?php\n";
    while (text.size() < 500000) text += "echo 'a line of a large page';\n";
    std::ofstream(file_.toStdString(), std::ios::binary) << text.toStdString();
    answer_ = TMsgResult::Yes;  // open it, large as it is
    CrashedRun();
    answer_ = TMsgResult::No;  // any question now is answered No
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window = StartAndAnswer(store, "RecoverButton", rows);
    QCOMPARE(rows.size(), 2);
    QTRY_COMPARE(window->EditorPages().size(), std::size_t{2});
    QCOMPARE(PagesOf(*window),
             file_ + ": typed " + text + " *\n" + "Unnamed 1: new page text\nx *");
    QVERIFY2(Asked().isEmpty(), qPrintable(Asked().join("\n")));
  }

  // A page saved a moment before the program was killed is not offered again.
  void aPageSavedJustBeforeAKillIsNotOffered() {
    QString dead;
    {
      TSettingsStore store;
      store.Load();
      TTervilMain window(store, {file_}, home_.filePath("no-data"));
      window.show();
      QTest::keyClicks(window.CurrentPage()->TvlEdit(), "saved ");
      const QString folder = window.CrashJournal()->Folder();
      QTRY_COMPARE_WITH_TIMEOUT(JournalCount(folder), 1, 3000);
      QAction* save = ActionFor(window, "Ctrl+S");
      QVERIFY(save);
      save->trigger();
      QVERIFY(!window.CurrentPage()->Model().Modified());
      dead = KilledRun(folder);  // killed right after the save returned
    }
    QCOMPARE(FileContentsOf(file_), QByteArray("saved <?php echo 1;\r\n"));
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window = StartAndAnswer(store, "RecoverButton", rows);
    QCOMPARE(rows, QStringList{});
    QVERIFY(window->EditorPages().empty());
    QVERIFY(!QDir(dead).exists());
  }

  // A save killed midway left its hidden copy beside the file; the next start removes it, and
  // only it.
  void aSaveCopyLeftBesideAJournalledFileIsRemoved() {
    CrashedRun();
    const QString copy = home_.filePath(".page.php.tervil-Ab12Cd");
    const QString other = home_.filePath(".page.php.mine");
    for (const QString& path : {copy, other}) std::ofstream(path.toStdString()) << "partial";
    TSettingsStore store;
    store.Load();
    QStringList rows;
    auto window = StartAndAnswer(store, "DiscardButton", rows);
    QCOMPARE(rows.size(), 2);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(QFile::exists(other));
    QFile::remove(other);
  }

  void laterKeepsTheJournalsAndDiscardDeletesThem() {
    const QString dead = CrashedRun();
    QStringList rows;
    {
      TSettingsStore store;
      store.Load();
      auto window = StartAndAnswer(store, "LaterButton", rows);
      QCOMPARE(rows.size(), 2);
      QVERIFY(window->EditorPages().empty());
    }
    QCOMPARE(JournalCount(dead), 2);
    TSettingsStore store;
    store.Load();
    auto window = StartAndAnswer(store, "DiscardButton", rows);
    QCOMPARE(rows.size(), 2);
    QVERIFY(window->EditorPages().empty());
    QVERIFY(!QDir(dead).exists());
  }

  void unwritableJournalFolderIsReportedAndEditingGoesOn() {
    std::ofstream(home_.filePath("blocked").toStdString()) << "a file, not a folder";
    qputenv("XDG_STATE_HOME", home_.filePath("blocked").toUtf8());
    {
      TSettingsStore store;
      store.Load();
      TTervilMain window(store, {file_}, home_.filePath("no-data"));
      window.show();
      QVERIFY(window.StatusPanels()->PanelText(0).startsWith("Crash recovery is off: "));
      QTest::keyClicks(window.CurrentPage()->TvlEdit(), "still typing");
      QCOMPARE(TextOf(window.CurrentPage()), QString("still typing<?php echo 1;\n"));
    }
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
  }

  void switchingTheJournalOffDeletesItAndIsRemembered() {
    TSettingsStore store;
    store.Load();
    {
      TTervilMain window(store, {file_}, home_.filePath("no-data"));
      window.show();
      QTest::keyClicks(window.CurrentPage()->TvlEdit(), "unsaved");
      const QString folder = window.CrashJournal()->Folder();
      QTRY_COMPARE_WITH_TIMEOUT(JournalCount(folder), 1, 3000);
      auto* action = window.findChild<QAction*>("actCrashJournal");
      QVERIFY(action && action->isChecked());
      action->trigger();
      QVERIFY(!QDir(folder).exists());
      QVERIFY(window.CrashJournal()->Folder().isEmpty());
    }
    TTervilMain window(store, {}, home_.filePath("no-data"));
    QVERIFY(!window.findChild<QAction*>("actCrashJournal")->isChecked());
    QVERIFY(window.CrashJournal()->Folder().isEmpty());
  }
};

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
