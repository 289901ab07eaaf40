#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/printing/PrintActions.h"

using namespace tervil;
using namespace tervil::test;

// File > "Export to .RTF" and "Export to .HTML" on a highlighted PHP page: the save dialog's
// proposal, the extension rule, the files compared with fixtures (the page's path, which the
// exporters write as the title, stands as @TITLE@), and valid HTML.
class ExportTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  TMainWindowFixture window_;
  QString sample_;

  TTervilMain& Window() { return *window_; }

  QAction* Item(const QString& caption) {
    for (QAction* action : Window().findChildren<QAction*>())
      if (action->text() == caption) return action;
    return nullptr;
  }

  struct TAsked {
    QString directory, fileName, filter;
  };

  // Exports the page through the menu item, answering the save dialog with `answer`.
  TAsked Export(const QString& item, const QString& answer) {
    TAsked asked;
    Window().PrintActions()->ChooseExportFile =
        [&asked, answer](const QString& directory, const QString& fileName, const QString& filter) {
          asked = {directory, fileName, filter};
          return answer;
        };
    Item(item)->trigger();
    return asked;
  }

  QByteArray Exported(const QString& path) {
    return FileContents(path).replace(sample_.toUtf8(), "@TITLE@");
  }

  // Compares with the fixture; TERVIL_UPDATE_FIXTURES=1 writes it anew.
  static bool SameAsFixture(const QByteArray& bytes, const QString& name) {
    const QString path = QStringLiteral(TERVIL_SOURCE_DIR "/tests/ui/printing/fixtures/") + name;
    if (qEnvironmentVariableIsSet("TERVIL_UPDATE_FIXTURES")) {
      QFile file(path);
      return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    const QByteArray expected = FileContents(path);
    if (bytes != expected) qWarning("%s differs:\n%s", qPrintable(name), bytes.constData());
    return bytes == expected;
  }

 private slots:
  void initTestCase() {
    UseUserFoldersIn(home_);
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    AnswerMessagesWith(TMsgResult::OK);
    QDir(home_.path()).mkpath("www");
    sample_ = WriteOldFile(
        home_.filePath("www/sample.php"),
        FileContents(QStringLiteral(TERVIL_SOURCE_DIR "/tests/ui/printing/fixtures/sample.php")));
  }

  void init() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed, {sample_}));
    QVERIFY(Window().CurrentPage());
  }

  void cleanup() { window_.Close(); }

  void htmlExportProposesThePageNameAndIsValidHtml() {
    const QString target = home_.filePath("www/sample");
    const TAsked asked = Export("Export to .HTML", target);
    QCOMPARE(asked.directory, home_.filePath("www"));
    QCOMPARE(asked.fileName, target);  // the page's name without ".php"
    QCOMPARE(asked.filter, QString("HTML Documents (*.htm *.html)"));
    const QString html = target + ".html";
    QVERIFY(SameAsFixture(Exported(html), "sample.html"));
    QProcess xmllint;
    xmllint.start("xmllint", {"--html", "--noout", html});
    QVERIFY(xmllint.waitForFinished(10000));
    QCOMPARE(xmllint.exitCode(), 0);
    QCOMPARE(xmllint.readAllStandardError(), QByteArray());
  }

  void rtfExportMatchesItsFixture() {
    const TAsked asked = Export("Export to .RTF", home_.filePath("www/sample"));
    QCOMPARE(asked.filter, QString("Rich Text Format Documents (*.rtf)"));
    QVERIFY(SameAsFixture(Exported(home_.filePath("www/sample.rtf")), "sample.rtf"));
  }

  // A name with an extension keeps it; the content is still HTML. Cancelling writes nothing.
  void aGivenExtensionIsKeptAndCancelWritesNothing() {
    Export("Export to .HTML", home_.filePath("listing.txt"));
    QVERIFY(FileContents(home_.filePath("listing.txt")).startsWith("<!DOCTYPE html>"));
    QVERIFY(!QFile::exists(home_.filePath("listing.txt.html")));
    const QStringList before = QDir(home_.path()).entryList(QDir::Files);
    Export("Export to .RTF", QString());
    QCOMPARE(QDir(home_.path()).entryList(QDir::Files), before);
  }

  // Copy as HTML, which shares the exporters' set-up, still copies the coloured selection.
  void copyAsHtmlStillCopiesTheColouredSelection() {
    Item("Select All")->trigger();
    QMenu* copyAs = nullptr;
    for (QMenu* menu : Window().findChildren<QMenu*>())
      if (menu->title() == "Copy as...") copyAs = menu;
    QVERIFY(copyAs);
    copyAs->actions().first()->trigger();  // HTML
    const QString html = QApplication::clipboard()->mimeData()->html();
    QVERIFY2(html.contains("<pre style="), qPrintable(html.left(200)));
    QVERIFY(html.contains("<span style="));
    QVERIFY(html.contains("Gr\u00FC\u00DFe"));
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
