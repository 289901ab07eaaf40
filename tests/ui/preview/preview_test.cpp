#include "ui/preview/Preview.h"

#include <signal.h>
#include <sys/wait.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/preview/PhpServer.h"
#include "ui/preview/PreviewBrowser.h"

using namespace tervil;
using namespace tervil::test;

// The live preview and the PHP syntax marks, through the main window: typing, saving, the
// preview's commands, closing.
class PreviewTest : public QObject {
  Q_OBJECT
  QTemporaryDir home_;
  QTemporaryDir site_;
  TMainWindowFixture window_;
  QList<QUrl> opened_;  // addresses handed to the system's browser

  TPreview* Preview() { return window_->Preview(); }
  TPreviewBrowser* Browser() { return Preview()->Browser(); }
  QAction* ShowAction() { return window_->findChild<QAction*>("actPreview"); }
  QString Site(const QString& name) { return site_.filePath(name); }

  TTvlEdit* Open(const QString& name, const QByteArray& bytes) {
    TTvlEdit* editor = window_.OpenOldFile(Site(name), bytes);
    Browser()->OpenExternally = [this](const QUrl& url) { opened_ << url; };
    return editor;
  }
  TTvlEdit* OpenAnother(const QString& name, const QByteArray& bytes) {
    window_->OpenFile(WriteOldFile(Site(name), bytes), false);
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    editor->setFocus();
    return editor;
  }
  void ShowPreview() {
    QVERIFY(!Preview()->isVisible());
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(Preview()->isVisible());
  }
  QString PageText() {
    QString text;
    bool done = false;
    Browser()->PageText([&](const QString& t) {
      text = t;
      done = true;
    });
    WaitFor(done);
    return text;
  }
  QString Script(const QString& script) {
    QString result;
    bool done = false;
    Browser()->RunScript(script, [&](const QString& r) {
      result = r;
      done = true;
    });
    WaitFor(done);
    return result;
  }
  static void WaitFor(const bool& done) {
    for (int i = 0; i < 1000 && !done; ++i) QTest::qWait(10);
  }
  // Whether the process lives (a zombie counts as gone).
  static bool Alive(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0) return false;
    QFile status(QString("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = status.readAll();
    return !line.mid(line.lastIndexOf(')') + 2, 1).startsWith('Z');
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid() && site_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::Yes);
  }
  void cleanup() {
    window_.Stop();
    // Each test starts with the preview hidden and switched off.
    QFile::remove(home_.filePath("config/tervil-editor/registry.reg"));
  }

  void theCommandSitsInTheViewMenuAndTheToolbar() {
    QVERIFY(window_.Start());
    QVERIFY(ShowAction());
    QCOMPARE(ShowAction()->text(), QString("Preview"));
    QCOMPARE(ShowAction()->shortcut(), QKeySequence("Ctrl+Shift+P"));
    QVERIFY(!ShowAction()->icon().isNull());
    QVERIFY(ShowAction()->isCheckable());
    auto* bar = window_->findChild<QToolBar*>("ToolsToolBar");
    QVERIFY(bar && bar->actions().contains(ShowAction()));
    // Nothing of the browser engine exists before the preview shows a page.
    QVERIFY(!Browser()->UsesBrowserEngine());
    QVERIFY(!Preview()->RunPhpAction()->isChecked());
  }

  void typingIntoAnHtmlPageShowsInThePreviewWithItsImages() {
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(Site("pic.png")));
    TTvlEdit* editor =
        Open("index.html",
             "<html><body><h1 id=\"head\">Hello</h1>\n<img id=\"pic\" src=\"pic.png\">\n"
             "<p><a id=\"out\" href=\"https://example.org/\">out</a></p>\n"
             "<div style=\"height:3000px\"></div><p>end</p></body></html>\n");
    ShowPreview();
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("Hello"), 20000);

    editor->SetCaretXY({32, 1});  // after "Hello"
    QTest::keyClicks(editor, " typed heading");
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("Hello typed heading"), 5000);
    QVERIFY(editor->LineText().starts_with("<html><body><h1 id=\"head\">Hello typed heading</h1>"));

    if (!Browser()->UsesBrowserEngine()) QSKIP("the browser engine cannot start here");
    QTRY_COMPARE_WITH_TIMEOUT(Script("document.getElementById('pic').naturalWidth"), QString("7"),
                              5000);
    // The scroll position stays across a refresh.
    Script("window.scrollTo(0, 1200)");
    QTRY_COMPARE(Script("String(window.scrollY)"), QString("1200"));
    QTest::keyClicks(editor, "!");
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("heading!"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(Script("String(window.scrollY)"), QString("1200"), 3000);
    // A link opens in the system's browser; the preview stays on its page.
    Script("document.getElementById('out').click()");
    QTRY_COMPARE(opened_.value(0), QUrl("https://example.org/"));
    QVERIFY(PageText().contains("heading!"));
  }

  void editingAStylesheetChangesThePreviewOfThePageThatLinksIt() {
    Open("styled.html",
         "<html><head><link rel=\"stylesheet\" href=\"css/site.css\"></head>\n"
         "<body><h1 id=\"head\">Styled</h1></body></html>\n");
    QDir(site_.path()).mkpath("css");
    ShowPreview();
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("Styled"), 20000);
    if (!Browser()->UsesBrowserEngine()) QSKIP("the browser engine cannot start here");
    const QString color = "getComputedStyle(document.getElementById('head')).color";
    QCOMPARE(Script(color), QString("rgb(0, 0, 0)"));
    TTvlEdit* css = OpenAnother("css/site.css", "body { margin: 0 }\n");
    QTest::qWait(100);
    QVERIFY(Preview()->ShownPage());  // still shows the page
    QCOMPARE(Preview()->ShownPage()->Filename(), Site("styled.html"));
    css->SetCaretXY({1, 2});
    QTest::keyClicks(css, "h1 { color: rgb(0, 128, 0) ");
    QTRY_COMPARE_WITH_TIMEOUT(Script(color), QString("rgb(0, 128, 0)"), 5000);
    // Saved, the file itself is what the page loads.
    QTest::keyClick(css, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!css->Modified());
    QTRY_COMPARE_WITH_TIMEOUT(Script(color), QString("rgb(0, 128, 0)"), 5000);
  }

  void aPhpPageRunsOnlyWithTheSwitchAndAgainAtSave() {
    if (!FindPhp()) QSKIP("no php");
    const QString marker = Site("marker.txt");
    QFile::remove(marker);
    TTvlEdit* editor = Open("page.php",
                            "<?php file_put_contents(__DIR__ . '/marker.txt', 'ran');\n"
                            "echo '<p>Output ' . (40 + 2) . '</p>';\n");
    ShowPreview();
    QTest::qWait(1500);
    QVERIFY(!QFile::exists(marker));  // nothing ran
    QVERIFY(Browser()->ShowsNote());
    QVERIFY(Browser()->Note().contains("Run PHP"));

    Preview()->RunPhpAction()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("Output 42"), 20000);
    QVERIFY(QFile::exists(marker));
    const pid_t server = Preview()->Server()->ProcessId();
    QVERIFY(Alive(server));

    // Typing runs nothing; saving runs the page again.
    QFile::remove(marker);
    editor->SetCaretXY({1, 3});
    QTest::keyClicks(editor, "echo 'Second';");
    QTest::qWait(800);
    QVERIFY(!QFile::exists(marker));
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(PageText().contains("Second"), 10000);
    QVERIFY(QFile::exists(marker));

    // Closing the preview stops the server.
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(!Preview()->isVisible());
    QTRY_VERIFY(!Alive(server));

    // So does the end of the program.
    ShowAction()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(Preview()->Server()->IsReady(), 10000);
    const pid_t second = Preview()->Server()->ProcessId();
    QVERIFY(Alive(second));
    window_.Close();
    QTRY_VERIFY(!Alive(second));
  }

  void aHangingScriptIsCutOff() {
    if (!FindPhp()) QSKIP("no php");
    Open("hang.php", "<?php echo '<p>waiting</p>'; flush(); sleep(60);\n");
    Preview()->LoadLimitMs = 1500;
    Preview()->RunPhpAction()->trigger();
    ShowPreview();
    QTRY_VERIFY_WITH_TIMEOUT(Preview()->Server()->Running(), 10000);
    const pid_t server = Preview()->Server()->ProcessId();
    QTRY_VERIFY_WITH_TIMEOUT(Browser()->ShowsNote() && Browser()->Note().contains("did not finish"),
                             10000);
    QTRY_VERIFY(!Alive(server));
  }

  void aPhpSyntaxErrorIsMarkedAfterThePauseAndClearedWhenFixed() {
    if (!FindPhp()) QSKIP("no php");
    TTvlEdit* editor = Open("lint.php", "<?php\necho 'one';\n\necho 'two';\n");
    QTest::qWait(800);
    QVERIFY(editor->LineMarks().empty());
    editor->SetCaretXY({1, 3});
    QTest::keyClicks(editor, "$x = ;");
    QElapsedTimer pause;
    pause.start();
    QTRY_VERIFY_WITH_TIMEOUT(!editor->LineMarks().empty(), 3000);
    QVERIFY(pause.elapsed() < 1500);
    QCOMPARE(editor->LineMarks().front().Line, 3);
    QVERIFY(QString::fromStdString(editor->LineMarks().front().Message).contains("syntax error"));
    QVERIFY(window_->StatusPanels()->PanelText(0).startsWith("Line 3: syntax error"));

    // Lines typed above move the mark with its line until the next check.
    editor->SetCaretXY({1, 1});
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(editor->LineMarks().front().Line, 4);

    editor->SetCaretXY({6, 4});  // after "$x = "
    QTest::keyClicks(editor, "1");
    QTRY_VERIFY_WITH_TIMEOUT(editor->LineMarks().empty(), 3000);
    QVERIFY(window_->StatusPanels()->PanelText(0).isEmpty());
  }

  void withoutPhpTheCheckIsSilent() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    TTvlEdit* editor = Open("silent.php", "<?php\n$x = ;\n");
    QTest::qWait(1500);
    qputenv("PATH", path);
    QVERIFY(editor->LineMarks().empty());
    QVERIFY(window_->StatusPanels()->PanelText(0).isEmpty());
  }

 private:
  static bool FindPhp() { return !QStandardPaths::findExecutable("php").isEmpty(); }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
