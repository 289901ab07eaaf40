#include "core/app/CommandLine.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/HandOver.h"
#include "support/AppTestSupport.h"
#include "ui/app/InstanceServer.h"

using namespace tervil;
using namespace tervil::test;

// Starts the real program with options while this test plays an editor that already runs:
// options are answered on the terminal, without a window and without a hand-over.
class CommandLineTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  TInstanceServer editor_;

  struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
  };

  Outcome Run(const QStringList& args) {
    QProcess process;
    if (!StartTervil(process, args, home_.filePath("work"))) return {};
    // A program that opened a window would not end by itself.
    if (!process.waitForFinished(5000)) {
      process.kill();
      process.waitForFinished();
      return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("work");
    UseUserFoldersIn(home_);
    QString error;
    QVERIFY2(editor_.Listen(QString::fromStdString(HandOverSocketPath()), &error),
             qPrintable(error));
  }

  void optionsAreAnsweredWithoutWindowOrHandOver_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("help") << QStringList{"--help", "index.php"} << 0
                          << QByteArray("Usage: tervil [OPTION]...") << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray(VersionText().c_str())
                             << QByteArray();
    QTest::newRow("unknown") << QStringList{"index.php", "--bogus"} << kUsageExitStatus
                             << QByteArray()
                             << QByteArray(
                                    "tervil: unknown option '--bogus' (see tervil --help)\n");
  }

  void optionsAreAnsweredWithoutWindowOrHandOver() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QSignalSpy arrived(&editor_, &TInstanceServer::RequestsArrived);
    const Outcome outcome = Run(args);
    QCOMPARE(outcome.exitCode, exitCode);
    if (out.isEmpty())
      QVERIFY(outcome.out.isEmpty());
    else
      QVERIFY2(outcome.out.startsWith(out), outcome.out.constData());
    QCOMPARE(outcome.err, err);
    QTest::qWait(200);
    QCOMPARE(arrived.count(), 0);
    QVERIFY(editor_.TakeRequests().empty());
  }

  void aFileNamedLikeAnOptionIsOpenedAfterDoubleDash() {
    // The stand-in editor takes the files and reports them open, as a running editor does: the
    // second start waits for that report before it ends.
    std::vector<THandOverMessage> requests;
    QMetaObject::Connection taking =
        connect(&editor_, &TInstanceServer::RequestsArrived, this, [this, &requests] {
          for (const THandOverMessage& request : editor_.TakeRequests()) {
            requests.push_back(request);
            editor_.Done(request);
          }
        });
    QProcess process;
    QVERIFY(StartTervil(process, {"--", "-style", "--version", "a.php"}, home_.filePath("work")));
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
    disconnect(taking);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const std::string work = QDir(home_.filePath("work")).absolutePath().toStdString();
    QCOMPARE(requests.size(), size_t{4});
    QCOMPARE(requests[0].path, work + "/-style");
    QCOMPARE(requests[1].path, work + "/--version");
    QCOMPARE(requests[2].path, work + "/a.php");
    QCOMPARE(requests[3].kind, THandOverMessage::Raise);
  }
};

QTEST_MAIN(CommandLineTest)
#include "commandline_test.moc"
