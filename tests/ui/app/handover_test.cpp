#include "core/app/HandOver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/app/ResourceStrings.h"
#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/InstanceServer.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"

using namespace tervil;
using namespace tervil::test;

// The running editor as the program's entry sets it up: the server listens first, the window
// starts (with `files` from its command line) and then takes the requests that wait.
struct TRunningEditor {
  TSettingsStore store;
  TInstanceServer server;
  std::unique_ptr<TTervilMain> window;

  TRunningEditor(const QStringList& files, const QString& dataDir) {
    store.Load();
    server.Listen(QString::fromStdString(HandOverSocketPath()), nullptr);
    window = std::make_unique<TTervilMain>(store, files, dataDir);
    window->AcceptHandOver(&server);
    window->ShowAtStart();
  }
};

// The running editor lives in this test, wired as the program's entry wires it; later starts
// are the real program in a process of their own.
class HandOverTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  // Answers the "LargeFile" question; every other box is answered OK.
  std::function<TMsgResult()> onLargeFile_;
  QString largeFileText_;

  QString MakeFile(const QString& name, qint64 size) {
    return WriteOldFile(home_.filePath("work/" + name), QByteArray(size, 'x'));
  }

  // A modal question keeps its own event loop running until the user answers.
  static void RunLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("work");
    UseUserFoldersIn(home_);
    largeFileText_ =
        QString::fromStdString(TResourceStrings(MainWindowMessages()).Lookup("LargeFile"));
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      if (text == largeFileText_ && onLargeFile_) return onLargeFile_();
      return TMsgResult::OK;
    });
  }

  void init() { onLargeFile_ = nullptr; }

  // The sender is answered before the question shows; the question answered 3 s later, long
  // after the sender has gone, opens the file and nothing is written to a closed connection.
  void aQuestionAnsweredLateAfterAHandOverOpensTheFile() {
    const QString large = MakeFile("large.txt", 409601);
    TRunningEditor editor({}, home_.filePath("no-data"));

    QProcess second;
    QElapsedTimer clock;
    qint64 endedAfter = -1;
    onLargeFile_ = [&] {
      RunLoopFor(3000);
      if (second.state() == QProcess::NotRunning) endedAfter = clock.elapsed();
      return TMsgResult::Yes;
    };
    clock.start();
    QVERIFY(StartTervil(second, {"large.txt"}, home_.filePath("work")));
    QTRY_COMPARE_WITH_TIMEOUT(OpenedPaths(*editor.window), QStringList{large}, 10000);
    QCOMPARE(second.state(), QProcess::NotRunning);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(endedAfter >= 0, "the sender waited for the question");
  }

  // Paths that arrive while a start-up question is open wait until the window can open them.
  void pathsHandedOverDuringAStartUpQuestionOpenAfterIt() {
    const QString large = MakeFile("start.txt", 409601);
    const QString first = MakeFile("first.php", 10);
    const QString second = MakeFile("second.php", 10);
    QProcess later;
    int laterExit = -1;
    onLargeFile_ = [&] {
      StartTervil(later, {"first.php", "second.php"}, home_.filePath("work"));
      for (int i = 0; i < 50 && later.state() != QProcess::NotRunning; ++i) RunLoopFor(100);
      if (later.state() == QProcess::NotRunning) laterExit = later.exitCode();
      return TMsgResult::Yes;
    };
    TRunningEditor editor({large}, home_.filePath("no-data"));
    QCOMPARE(laterExit, 0);
    QTRY_COMPARE(OpenedPaths(*editor.window), (QStringList{large, first, second}));
  }

  // A raw request on the socket with a relative path opens nothing; an absolute one opens.
  void aRelativePathOnTheSocketIsIgnored() {
    const QString absolute = MakeFile("absolute.php", 10);
    MakeFile("index.php", 10);
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(home_.filePath("work"));
    TRunningEditor editor({}, home_.filePath("no-data"));

    QLocalSocket client;
    client.connectToServer(QString::fromStdString(HandOverSocketPath()));
    QVERIFY(client.waitForConnected(2000));
    const QByteArray payload = "O" + absolute.toUtf8();
    client.write("10:Oindex.php," + QByteArray::number(payload.size()) + ":" + payload + ",1:R,");
    QTRY_VERIFY(client.bytesAvailable() > 0);  // this thread runs the editor too
    QCOMPARE(client.readAll(), QByteArray("K"));
    QTRY_COMPARE(OpenedPaths(*editor.window), QStringList{absolute});
    QTest::qWait(100);
    QCOMPARE(OpenedPaths(*editor.window), QStringList{absolute});
    QDir::setCurrent(oldCwd);
  }
};

QTEST_MAIN(HandOverTest)
#include "handover_test.moc"
