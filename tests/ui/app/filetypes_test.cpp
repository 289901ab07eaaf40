#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/app/DesktopFileTypes.h"

using namespace tervil;

// The extensions' MIME types come from the system's shared-mime-info database.
class FileTypesTest : public QObject {
  Q_OBJECT

 private slots:
  void extensionsGetTheirSystemType_data() {
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("type");
    QTest::newRow("php") << ".php"
                         << "application/x-php";
    QTest::newRow("html") << ".html"
                          << "text/html";
    QTest::newRow("css") << ".css"
                         << "text/css";
    QTest::newRow("xml") << ".xml"
                         << "application/xml";
    QTest::newRow("pl") << ".pl"
                        << "application/x-perl";
    QTest::newRow("unknown") << ".tervil-unknown"
                             << "";
    QTest::newRow("no dot") << "php"
                            << "";
    QTest::newRow("dot only") << "."
                              << "";
  }

  void extensionsGetTheirSystemType() {
    QFETCH(QString, extension);
    QFETCH(QString, type);
    QCOMPARE(QString::fromStdString(MimeTypeOfExtension(extension.toStdString())), type);
  }

  void theAssociationReadsTheUsersFolders() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QFile list(home.filePath("mimeapps.list"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\napplication/x-php=tervil-editor.desktop;\n");
    list.close();
    TFileAssociation association = DesktopFileAssociation();
    QVERIFY(association.IsAssociated(".php"));
    QVERIFY(!association.IsAssociated(".css"));
    QCOMPARE(QString::fromStdString(association.DesktopFilePath()),
             home.filePath("data/applications/tervil-editor.desktop"));
  }
};

QTEST_MAIN(FileTypesTest)
#include "filetypes_test.moc"
