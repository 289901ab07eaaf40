#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"

using namespace tervil;
using namespace tervil::test;

namespace {
const std::string kRecent = "Software\\Tervil Editor\\default\\RecentFiles";
}  // namespace

// Two starts of the real program: the first runs as the editor with a big file open, the
// second hands it a file while the first is killed. Whichever way the race goes, the handed
// file ends up open: in the first, which recorded it in the session before it told the second,
// or in the second, which opened it itself when the first died without telling it.
class HandOverRaceTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

  // A store whose recent-file list knows `files`, none marked for reopening.
  void WriteStore(const QStringList& files) {
    QFile::remove(StorePath());
    TSettingsStore store(StorePath().toStdString());
    store.Load();
    for (int n = 0; n < files.size(); ++n)
      store.WriteString(kRecent, "recentfile_filename" + std::to_string(n), files[n].toStdString());
    store.Flush();
  }

  // Whether the store on disk marks `path` as open (the next start reopens it).
  bool MarkedOpen(const QString& path) const {
    TSettingsStore store(StorePath().toStdString());
    store.Load();
    for (int n = 0; store.ValueExists(kRecent, "recentfile_filename" + std::to_string(n)); ++n) {
      if (store.ReadString(kRecent, "recentfile_filename" + std::to_string(n)) !=
          path.toStdString())
        continue;
      const std::string reopen = "recentfile_reopen" + std::to_string(n);
      return store.ValueExists(kRecent, reopen) && store.ReadBool(kRecent, reopen);
    }
    return false;
  }

  static void EndProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000)) {
      process.kill();
      process.waitForFinished();
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("work");
    UseUserFoldersIn(home_);
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }

  void aSecondStartRacingAKillOfTheFirstNeverLosesItsFile() {
    // Both files stay below the size that opens with a question.
    QByteArray lines;
    for (int i = 0; lines.size() < 380000; ++i)
      lines += "<p>line " + QByteArray::number(i) + "</p>\n";
    const QString big = WriteOldFile(home_.filePath("work/big.html"), lines);
    QElapsedTimer total;
    total.start();
    int answered = 0, openedBySecond = 0;
    for (int round = 0; round < 8 && total.elapsed() < 75000; ++round) {
      if (round >= 3 && answered > 0 && openedBySecond > 0) break;  // both sides of the race
      const QString handed = WriteOldFile(home_.filePath(QString("work/handed%1.html").arg(round)),
                                          lines.left(300000));
      WriteStore({big, handed});

      QProcess first;
      QVERIFY(StartTervil(first, {big}, home_.filePath("work")));
      // Ready once it has recorded its page in the session.
      QTRY_VERIFY_WITH_TIMEOUT(MarkedOpen(big), 20000);

      QProcess second;
      QVERIFY(StartTervil(second, {handed}, home_.filePath("work")));
      QTest::qWait(QRandomGenerator::global()->bounded(40, 400));
      ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
      QVERIFY(first.waitForFinished(10000));

      const QString where = QString("round %1").arg(round);
      second.waitForFinished(3000);  // false as well when it had ended already
      if (second.state() == QProcess::NotRunning) {
        // It ended: the first told it the file was open, and had recorded it before.
        QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                 qPrintable(where + ": " + second.readAllStandardError()));
        QVERIFY2(MarkedOpen(handed), qPrintable(where + ": the handed file was lost"));
        ++answered;
      } else {
        // It opened the file itself and runs as the editor now.
        QTRY_VERIFY_WITH_TIMEOUT(MarkedOpen(handed) || second.state() == QProcess::NotRunning,
                                 20000);
        QVERIFY2(MarkedOpen(handed), qPrintable(where + ": " + second.readAllStandardError()));
        ++openedBySecond;
      }
      EndProcess(second);
    }
    qInfo() << "answered by the first:" << answered << "opened by the second:" << openedBySecond;
  }
};

QTEST_MAIN(HandOverRaceTest)
#include "handoverrace_test.moc"
