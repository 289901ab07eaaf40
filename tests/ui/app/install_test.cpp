#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "core/app/CommandLine.h"
#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"

using namespace tervil;
using namespace tervil::test;

// Installs the built program into a temporary prefix, as a user or a package would, and starts
// the installed copy: it must find its reference data under share/tervil-editor.
class InstallTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir prefix_;
  QTemporaryDir home_;

  QString Installed(const QString& relative) const { return prefix_.filePath(relative); }

  // The program's own lines of an error output (Qt's warnings left out).
  static QByteArray OwnMessages(const QByteArray& errors) {
    QByteArray own;
    for (const QByteArray& line : errors.split('\n'))
      if (line.startsWith("tervil: ")) own += line + '\n';
    return own;
  }

  // Starts the installed program as the editor and collects what it reports on the terminal
  // within `waitMs`; the program must still run then. Returns its error output.
  QByteArray StartInstalled(int waitMs, bool stopAtFirstError) {
    QProcess program;
    program.setProgram(Installed("bin/tervil"));
    program.setWorkingDirectory(home_.path());
    program.start();
    if (!program.waitForStarted()) return "not started";
    QByteArray errors;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs && program.state() == QProcess::Running) {
      program.waitForReadyRead(100);
      errors += program.readAllStandardError();
      if (stopAtFirstError && !OwnMessages(errors).isEmpty()) break;
    }
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    errors += program.readAllStandardError();
    return running ? errors : "ended early: " + errors;
  }

 private slots:
  void initTestCase() {
    QVERIFY(prefix_.isValid() && home_.isValid());
    UseUserFoldersIn(home_);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each start is an editor of its own, whatever else runs.
    TSettingsStore store(home_.filePath("config/tervil-editor/registry.reg").toStdString());
    store.Load();
    store.WriteBool("Software\\Tervil Editor", "multipleinstances", true);
    store.WriteBool("Software\\Tervil Editor", "checkver", false);
    store.Flush();

    const QString cmake = QStandardPaths::findExecutable("cmake");
    QVERIFY(!cmake.isEmpty());
    QProcess install;
    install.start(cmake, {"--install", TERVIL_BIN_DIR "/..", "--prefix", prefix_.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
  }

  void filesAreInTheirPlaces_data() {
    QTest::addColumn<QString>("path");
    for (const char* path :
         {"bin/tervil", "share/tervil-editor/data/html.tvd", "share/tervil-editor/data/format",
          "share/tervil-editor/samples", "share/icons/hicolor/scalable/apps/tervil-editor.svg",
          "share/applications/tervil-editor.desktop",
          "share/metainfo/io.github.tervileditor.TervilEditor.metainfo.xml",
          "share/man/man1/tervil.1.gz", "share/doc/tervil-editor/copyright"})
      QTest::newRow(path) << QString(path);
  }

  void filesAreInTheirPlaces() {
    QFETCH(QString, path);
    QVERIFY2(QFileInfo::exists(Installed(path)), qPrintable(path));
  }

  void installedProgramPrintsItsVersion() {
    QProcess program;
    program.start(Installed("bin/tervil"), {"--version"});
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput(), QByteArray(VersionText().c_str()));
  }

  void installedProgramFindsItsData() {
    // Without the data folder the program says so on the terminal; the time that takes is how
    // long a start with it is given to say anything.
    const QString data = Installed("share/tervil-editor/data");
    QVERIFY(QDir().rename(data, data + ".away"));
    QElapsedTimer clock;
    clock.start();
    const QByteArray missing = OwnMessages(StartInstalled(30000, true));
    const int reportMs = int(clock.elapsed());
    qInfo() << "without data after" << reportMs << "ms:" << missing.trimmed();
    QVERIFY(QDir().rename(data + ".away", data));
    QVERIFY2(missing.startsWith("tervil: ") && missing.contains("html.tvd"), missing.constData());

    const QByteArray errors = StartInstalled(std::max(3000, 2 * reportMs), false);
    QVERIFY2(!errors.startsWith("ended early") && OwnMessages(errors).isEmpty(),
             errors.constData());
  }
};

QTEST_MAIN(InstallTest)
#include "install_test.moc"
