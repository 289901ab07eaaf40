#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/HandOver.h"
#include "core/config/SettingsStore.h"
#include "ui/app/InstanceServer.h"

using namespace tervil;

// Starts the real program as a second instance while this test plays the running editor.
class SingleInstanceTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  QString Program() const { return QStringLiteral(TERVIL_BIN_DIR "/tervil"); }

  void WriteRootFlag(const char* name, bool value) {
    TSettingsStore store(home_.filePath("config/tervil-editor/registry.reg").toStdString());
    store.Load();
    store.WriteBool("Software\\Tervil Editor", name, value);
    store.Flush();
  }

  void StartSecond(QProcess& process, const QStringList& args) {
    process.setProgram(Program());
    process.setArguments(args);
    process.setWorkingDirectory(home_.filePath("work"));
    process.start();
    QVERIFY(process.waitForStarted());
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("work");
    QDir(home_.path()).mkpath("run");
    QFile::setPermissions(home_.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home_.filePath("run").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }

  void secondStartHandsOverAbsolutePathsInOrderAndEnds() {
    WriteRootFlag("multipleinstances", false);
    TInstanceServer editor;
    QString error;
    QVERIFY2(editor.Listen(QString::fromStdString(HandOverSocketPath()), &error),
             qPrintable(error));
    QSignalSpy opened(&editor, &TInstanceServer::OpenRequested);
    QSignalSpy raised(&editor, &TInstanceServer::RaiseRequested);

    QProcess second;
    QElapsedTimer clock;
    clock.start();
    StartSecond(second, {"index.php", "../work/css/site.css", "/srv/www/a b.html"});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 5000);
    qInfo() << "second instance ended after" << clock.elapsed() << "ms";
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(clock.elapsed() < 1000);

    QCOMPARE(opened.count(), 3);
    const QString work = QDir(home_.filePath("work")).absolutePath();
    QCOMPARE(opened.at(0).at(0).toString(), work + "/index.php");
    QCOMPARE(opened.at(1).at(0).toString(), work + "/css/site.css");
    QCOMPARE(opened.at(2).at(0).toString(), QString("/srv/www/a b.html"));
    QCOMPARE(raised.count(), 1);
  }

  void withMultipleInstancesASecondEditorStarts() {
    WriteRootFlag("multipleinstances", true);
    TInstanceServer editor;
    QVERIFY(editor.Listen(QString::fromStdString(HandOverSocketPath()), nullptr));
    QSignalSpy opened(&editor, &TInstanceServer::OpenRequested);
    QSignalSpy raised(&editor, &TInstanceServer::RaiseRequested);

    QProcess second;
    StartSecond(second, {"index.php"});
    QVERIFY(!second.waitForFinished(1500));  // it runs as an editor of its own
    QCOMPARE(opened.count(), 0);
    QCOMPARE(raised.count(), 0);
    second.kill();
    second.waitForFinished();
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
