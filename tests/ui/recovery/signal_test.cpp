#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/SessionGuard.h"
#include "ui/recovery/CrashJournal.h"
#include "ui/recovery/RecoveryDialog.h"

using namespace tervil;
using namespace tervil::test;

// The editor as the program's entry wires it, with unsaved pages, ended by SIGTERM or SIGHUP
// (a logout, a shutdown, kill), also while a question is open: the file keeps its old text and
// the next start offers the unsaved text back, in the file's own page.
class SignalTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  bool signalDuringQuestion_ = false;
  int signal_ = SIGTERM;

  // The program leaves its event loops on the signal; the next "start" in this process needs
  // them back.
  static void ResetEventLoops() {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString&, int buttons, TMsgIcon) {
      if (!signalDuringQuestion_ || !(buttons & mbCancel)) return TMsgResult::OK;
      // The close question is open when the signal comes; its loop ends unanswered.
      signalDuringQuestion_ = false;
      QEventLoop question;
      QTimer::singleShot(0, [this] { ::kill(::getpid(), signal_); });
      QTimer::singleShot(10000, &question, &QEventLoop::quit);
      question.exec();
      return TMsgResult::Cancel;
    });
  }

  void unsavedPagesAreOfferedAfterTheSignal_data() {
    QTest::addColumn<int>("signo");
    QTest::addColumn<bool>("duringQuestion");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM with the close question open") << int(SIGTERM) << true;
  }

  void unsavedPagesAreOfferedAfterTheSignal() {
    QFETCH(int, signo);
    QFETCH(bool, duringQuestion);
    QDir(home_.filePath("state")).removeRecursively();
    const QString file = WriteOldFile(home_.filePath("page.php"), "<?php echo 1;\n");
    {
      TSettingsStore store;
      store.Load();
      auto window = std::make_unique<TTervilMain>(store, QStringList{file},
                                                  QStringLiteral(TERVIL_SOURCE_DIR "/data"));
      TSessionGuard guard(*window);
      window->show();
      QTest::keyClicks(window->CurrentPage()->TvlEdit(), "unsaved ");
      QTest::qWait(50);
      signal_ = signo;
      signalDuringQuestion_ = duringQuestion;
      if (duringQuestion)
        window->close();
      else
        ::kill(::getpid(), signo);
      // The journal lets go of the pages once the signal has been handled.
      QTRY_VERIFY_WITH_TIMEOUT(window->CrashJournal()->Folder().isEmpty(), 5000);
    }
    ResetEventLoops();
    QCOMPARE(FileContents(file), QByteArray("<?php echo 1;\n"));

    TSettingsStore store;
    store.Load();
    QStringList offered;
    QTimer::singleShot(100, this, [&offered] {
      auto* dialog = qobject_cast<TRecoveryDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      offered << "dialog";
      dialog->findChild<QPushButton*>("RecoverButton")->click();
    });
    TTervilMain window(store, {}, QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    QCOMPARE(offered, QStringList{"dialog"});
    QStringList pages;
    for (TTvlPage* page : window.EditorPages())
      pages << page->Filename() + ": " + QString::fromStdString(page->Model().Buffer().Text("\n")) +
                   (page->Model().Modified() ? " *" : "");
    QCOMPARE(pages, QStringList{file + ": unsaved <?php echo 1;\n *"});
    for (TTvlPage* page : window.EditorPages()) page->Model().SetModified(false);
  }
};

QTEST_MAIN(SignalTest)
#include "signal_test.moc"
