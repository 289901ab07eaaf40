#include <signal.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

#include "core/common/Paths.h"
#include "core/editcomponent/EditorModel.h"
#include "core/process/CommandLine.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/docking/ToolForm.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/process/Console.h"
#include "ui/process/HtmlOutputView.h"
#include "ui/process/RunActions.h"

using namespace tervil;

// Run and Execute through the main window: the Project menu, the Run toolbar, F9 and the
// console.
class RunCommandsTest : public QObject {
  Q_OBJECT
  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList shown_;

  TTervilMain& Window() { return *window_; }
  TRunActions& Run() { return *Window().RunActions(); }
  TConsole& Console() { return *Run().Console; }

  QString WriteFile(const QString& name, const QByteArray& text) {
    const QString path = home_.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
  }
  TTvlPage* Open(const QString& path) {
    Window().OpenFile(path, false);
    return Window().CurrentPage();
  }
  // An item of a Project submenu, as the menu shows it when the Project menu opens.
  QAction* MenuItem(QMenu* menu, const QString& caption) {
    emit Run().ProjectMenu->aboutToShow();
    for (QAction* action : menu->actions())
      if (action->text() == caption) return action;
    return nullptr;
  }
  void WaitForRunEnd() {
    QTRY_VERIFY_WITH_TIMEOUT(!Console().Running() && !Window().RunInProgress, 15000);
  }
  void MakeCurrent(TTvlPage* page) {
    for (QWidget* w = page->parentWidget(); w; w = w->parentWidget())
      if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs->setCurrentWidget(page);
  }
  // Double-clicks an item of the error list as the system sends it: press and release, then
  // the second press.
  void DoubleClickError(int row) {
    Console().PageControl1->setCurrentWidget(Console().Errors);
    QTreeWidgetItem* item = Console().ErrorList->topLevelItem(row);
    QVERIFY(item);
    Console().ErrorList->scrollToItem(item);
    const QRect rect = Console().ErrorList->visualItemRect(item);
    QTest::mouseClick(Console().ErrorList->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(Console().ErrorList->viewport(), Qt::LeftButton, {}, rect.center());
  }
  QStringList ErrorItems() {
    QStringList items;
    for (int i = 0; i < Console().ErrorList->topLevelItemCount(); ++i)
      items << Console().ErrorList->topLevelItem(i)->text(0);
    return items;
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      shown_ << text;
      return TMsgResult::No;
    });
  }
  void init() {
    shown_.clear();
    QFile::remove(home_.filePath("config/tervil-editor/registry.reg"));
    window_.Start(QSize(1000, 700), test::TMainWindowFixture::TShow::Shown);
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.Close(); }

  void f9RunsAPhpPageAndTheConsoleShowsItsOutputWarningAndPage() {
    if (!FindOnPath("php")) QSKIP("no PHP interpreter on PATH");
    Window().Configuration().RunWithDefault = "PHP";  // "phppath" is blank: php from PATH
    const QString path = WriteFile(
        "my 'odd' page;rm -rf x ü.php",
        "<?php\necho \"<h1>Hello</h1>\\n\";\n$x = $undefined + 1;\necho \"<p>$x</p>\";\n");
    TTvlPage* page = Open(path);
    QVERIFY(page);
    QVERIFY(page->RunWith.contains(" -d log_errors=On -d display_errors=Off "));
    QVERIFY(!Run().ConsoleDock->isVisible());
    QTRY_VERIFY(Run().actRun->isEnabled());  // the commands follow the page while idle
    QTest::keyClick(page->TvlEdit(), Qt::Key_F9);
    QVERIFY(Window().RunInProgress);
    QCOMPARE(Run().actRun->text(), QString("Stop"));
    WaitForRunEnd();
    QCOMPARE(Run().actRun->text(), QString("Run"));
    QVERIFY(Run().ConsoleDock->isVisible());
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("<h1>Hello</h1>\n<p>1</p>"));
    QCOMPARE(Console().PageControl1->tabText(1), QString("Output (Finished)"));
    QTRY_COMPARE(ErrorItems().size(), 1);
    const QString copy = path + ".tvl0";
    // The warning names the page's own file, not the copy that ran.
    QCOMPARE(ErrorItems().first(),
             "PHP Warning:  Undefined variable $undefined in " + path + " on line 3");
    QVERIFY(!QFile::exists(copy));  // the copy goes with the run

    // Double-clicking the warning moves the caret of the page that ran to its line.
    DoubleClickError(0);
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{1, 3}));

    // The HTML page renders the output.
    QSignalSpy loaded(Console().WebBrowser, &THtmlOutputView::PageLoaded);
    Console().PageControl1->setCurrentWidget(Console().OutputHTML);
    QVERIFY(loaded.wait(30000));
    QString text;
    Console().WebBrowser->PageText([&text](const QString& t) { text = t; });
    QTRY_VERIFY_WITH_TIMEOUT(text.contains("Hello"), 10000);
    QVERIFY(QFile::exists(copy + ".html"));
  }

  void anUncaughtExceptionNamesThePageAndEachOfItsLinesLeadsThere() {
    if (!FindOnPath("php")) QSKIP("no PHP interpreter on PATH");
    Window().Configuration().RunWithDefault = "PHP";
    const QString path = WriteFile("php_error.php",
                                   "<?php\nfunction f() {\n  throw new Exception(\"boom\");\n}\n"
                                   "function g() { f(); }\n\ng();\n");
    TTvlPage* page = Open(path);
    QVERIFY(page);
    QTRY_VERIFY(Run().actRun->isEnabled());
    QTest::keyClick(page->TvlEdit(), Qt::Key_F9);
    WaitForRunEnd();
    QTRY_COMPARE(ErrorItems().size(), 6);
    QCOMPARE(ErrorItems(),
             QStringList({"PHP Fatal error:  Uncaught Exception: boom in " + path + ":3",
                          "Stack trace:", "#0 " + path + "(5): f()", "#1 " + path + "(7): g()",
                          "#2 {main}", "thrown in " + path + " on line 3"}));
    // Another page is current; each line with a place leads to it in the page that ran.
    TTvlPage* other = Window().NewDocument();
    QCOMPARE(Window().CurrentPage(), other);
    const struct {
      int row;
      int line;
    } rows[] = {{3, 7}, {0, 3}, {2, 5}, {5, 3}};
    for (const auto& r : rows) {
      MakeCurrent(other);
      QCOMPARE(Window().CurrentPage(), other);
      DoubleClickError(r.row);
      QCOMPARE(Window().CurrentPage(), page);
      QCOMPARE(page->Model().CaretPos(), (TBufferPos{1, r.line}));
    }
    // A line without a place changes nothing.
    page->Model().JumpTo({1, 1});
    DoubleClickError(1);
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{1, 1}));
  }

  void theProgramMenusListPhpAndTheApplications() {
    Window().Configuration().PhpPath = "/opt/php/bin/php";
    Window().Configuration().Applications = {"Tidy=tidy.exe -q", "A&B=ab"};
    Open(WriteFile("menu.php", "<?php\n"));
    QStringList captions;
    emit Run().ProjectMenu->aboutToShow();
    for (QAction* action : Run().RunWithMenu->actions()) captions << action->text();
    QCOMPARE(captions, QStringList({"PHP", "Tidy", "A&&B"}));
    QVERIFY(MenuItem(Run().ExecuteWithMenu, "Default Browser"));
    QVERIFY(Run().RunWithMenu->isEnabled());
  }

  void withoutProgramsTheRunCommandsAreDisabled() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    Open(WriteFile("none.php", "<?php\n"));
    emit Run().ProjectMenu->aboutToShow();
    qputenv("PATH", path);
    QVERIFY(Window().CurrentPage()->RunWith.isEmpty());
    QVERIFY(!Run().actRun->isEnabled());
    QVERIFY(!Run().actRunExternal->isEnabled());
    QVERIFY(!Run().RunWithMenu->isEnabled());
    QVERIFY(!Run().actRunToolButton->isEnabled());
    QVERIFY(Run().actRunToolButtonExternal->isEnabled());
  }

  void aPageWithoutProgramOpensTheRunWithMenuFromTheToolbar() {
    Window().Configuration().Applications = {"Echo=sh -c 'echo ran'"};
    Open(WriteFile("choose.php", "<?php\n"));
    QVERIFY(Window().CurrentPage()->RunWith.isEmpty());
    QMetaObject::invokeMethod(Run().actRunToolButton, "trigger", Qt::QueuedConnection);
    QTRY_VERIFY(Run().RunPopupMenu->isVisible());
    QAction* echo = nullptr;
    for (QAction* action : Run().RunPopupMenu->actions())
      if (action->text() == "Echo") echo = action;
    QVERIFY(echo);
    echo->trigger();
    Run().RunPopupMenu->close();
    WaitForRunEnd();
    QCOMPARE(Window().CurrentPage()->RunWith, QString("sh -c 'echo ran'"));
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("ran\n"));
  }

  void stopKillsTheRunningProgram() {
    Window().Configuration().Applications = {"Sleeper=sh -c 'echo start; sleep 30'"};
    Open(WriteFile("sleep.php", "<?php\n"));
    QAction* sleeper = MenuItem(Run().RunWithMenu, "Sleeper");
    QVERIFY(sleeper);
    sleeper->trigger();
    QTRY_VERIFY(Console().Running());
    // F9 does nothing while the program runs: the key is taken off the command.
    QVERIFY(Run().actRun->shortcut().isEmpty());
    QCOMPARE(Run().actRunToolButton->text(), QString("Stop"));
    QTRY_VERIFY(!Window().RunInProgress);
    Run().actRun->trigger();
    WaitForRunEnd();
    QCOMPARE(Console().ConsoleApp->GetExitCode(), 0u);
    QCOMPARE(Console().PageControl1->tabText(1), QString("Output (Finished)"));
    Run().UpdateActions();
    QCOMPARE(Run().actRun->text(), QString("Run"));
    QCOMPARE(Run().actRun->shortcut(), QKeySequence("F9"));
  }

  void aHugeOutputIsCutAtALineTheViewsSaySoAndThePageFileGoes() {
    // 50 MB of 50-byte lines: more than the console keeps.
    const QString script = WriteFile(
        "big.sh", "yes 0123456789012345678901234567890123456789012345678 | head -c 52428800\n");
    Window().Configuration().Applications = {("Big=sh " + script).toStdString()};
    const QString path = WriteFile("big.php", "<?php\n");
    Open(path);
    MenuItem(Run().RunWithMenu, "Big")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!Console().Running() && !Window().RunInProgress, 90000);
    const QString html = path + ".tvl0.html";
    Console().PageControl1->setCurrentWidget(Console().OutputHTML);
    QVERIFY(QFile::exists(html));
    QFile file(html);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray page = file.readAll();
    file.close();
    const qsizetype note = page.indexOf("more bytes of output were not kept");
    QVERIFY(note > 0);
    // The kept output ends with a whole line.
    QVERIFY(page.left(page.indexOf("\r\n-->")).endsWith("45678\r\n"));
    // Leaving the page removes its file; showing it again writes it anew.
    Console().PageControl1->setCurrentWidget(Console().OutputPage);
    QVERIFY(!QFile::exists(html));
    Console().PageControl1->setCurrentWidget(Console().OutputHTML);
    QVERIFY(QFile::exists(html));
    // The next run starts without it.
    Window().Configuration().Applications = {"Small=sh -c 'echo small'"};
    MenuItem(Run().RunWithMenu, "Small")->trigger();
    QVERIFY(!QFile::exists(html));
    WaitForRunEnd();
    QVERIFY(!QFile::exists(html));
  }

  void stopEndsARunWhoseGrandchildLeftTheGroupAndHoldsTheOutput() {
    const QString pidFile = home_.filePath("escaped.pid");
    const QString script = WriteFile(
        "escape.sh", ("setsid sh -c 'while :; do echo held; sleep 0.05; done' &\necho $! > '" +
                      pidFile + "'\nwait\n")
                         .toUtf8());
    Window().Configuration().Applications = {("Escape=sh " + script).toStdString(),
                                             "Small=sh -c 'echo next'"};
    const QString path = WriteFile("escape.php", "<?php\n");
    Open(path);
    MenuItem(Run().RunWithMenu, "Escape")->trigger();
    QTRY_VERIFY(Console().Running() && !Window().RunInProgress);
    QTRY_VERIFY(QFile::exists(pidFile) && QFileInfo(pidFile).size() > 0);
    QTRY_VERIFY(Console().OutputMemo->toPlainText().contains("held") ||
                Console().PageControl1->tabText(1) == "Output (Executing)");
    QFile pid(pidFile);
    QVERIFY(pid.open(QIODevice::ReadOnly));
    const int escaped = pid.readAll().trimmed().toInt();
    QVERIFY(escaped > 0);
    QElapsedTimer stopped;
    stopped.start();
    Run().actRun->trigger();  // Stop
    QTRY_VERIFY_WITH_TIMEOUT(!Console().Running(), 1000);
    QVERIFY(stopped.elapsed() < 1000);
    QCOMPARE(Console().PageControl1->tabText(1), QString("Output (Finished)"));
    QVERIFY(!QFile::exists(path + ".tvl0"));  // the run's copy is gone
    ::kill(escaped, SIGKILL);
    // A new run starts and ends.
    MenuItem(Run().RunWithMenu, "Small")->trigger();
    WaitForRunEnd();
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("next\n"));
  }

  void anUntitledPageRunsFromTheTempFolder() {
    Window().Configuration().Applications = {"Where=sh -c 'pwd; echo \"$0\"; cat \"$0\"'"};
    TTvlPage* page = Window().NewDocument();
    page->TvlEdit()->SetText("typed text");
    MenuItem(Run().RunWithMenu, "Where")->trigger();
    WaitForRunEnd();
    const QString temp = QString::fromStdString(TempDirectory());
    const QStringList lines = Console().OutputMemo->toPlainText().split('\n');
    QCOMPARE(lines.value(0), temp);
    QVERIFY(lines.value(1).startsWith(temp + "/" + page->Filename() + ".tvl"));
    QCOMPARE(lines.value(2), QString("typed text"));
  }

  void aProgramThatDoesNotExistIsReportedInTheConsole() {
    Window().Configuration().Applications = {"Ghost=/no/such/program -x"};
    const QString path = WriteFile("ghost.php", "<?php\n");
    Open(path);
    MenuItem(Run().RunWithMenu, "Ghost")->trigger();
    WaitForRunEnd();
    QCOMPARE(ErrorItems().size(), 1);
    QVERIFY(ErrorItems().first().contains("No such file or directory"));
    QVERIFY(!QFile::exists(path + ".tvl0"));
    QCOMPARE(Run().actRun->text(), QString("Run"));
  }

  void parametersAreAskedAndKeptInTheHistory() {
    Window().Configuration().Applications = {"Args=sh -c 'echo \"$1|$2\"'"};
    TTvlPage* page = Open(WriteFile("args.php", "<?php\n"));
    auto answer = [](const QString& text) {
      QTimer::singleShot(0, [text] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Parameters:"));
        dialog->findChild<QComboBox*>("ParamEdit")->setEditText(text);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
      });
    };
    answer("one 'two three'");
    Run().actParameters->trigger();
    QCOMPARE(page->RunParams, QString("one 'two three'"));
    answer("second");
    Run().actParameters->trigger();
    answer("one 'two three'");
    Run().actParameters->trigger();
    QCOMPARE(Run().ParameterHistory, QStringList({"one 'two three'", "second"}));
    MenuItem(Run().RunWithMenu, "Args")->trigger();
    WaitForRunEnd();
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("one|two three\n"));
  }

  void theConsoleAndTheToolbarToggleFromTheViewMenu() {
    QVERIFY(!Run().ConsoleDock->isVisible());
    Run().actConsole->trigger();
    QVERIFY(Run().ConsoleDock->isVisible());
    QCOMPARE(Run().ConsoleDock->DockAreaName(), QString("DockPanelBottom"));
    QVERIFY(Run().ConsoleDock->height() >= 100);  // the start size, not a collapsed strip
    Run().UpdateActions();
    QVERIFY(Run().actConsole->isChecked());
    Run().actConsole->trigger();
    QVERIFY(!Run().ConsoleDock->isVisible());
    QVERIFY(Run().RunToolbar->isVisible());
    Run().actRunToolbar->trigger();
    QVERIFY(!Run().RunToolbar->isVisible());
    Run().UpdateActions();
    QVERIFY(!Run().actRunToolbar->isChecked());
  }
};

QTEST_MAIN(RunCommandsTest)
#include "runcommands_test.moc"
