#include "core/app/UpdateCheck.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/UpdateChecker.h"

using namespace tervil;
using namespace tervil::test;

namespace {

QByteArray Answer(const QByteArray& version, const QByteArray& url = "https://x.test/get") {
  return "&lt;title&gt;Tervil Editor 4.02&lt;/title&gt;&lt;version&gt;" + version +
         "&lt;/version&gt;&lt;text&gt;Faster.&lt;/text&gt;&lt;url&gt;" + url + "&lt;/url&gt;";
}

// A small web server on the loopback address: every request gets the response set for its
// path; it records the request lines it received.
class TAnswerServer : public QObject {
 public:
  QTcpServer server;
  QMap<QByteArray, QByteArray> responses;  // path and query -> whole response
  QList<QByteArray> requests;

  TAnswerServer() {
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
          buffer->append(socket->readAll());
          if (!buffer->contains("\r\n\r\n")) return;
          const QByteArray line = buffer->left(buffer->indexOf("\r\n"));
          requests << line;
          const QByteArray path = line.split(' ').value(1);
          socket->write(responses.value(path, Response(404, "no such page")));
          socket->disconnectFromHost();
        });
      }
    });
  }
  QString Address() const { return QString("http://127.0.0.1:%1").arg(server.serverPort()); }

  static QByteArray Response(int status, const QByteArray& body, const QByteArray& extra = {}) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
  }
};

const QByteArray kRequest = "/qendra.php?id=6&p=01012026";

}  // namespace

class UpdateCheckTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  static QList<TVersionForm*> Notices() {
    QList<TVersionForm*> forms;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* form = qobject_cast<TVersionForm*>(w); form && form->isVisible()) forms << form;
    return forms;
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
  }

  void answersOfTheServer_data() {
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("version");  // announced, or empty
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    QTest::newRow("newer") << TAnswerServer::Response(200, Answer("4.02")) << true << "4.02";
    QTest::newRow("same") << TAnswerServer::Response(200, Answer("4.01")) << true << "";
    QTest::newRow("older") << TAnswerServer::Response(200, Answer("3.5")) << true << "";
    QTest::newRow("empty") << TAnswerServer::Response(200, "") << true << "";
    QTest::newRow("garbage") << TAnswerServer::Response(200, "<html>&lt;version&gt;x9</html>")
                             << true << "";
    QTest::newRow("binary") << TAnswerServer::Response(200, Answer("4.02") + QByteArray(20, '\0'))
                            << false << "";
    QTest::newRow("50 MB") << TAnswerServer::Response(
                                  200, Answer("4.02") + QByteArray(50 * 1024 * 1024, 'x'))
                           << false << "";
    QTest::newRow("redirect") << TAnswerServer::Response(302, "", "Location: /moved\r\n") << true
                              << "4.03";
    QTest::newRow("404") << TAnswerServer::Response(404, Answer("4.02")) << false << "";
    QTest::newRow("not http") << QByteArray("garbage without a status line\r\n\r\n") << false << "";
  }

  void answersOfTheServer() {
    QFETCH(QByteArray, response);
    QFETCH(bool, answered);
    QFETCH(QString, version);
    TAnswerServer server;
    QVERIFY(server.server.isListening());
    server.responses[kRequest] = response;
    server.responses["/moved"] = TAnswerServer::Response(200, Answer("4.03"));
    TUpdateChecker checker;
    QSignalSpy finished(&checker, &TUpdateChecker::Finished);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(checker.Start(server.Address(), "01012026", "4.01"));
    QVERIFY(finished.wait(20000));
    qInfo() << "ended after" << clock.elapsed() << "ms";
    QCOMPARE(server.requests.value(0), "GET " + kRequest + " HTTP/1.1");
    QCOMPARE(finished[0][0].toBool(), answered);
    const QStringList notice = finished[0][1].toStringList();
    QCOMPARE(notice.value(1), version);
    if (!version.isEmpty()) QCOMPARE(notice.value(0), QString("Tervil Editor 4.02"));
    QVERIFY(!checker.Running());
  }

  void noServerEndsSilently() {
    quint16 port;
    {
      QTcpServer closed;
      QVERIFY(closed.listen(QHostAddress::LocalHost));
      port = closed.serverPort();
    }
    TUpdateChecker checker;
    QSignalSpy finished(&checker, &TUpdateChecker::Finished);
    QVERIFY(checker.Start(QString("http://127.0.0.1:%1").arg(port), "", "4.01"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0][0].toBool(), false);
    QVERIFY(finished[0][1].toStringList().isEmpty());
  }

  void twoQuickStartsMakeOneRequestAndNoAddressNone() {
    TAnswerServer server;
    server.responses[kRequest] = TAnswerServer::Response(200, Answer("4.01"));
    TUpdateChecker checker;
    QSignalSpy finished(&checker, &TUpdateChecker::Finished);
    QVERIFY(!checker.Start("", "01012026", "4.01"));
    QVERIFY(!checker.Start("file:///etc/passwd", "01012026", "4.01"));
    QVERIFY(checker.Start(server.Address(), "01012026", "4.01"));
    QVERIFY(!checker.Start(server.Address(), "01012026", "4.01"));
    QVERIFY(finished.wait(10000));
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(server.requests.size(), 1);
    // Once ended, a later start asks again.
    QVERIFY(checker.Start(server.Address(), "01012026", "4.01"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(server.requests.size(), 2);
  }

  void theMainWindowAnnouncesANewerVersionAtStart_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("serverSet");
    QTest::addColumn<bool>("shown");
    QTest::newRow("newer") << Answer("4.02", "https://x.test/get") << true << true;
    QTest::newRow("newer, file address") << Answer("4.02", "file:///etc/passwd") << true << true;
    QTest::newRow("same") << Answer("4.01") << true << false;
    QTest::newRow("no server set") << Answer("4.02") << false << false;
  }

  void theMainWindowAnnouncesANewerVersionAtStart() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, serverSet);
    QFETCH(bool, shown);
    TAnswerServer server;
    server.responses[kRequest] = TAnswerServer::Response(200, answer);
    QTemporaryDir dir;
    TSettingsStore store(dir.filePath("registry.reg").toStdString());
    store.WriteString("Software\\Tervil Editor", "update", "01012026");
    if (serverSet)
      store.WriteString("Software\\Tervil Editor", kUpdateServerValue,
                        server.Address().toStdString());
    auto window = std::make_unique<TTervilMain>(store, QStringList{},
                                                QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    window->ShowAtStart();
    if (shown) {
      QTRY_COMPARE_WITH_TIMEOUT(Notices().size(), 1, 10000);
      TVersionForm* form = Notices().first();
      QCOMPARE(form->windowTitle(), QString("Tervil Editor 4.02"));
      QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
      QCOMPARE(form->findChild<QLabel*>("VersionLabel")->text(), QString("Nowa Wersja: 4.02"));
      QCOMPARE(form->findChild<QPlainTextEdit*>("TextMemo")->toPlainText(), QString("Faster."));
      auto* download = form->findChild<QPushButton*>("DownloadButton");
      QCOMPARE(download->text(), QString("Pobierz"));
      QCOMPARE(download->isEnabled(), answer.contains("https://"));
      form->close();
      QTRY_VERIFY(Notices().isEmpty());
    } else {
      QTest::qWait(1500);
      QVERIFY(Notices().isEmpty());
    }
    QCOMPARE(server.requests.size(), serverSet ? 1 : 0);
    const QString today = QDate::currentDate().toString("ddMMyyyy");
    QTRY_COMPARE(QString::fromStdString(store.ReadString("Software\\Tervil Editor", "update")),
                 serverSet ? today : QString("01012026"));
    CloseWithoutSaving(window);
  }
};

QTEST_MAIN(UpdateCheckTest)
#include "updatecheck_test.moc"
