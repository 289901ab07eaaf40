#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/HandOver.h"
#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/InstanceServer.h"

using namespace tervil;
using namespace tervil::test;

// Starts the real program as a second instance while this test plays the running editor.
class SingleInstanceTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  void WriteRootFlag(const char* name, bool value) {
    TSettingsStore store(home_.filePath("config/tervil-editor/registry.reg").toStdString());
    store.Load();
    store.WriteBool("Software\\Tervil Editor", name, value);
    store.Flush();
  }

  void StartSecond(QProcess& process, const QStringList& args) {
    QVERIFY(StartTervil(process, args, home_.filePath("work")));
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("work");
    UseUserFoldersIn(home_);
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }

  void secondStartHandsOverAbsolutePathsInOrderAndEnds() {
    WriteRootFlag("multipleinstances", false);
    TInstanceServer editor;
    QString error;
    QVERIFY2(editor.Listen(QString::fromStdString(HandOverSocketPath()), &error),
             qPrintable(error));
    // This editor takes the files as they come and reports them done.
    std::vector<THandOverMessage> requests;
    connect(&editor, &TInstanceServer::RequestsArrived, &editor, [&] {
      for (const THandOverMessage& request : editor.TakeRequests()) {
        requests.push_back(request);
        editor.Done(request);
      }
    });

    QProcess second;
    QElapsedTimer clock;
    clock.start();
    StartSecond(second, {"index.php", "../work/css/site.css", "/srv/www/a b.html"});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 5000);
    qInfo() << "second instance ended after" << clock.elapsed() << "ms";
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(clock.elapsed() < 1000);

    QCOMPARE(requests.size(), size_t{4});
    const std::string work = QDir(home_.filePath("work")).absolutePath().toStdString();
    QCOMPARE(requests[0].path, work + "/index.php");
    QCOMPARE(requests[1].path, work + "/css/site.css");
    QCOMPARE(requests[2].path, std::string("/srv/www/a b.html"));
    QCOMPARE(requests[3].kind, THandOverMessage::Raise);
  }

  void withMultipleInstancesASecondEditorStarts() {
    WriteRootFlag("multipleinstances", true);
    TInstanceServer editor;
    QVERIFY(editor.Listen(QString::fromStdString(HandOverSocketPath()), nullptr));
    QSignalSpy arrived(&editor, &TInstanceServer::RequestsArrived);

    QProcess second;
    StartSecond(second, {"index.php"});
    QVERIFY(!second.waitForFinished(1500));  // it runs as an editor of its own
    QCOMPARE(arrived.count(), 0);
    QVERIFY(!editor.HasRequests());
    second.kill();
    second.waitForFinished();
  }

  // The system limits a socket's path (108 bytes on Linux): such a start runs as an editor of
  // its own, as it does when the socket's folder is not private.
  void aSocketPathTooLongForTheSystemRunsWithoutHandOver() {
    WriteRootFlag("multipleinstances", false);
    const QString longRuntime = home_.filePath("run/" + QString(120, 'r'));
    QVERIFY(QDir().mkpath(longRuntime));
    QFile::setPermissions(longRuntime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", longRuntime);
    second.setProcessEnvironment(env);
    StartSecond(second, {"index.php"});
    const bool ended = second.waitForFinished(1500);
    second.kill();
    second.waitForFinished();
    const QByteArray said = second.readAllStandardError();
    QVERIFY2(!ended, said.constData());
    QVERIFY2(said.contains("running without single-instance hand-over"), said.constData());
  }

  void garbageSettingsAreKeptAsideAndTheEditorStarts() {
    const QString store = home_.filePath("config/tervil-editor/registry.reg");
    QFile::remove(store + ".bad");
    {
      QFile file(store);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(
          "\x7f"
          "ELF garbage \x00\x01\x02",
          17);
    }
    QProcess editor;
    StartSecond(editor, {});
    QVERIFY(!editor.waitForFinished(1500));
    QVERIFY(QFile::exists(store + ".bad"));
    ::kill(static_cast<pid_t>(editor.processId()), SIGTERM);
    editor.waitForFinished();
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"
