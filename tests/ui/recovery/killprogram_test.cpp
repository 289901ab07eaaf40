#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "core/recovery/RecoveryStore.h"
#include "support/AppTestSupport.h"

using namespace tervil;

// The real program in a private X display, typed into by xdotool in a named and an unnamed
// page and killed with SIGKILL at random moments: the journal it leaves must hold what was on
// screen at least one second before the kill (and nothing that was never typed).
class KillProgramTest : public QObject {
  Q_OBJECT

 private:
  QProcess xserver_;
  QProcess windowManager_;
  QString display_;

  // Every state a page's text passes through, keystroke by keystroke, and when the keystrokes
  // up to each state had been sent.
  struct PageHistory {
    QStringList states;
    QList<qint64> sentAt;  // ms since the session began; -1 while not yet sent
  };

  static bool Xdo(const QStringList& args) {
    QProcess xdotool;
    xdotool.start("xdotool", args);
    return xdotool.waitForFinished() && xdotool.exitStatus() == QProcess::NormalExit &&
           xdotool.exitCode() == 0;
  }

  bool WindowShown(qint64 pid) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
      if (Xdo({"search", "--onlyvisible", "--pid", QString::number(pid)})) return true;
      QTest::qWait(100);
    }
    return false;
  }

  // Types `word` (or presses BackSpace when it is empty) and extends the page's history.
  static void Keystrokes(PageHistory& page, const QString& word, qint64 now) {
    QString text = page.states.last();
    if (word.isEmpty()) {
      text.chop(1);
      page.states << text;
      page.sentAt << now;
      return;
    }
    for (QChar c : word) {
      text += c;
      page.states << text;
      page.sentAt << now;
    }
  }

  // The states the journal may hold: from the last one sent a second before the kill on.
  static QStringList Allowed(const PageHistory& page, qint64 killedAt) {
    int first = 0;
    for (int i = 0; i < page.states.size(); ++i)
      if (page.sentAt[i] >= 0 && page.sentAt[i] <= killedAt - 1000) first = i;
    return page.states.mid(first);
  }

 private slots:
  void initTestCase() {
    for (const char* tool : {"Xvfb", "xdotool", "openbox"})
      if (QStandardPaths::findExecutable(tool).isEmpty())
        QSKIP(qPrintable(
            QString("%1 is not installed (scripts/install-deps.sh installs it)").arg(tool)));
    int n = 150;
    while (QFile::exists(QString("/tmp/.X%1-lock").arg(n))) ++n;
    display_ = QString(":%1").arg(n);
    xserver_.start("Xvfb", {display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    QVERIFY(xserver_.waitForStarted());
    qputenv("DISPLAY", display_.toUtf8());
    QElapsedTimer waited;
    waited.start();
    while (!Xdo({"getdisplaygeometry"}) && waited.elapsed() < 10000) QTest::qWait(100);
    windowManager_.start("openbox", {});
    QVERIFY(windowManager_.waitForStarted());
    QTest::qWait(300);
  }

  void cleanupTestCase() {
    for (QProcess* process : {&windowManager_, &xserver_}) {
      process->kill();
      process->waitForFinished();
    }
  }

  void killedAtRandomMomentsKeepsWhatWasTypedASecondBefore() {
    for (int round = 0; round < 4; ++round) {
      QTemporaryDir home;
      test::UseUserFoldersIn(home);
      const QString stateRoot = home.filePath("state");
      const QString file = test::WriteOldFile(home.filePath("page.txt"), "start\n");
      QProcess program;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("QT_QPA_PLATFORM", "xcb");
      environment.insert("XDG_STATE_HOME", stateRoot);
      environment.insert("XDG_DATA_HOME", home.filePath("data"));
      program.setProcessEnvironment(environment);
      QVERIFY(test::StartTervil(program, {file}, home.path()));
      QVERIFY2(WindowShown(program.processId()), "the window did not appear");
      QTest::qWait(800);
      QVERIFY(Xdo({"key", "ctrl+End"}));

      PageHistory named{{"start\n"}, {0}};
      PageHistory unnamed{{""}, {0}};
      PageHistory* page = &named;
      QElapsedTimer session;
      session.start();
      const qint64 killAt = 1500 + QRandomGenerator::global()->bounded(2500);
      QProcess typist;
      int step = 0;
      while (session.elapsed() < killAt) {
        if (typist.state() == QProcess::NotRunning) {
          // What the finished command sent is on its way; the next command starts now.
          const qint64 now = session.elapsed();
          for (PageHistory* p : {&named, &unnamed})
            for (qint64& at : p->sentAt)
              if (at < 0) at = now;
          ++step;
          if (step == 12) {
            Xdo({"key", "ctrl+n"});
            page = &unnamed;
            continue;
          }
          const bool erase = step % 5 == 0;
          const QString word = erase ? QString() : QString("w%1 ").arg(step);
          Keystrokes(*page, word, -1);
          typist.start("xdotool", erase ? QStringList{"key", "BackSpace"}
                                        : QStringList{"type", "--delay", "15", word});
        }
        QTest::qWait(5);
      }
      ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
      program.waitForFinished();
      // Killing xdotool in the middle of a key would leave the key held (and repeating) in the
      // display; it finishes typing into nothing instead.
      typist.waitForFinished();

      std::vector<TRunFolder> runs =
          ClaimEndedRuns((stateRoot + "/tervil-editor/recovery").toStdString());
      const std::vector<TRecoverablePage> pages = ReadRecoverablePages(runs);
      QString namedText = named.states.first(), unnamedText = unnamed.states.first();
      for (const TRecoverablePage& found : pages) {
        QCOMPARE(int(found.contents.state), int(TJournalContents::State::Ok));
        const QString text = QString::fromStdString(found.contents.text);
        (found.contents.identity.named ? namedText : unnamedText) = text;
      }
      const QString where = QString("round %1, killed after %2 ms").arg(round).arg(killAt);
      QVERIFY2(Allowed(named, killAt).contains(namedText),
               qPrintable(where + ", named page: " + namedText));
      QVERIFY2(Allowed(unnamed, killAt).contains(unnamedText),
               qPrintable(where + ", unnamed page: " + unnamedText));
    }
  }
};

QTEST_MAIN(KillProgramTest)
#include "killprogram_test.moc"
