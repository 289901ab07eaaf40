#include "ui/process/Console.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

#include "core/common/Abort.h"
#include "core/process/CommandLine.h"
#include "core/process/ConsoleApp.h"
#include "ui/browser/BrowserPage.h"
#include "ui/process/HtmlOutputView.h"

using namespace tervil;

// The console window on its own: runs, captions, highlights, the error list, the output text,
// copying and the HTML page.
class ConsoleTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  std::unique_ptr<TConsole> console_;

  TConsole& Console() { return *console_; }
  QString Caption(int tab) { return Console().PageControl1->tabText(tab); }
  QStringList ErrorItems() {
    QStringList items;
    for (int i = 0; i < Console().ErrorList->topLevelItemCount(); ++i)
      items << Console().ErrorList->topLevelItem(i)->text(0);
    return items;
  }
  // Runs a shell script with a copy file and waits for the run's end.
  void RunScript(const QString& script, const QString& copy = QString()) {
    QSignalSpy finished(&Console(), &TConsole::RunFinished);
    Console().RunCommand("sh -c " + QString::fromStdString(QuoteArgument(script.toStdString())),
                         copy);
    QVERIFY(finished.wait(10000));
    QTest::qWait(50);  // error lines read just before the end
  }
  QAction* MemoAction(const QString& caption) {
    for (QAction* action : Console().OutputMemo->actions())
      if (action->text() == caption) return action;
    return nullptr;
  }

 private slots:
  void init() {
    console_ = std::make_unique<TConsole>();
    console_->resize(600, 300);
  }
  void cleanup() { console_.reset(); }

  void startsHiddenOnTheErrorsPage() {
    QVERIFY(!Console().isVisible());
    QCOMPARE(Console().PageControl1->currentWidget(), Console().Errors);
    QCOMPARE(Caption(0), QString("Errors"));
    QCOMPARE(Caption(1), QString("Output"));
    QCOMPARE(Caption(2), QString("HTML Output"));
    QCOMPARE(Console().windowTitle(), QString("Console"));
    QCOMPARE(Console().minimumHeight(), 100);
    QCOMPARE(Console().maximumHeight(), 400);
  }

  void aRunShowsOutputErrorsAndItsState() {
    const QString copy = dir_.filePath("page.php.tvl0");
    QFile(copy).open(QIODevice::WriteOnly);
    Console().PageControl1->setCurrentWidget(Console().Errors);
    RunScript("echo one; echo 'first error' >&2; printf 'two\\n'; printf 'a\\nb\\n' >&2", copy);
    QVERIFY(Console().isVisible());  // shown by the run
    QCOMPARE(Caption(1), QString("Output (Finished)"));
    QCOMPARE(ErrorItems(), QStringList({"first error", "a", "b"}));
    QCOMPARE(Caption(0), QString("Errors (3)"));
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("one\ntwo\n"));
    QVERIFY(Console().TabHighlighted(Console().OutputPage));
    QVERIFY(!Console().TabHighlighted(Console().Errors));
    QVERIFY(!QFile::exists(copy));  // the copy goes when the run ends

    Console().PageControl1->setCurrentWidget(Console().OutputPage);
    QVERIFY(!Console().TabHighlighted(Console().OutputPage));
    QCOMPARE(Console().OutputMemo->textCursor().position(),
             Console().OutputMemo->document()->characterCount() - 1);
  }

  void aRunWithoutErrorsEndsWithErrorsZero() {
    RunScript("echo only output; printf '\\r\\n' >&2");
    QCOMPARE(Caption(0), QString("Errors (0)"));
    QCOMPARE(Caption(1), QString("Output (Finished)"));
    QVERIFY(ErrorItems().isEmpty());
  }

  void theMemoKeepsTheLastCharactersAndShowFullShowsEverything() {
    RunScript("i=0; while [ $i -lt 2000 ]; do echo \"line $i of the output\"; i=$((i+1)); done");
    const QString memo = Console().OutputMemo->toPlainText();
    // 8192 characters of the converted text, CR LF counting two.
    QCOMPARE(memo.size() + memo.count('\n'), 8192);
    QVERIFY(memo.endsWith("line 1999 of the output\n"));
    QAction* showFull = MemoAction("Show Full Output");
    QVERIFY(showFull);
    showFull->trigger();
    QVERIFY(Console().OutputMemo->toPlainText().startsWith("line 0 of the output\n"));
    QCOMPARE(Console().OutputMemo->toPlainText().count('\n'), 2000);
  }

  void showFullOutputFillsThePageAPieceAtATimeAndANewRunStopsIt() {
    // About 8 MB of numbered lines: more than one turn of the window fills.
    RunScript(
        "yes 'filler text for the console output page, sixty-four bytes long' | "
        "head -n 120000 | nl -ba");
    Console().show();
    Console().PageControl1->setCurrentWidget(Console().OutputPage);
    MemoAction("Show Full Output")->trigger();
    // The start is there at once, the rest follows while the window keeps running.
    QVERIFY(Console().OutputMemo->toPlainText().startsWith("     1\tfiller text"));
    QVERIFY(Console().FillingFullOutput());
    QCOMPARE(Console().OutputMemo->textCursor().position(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!Console().FillingFullOutput(), 30000);
    QCOMPARE(Console().OutputMemo->document()->blockCount(), 120001);
    QVERIFY(Console().OutputMemo->document()->lastBlock().previous().text().startsWith(
        "120000\tfiller"));
    QVERIFY(!Console().OutputMemo->document()->isUndoAvailable());

    // Filling again, then a run starts: the page shows the new run only.
    MemoAction("Show Full Output")->trigger();
    QVERIFY(Console().FillingFullOutput());
    RunScript("echo next run");
    QVERIFY(!Console().FillingFullOutput());
    QTest::qWait(100);
    QCOMPARE(Console().OutputMemo->toPlainText(), QString("next run\n"));
  }

  void copiesFromTheMemoAndTheErrorList() {
    RunScript("printf '  a\\nb  \\n'; printf 'e1\\ne2\\ne3\\n' >&2");
    Console().show();
    Console().PageControl1->setCurrentWidget(Console().OutputPage);
    Console().OutputMemo->setFocus();
    MemoAction("&Copy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString("a\nb"));
    QTextCursor cursor = Console().OutputMemo->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    Console().OutputMemo->setTextCursor(cursor);
    MemoAction("&Copy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString("a\nb"));

    Console().ErrorList->topLevelItem(0)->setSelected(true);
    Console().ErrorList->topLevelItem(2)->setSelected(true);
    for (QAction* action : Console().ErrorList->actions())
      if (action->text() == "Copy") action->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString("e1\ne3"));
  }

  void aProgramThatCannotStartSaysSoAndLeavesTheConsoleIdle() {
    const QString copy = dir_.filePath("gone.php.tvl0");
    QFile(copy).open(QIODevice::WriteOnly);
    QSignalSpy finished(&Console(), &TConsole::RunFinished);
    QVERIFY_THROWS_EXCEPTION(TAbort, Console().RunCommand("no-such-program-tervil x", copy));
    QVERIFY(!Console().Running());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(ErrorItems().size(), 1);
    QVERIFY(ErrorItems().first().contains("No such file or directory"));
    QCOMPARE(Caption(1), QString("Output"));
    QVERIFY(!QFile::exists(copy));
  }

  void sendLineNeedsARunningProgram() {
    try {
      Console().SendLine("x");
      QFAIL("SendLine was accepted while idle");
    } catch (const TConsoleError& e) {
      QCOMPARE(QString(e.what()), QString("Application is not running"));
    }
    // The command line is the first line the program reads.
    RunScript("read first; echo \"got: $first\"");
    QVERIFY(Console().OutputMemo->toPlainText().startsWith("got: sh -c "));
  }

  void stopEndsTheRunWithTheFinishedState() {
    QSignalSpy finished(&Console(), &TConsole::RunFinished);
    Console().RunCommand("sleep 30", QString());
    QVERIFY(Console().Running());
    QCOMPARE(Caption(1), QString("Output (Executing)"));
    Console().KillProcess(0);
    QVERIFY(finished.wait(2000));
    QVERIFY(!Console().Running());
    QCOMPARE(Caption(1), QString("Output (Finished)"));
    QCOMPARE(Console().ConsoleApp->GetExitCode(), 0u);
  }

  void theHtmlPageShowsTheOutputAsAWebPage() {
    const QString copy = dir_.filePath("web.php.tvl0");
    // Before any run the page shows nothing and writes nothing, and the browser engine is not
    // loaded: a console that never shows a web page costs no memory for it.
    Console().PageControl1->setCurrentWidget(Console().OutputHTML);
    QVERIFY(Console().WebBrowser->Path().isEmpty());
    QVERIFY(!BrowserEngineLoaded());
    Console().PageControl1->setCurrentWidget(Console().Errors);

    RunScript("echo '<html><body><h1>Hello page</h1>'; echo '<p>ü</p></body></html>'", copy);
    QSignalSpy loaded(Console().WebBrowser, &THtmlOutputView::PageLoaded);
    Console().PageControl1->setCurrentWidget(Console().OutputHTML);
    QCOMPARE(Console().WebBrowser->Path(), copy + ".html");
    QFile html(copy + ".html");
    QVERIFY(html.open(QIODevice::ReadOnly));
    QVERIFY(html.readAll().endsWith("<p>\xc3\xbc</p></body></html>\r\n"));
    QVERIFY(loaded.wait(30000));
    QString text;
    Console().WebBrowser->PageText([&text](const QString& t) { text = t; });
    QTRY_VERIFY_WITH_TIMEOUT(text.contains("Hello page"), 10000);
    QVERIFY(text.contains(QString::fromUtf8("ü")));
    // The page is shown by the engine when its module could be loaded, by the Qt view otherwise.
    QCOMPARE(Console().WebBrowser->UsesBrowserEngine(), BrowserEngineLoaded());
  }
};

QTEST_MAIN(ConsoleTest)
#include "console_test.moc"
