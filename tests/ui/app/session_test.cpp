#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/app/ResourceStrings.h"
#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

namespace {
const std::string kRoot = "Software\\Tervil Editor";
const std::string kConfig = kRoot + "\\default";
const std::string kRecent = kConfig + "\\RecentFiles";

QString Text(const char* key) {
  return QString::fromStdString(TResourceStrings(MainWindowMessages()).Lookup(key));
}
}  // namespace

// Autosave, and the session kept in the store while the editor runs and when it is ended by
// a signal.
class SessionTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  QStringList asked_;

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

  QString OldFile(const QString& name, const QByteArray& bytes) {
    return WriteOldFile(home_.filePath(name), bytes);
  }

  // The store as the next start of the program reads it.
  std::unique_ptr<TSettingsStore> Reread() {
    auto store = std::make_unique<TSettingsStore>(StorePath().toStdString());
    store->Load();
    return store;
  }

  // The reopen flag of the record of `path` on disk; -1 without a record.
  int ReopenMarkOnDisk(const QString& path) {
    auto store = Reread();
    for (int n = 0; store->ValueExists(kRecent, "recentfile_filename" + std::to_string(n)); ++n)
      if (store->ReadString(kRecent, "recentfile_filename" + std::to_string(n)) ==
          path.toStdString())
        return store->ValueExists(kRecent, "recentfile_reopen" + std::to_string(n)) &&
                       store->ReadBool(kRecent, "recentfile_reopen" + std::to_string(n))
                   ? 1
                   : 0;
    return -1;
  }

  void WriteSettings(std::initializer_list<std::pair<const char*, std::uint32_t>> values,
                     const QStringList& records = {}) {
    QFile::remove(StorePath());
    TSettingsStore store(StorePath().toStdString());
    store.Load();
    for (const auto& [name, value] : values) store.WriteInteger(kConfig, name, value);
    for (int n = 0; n < records.size(); ++n)
      store.WriteString(kRecent, "recentfile_filename" + std::to_string(n),
                        records[n].toStdString());
    store.Flush();
  }

  static void Type(TTvlPage* page, const QString& text) {
    page->FocusEditor();
    QTest::keyClicks(page->TvlEdit(), text);
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      asked_ << text;
      return TMsgResult::No;
    });
  }

  void init() { asked_.clear(); }

  // A page whose question is declined is skipped; the others are saved and the pass ends.
  void autosaveSkipsADeclinedPageAndFinishes() {
    WriteSettings({{"autosave", 1}, {"autosaveinterval", 1000}});
    const QString locked = OldFile("locked.php", "a");
    const QString open = OldFile("open.php", "b");
    QFile::setPermissions(locked, QFile::ReadOwner);
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {locked, open}, home_.filePath("no-data"));
    window.show();
    for (TTvlPage* page : window.EditorPages()) Type(page, "x");
    QTRY_COMPARE_WITH_TIMEOUT(FileContents(open), QByteArray("xb"), 4000);
    QCOMPARE(asked_.first(), Text("ReadOnly"));
    QCOMPARE(FileContents(locked), QByteArray("a"));
    QTRY_COMPARE(window.StatusPanels()->PanelText(0), Text("AutosaveComplete"));
    for (TTvlPage* page : window.EditorPages()) page->Model().SetModified(false);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
  }

  // Opening pages while the period runs does not start it again.
  void openingPagesDoesNotPostponeAutosave() {
    WriteSettings({{"autosave", 1}, {"autosaveinterval", 1000}});
    const QString edited = OldFile("edited.php", "c");
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {edited}, home_.filePath("no-data"));
    window.show();
    Type(window.CurrentPage(), "x");
    for (int i = 0; i < 8 && FileContents(edited) != "xc"; ++i) {
      QTest::qWait(300);
      window.NewDocument();
    }
    QCOMPARE(FileContents(edited), QByteArray("xc"));
  }

  // Opening, saving and closing a page write the store soon after, without closing the window.
  void theStoreFollowsOpeningSavingAndClosing() {
    const QString known = OldFile("known.php", "k");
    const QString fresh = OldFile("fresh.php", "f");
    WriteSettings({}, {known});
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {}, home_.filePath("no-data"));
    window.show();
    window.OpenFile(known, false);
    QTRY_COMPARE(ReopenMarkOnDisk(known), 1);
    window.OpenFile(fresh, false);
    Type(window.CurrentPage(), "x");
    QVERIFY(window.SavePage(window.CurrentPage(), false));
    QTRY_COMPARE(ReopenMarkOnDisk(fresh), 1);
    window.CurrentPage()->Close();
    QTRY_COMPARE(ReopenMarkOnDisk(fresh), 0);
    QCOMPARE(ReopenMarkOnDisk(known), 1);
  }

  // The real program ended by SIGTERM (or SIGHUP) keeps its recent-file record and reopen mark:
  // the next start reopens the file, and ended again it still has it open.
  void aSignalSavesTheSessionAndTheNextStartReopens() {
    const QString file = OldFile("kept.php", "<?php");
    WriteSettings({}, {file});
    for (int signo : {SIGTERM, SIGHUP}) {
      QProcess editor;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("QT_QPA_PLATFORM", "offscreen");
      editor.setProcessEnvironment(env);
      const QDateTime before = QFileInfo(StorePath()).lastModified();
      QVERIFY(
          StartTervil(editor, signo == SIGTERM ? QStringList{file} : QStringList{}, home_.path()));
      // The editor writes the store once the page is open; then it is ready for the signal.
      QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(StorePath()).lastModified() != before, 10000);
      ::kill(static_cast<pid_t>(editor.processId()), signo);
      QVERIFY(editor.waitForFinished(5000));
      QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
      QCOMPARE(editor.exitCode(), 0);
      QCOMPARE(ReopenMarkOnDisk(file), 1);
      AgeFile(StorePath(), 3600);
    }
  }
};

QTEST_MAIN(SessionTest)
#include "session_test.moc"
