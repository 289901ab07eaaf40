#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>

#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/printing/PageSetupDlg.h"
#include "ui/printing/PrintActions.h"
#include "ui/printing/PrintEngine.h"
#include "ui/printing/PrintPreview.h"

using namespace tervil;
using namespace tervil::test;

// Printing, the preview, the page setup and the export commands on the real main window: a PHP
// file printed to PDF and read back, its preview, and its RTF and HTML exports.
class PrintTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  TMainWindowFixture window_;
  QStringList messages_;

  TTervilMain& Window() { return *window_; }
  TPrintActions& Print() { return *Window().PrintActions(); }

  QMenu* FileMenu() {
    for (QAction* item : Window().menuBar()->actions())
      if (item->text() == "&File") return item->menu();
    return nullptr;
  }
  QAction* FileItem(const QString& caption) {
    for (QAction* action : FileMenu()->actions())
      if (action->text() == caption) return action;
    return nullptr;
  }

  // Runs `work` on the modal window that `trigger` opens.
  static void WithModal(const std::function<void(QWidget*)>& work,
                        const std::function<void()>& trigger) {
    QTimer::singleShot(0, [work] {
      QWidget* modal = QApplication::activeModalWidget();
      QVERIFY(modal);
      work(modal);
    });
    trigger();
  }

  static void PressOk(QWidget* dialog) {
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  }

  // A PHP file of `count` numbered statements.
  QString WritePhp(const QString& name, int count) {
    QByteArray text = "<?php\n";
    for (int i = 2; i <= count; ++i)
      text += "$v" + QByteArray::number(i) + " = 'row " + QByteArray::number(i) + "';\n";
    return WriteOldFile(home_.filePath(name), text);
  }

  static QString PdfText(const QString& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", pdf, "-"});
    if (!process.waitForFinished(30000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
  }

  // Types the header and footer into the page setup's boxes and presses OK.
  void SetUpHeaderAndFooter() {
    WithModal(
        [](QWidget* modal) {
          auto* dialog = qobject_cast<TPageSetupDlg*>(modal);
          QVERIFY(dialog);
          dialog->Pages->setCurrentIndex(1);
          dialog->REHeaderLeft->setPlainText("$TITLE$");
          dialog->REFooterRight->setPlainText("Page $PAGENUM$ of $PAGECOUNT$");
          dialog->CBHeaderLine->setChecked(true);
          PressOk(dialog);
        },
        [this] { FileItem("Page Setup")->trigger(); });
  }

 private slots:
  void initTestCase() {
    UseUserFoldersIn(home_);
    qputenv("XDG_STATE_HOME", home_.filePath("state").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      messages_ << text;
      return TMsgResult::OK;
    });
  }

  void cleanup() {
    window_.Close();
    messages_.clear();
  }

  void commandsHaveTheirPlaces() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed));
    QStringList captions;
    for (QAction* action : FileMenu()->actions())
      if (!action->isSeparator()) captions << action->text();
    const qsizetype rtf = captions.indexOf("Export to .RTF");
    QVERIFY(rtf > captions.indexOf("Close All"));
    QCOMPARE(captions.mid(rtf, 6), QStringList({"Export to .RTF", "Export to .HTML", "Page Setup",
                                                "Printer Setup", "Print", "Print Preview"}));
    QCOMPARE(captions.last(), QString("Exit"));
    for (const QString& caption : captions.mid(rtf, 6)) {
      QVERIFY2(!FileItem(caption)->icon().isNull(), qPrintable(caption));
      QVERIFY2(!FileItem(caption)->statusTip().isEmpty(), qPrintable(caption));
    }
    QCOMPARE(FileItem("Export to .HTML")->statusTip(), QString("Export File to .html"));
    // Export needs a page; Print and Print Preview stay enabled and do nothing without one.
    QVERIFY(!FileItem("Export to .RTF")->isEnabled());
    QVERIFY(FileItem("Print Preview")->isEnabled());
    FileItem("Print Preview")->trigger();
    QVERIFY(!Print().Preview()->isVisible());
    auto* toolbar = Window().findChild<QToolBar*>("MainToolbar");
    QVERIFY(toolbar);
    const QList<QAction*> tools = toolbar->actions();
    const qsizetype print = tools.indexOf(FileItem("Print"));
    QVERIFY(print > 0);
    QCOMPARE(tools[print + 1], FileItem("Print Preview"));
  }

  // The whole document printed to a PDF file: every page has the title in its header, its
  // number in the footer, and numbered lines; every line of the file is printed once, in order.
  void printedPdfHasHeaderFooterNumbersAndEveryLine() {
    const int lines = 150;
    const QString php = WritePhp("listing.php", lines);
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed, {php}));
    SetUpHeaderAndFooter();
    const QString pdf = home_.filePath("listing.pdf");
    Print().ExecPrintDialog = [pdf](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setPageSize(QPageSize(QPageSize::A4));
      return true;
    };
    FileItem("Print")->trigger();
    const QStringList pages = PdfText(pdf).split('\f', Qt::SkipEmptyParts);
    const int count = Print().Engine().Layout().PageCount();
    QVERIFY(count >= 3);
    QCOMPARE(pages.size(), count);
    int next = 2;  // the next statement expected, line 1 being "<?php"
    for (int p = 0; p < count; ++p) {
      const QString& page = pages[p];
      QVERIFY2(page.contains(php), qPrintable(page.left(200)));
      QVERIFY2(page.contains(QString("Page %1 of %2").arg(p + 1).arg(count)),
               qPrintable(page.right(200)));
      const QRegularExpression row(R"((\d+)\s+\$v(\d+) = 'row (\d+)';)");
      for (auto match = row.globalMatch(page); match.hasNext();) {
        const auto m = match.next();
        QCOMPARE(m.captured(1).toInt(), next);  // the line number beside its line
        QCOMPARE(m.captured(2).toInt(), next);
        ++next;
      }
    }
    QCOMPARE(next, lines + 1);
    QVERIFY(pages[0].contains(QRegularExpression(R"(\b1\s+<\?php)")));
  }

  // The preview shows the pages that printing makes, moves between them and zooms by clicks.
  void previewShowsThePrintedPages() {
    const QString php = WritePhp("preview.php", 200);
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed, {php}));
    int shownCount = 0, lastPage = 0, zoomIn = 0, zoomOut = 0;
    WithModal(
        [&](QWidget* modal) {
          auto* preview = qobject_cast<TPrintPreviewDlg*>(modal);
          QVERIFY(preview);
          QCOMPARE(preview->windowTitle(), QString("Print Preview"));
          QCOMPARE(preview->CurrentPage(), 1);
          QTRY_VERIFY(preview->LayoutDone());
          shownCount = preview->PageCount();
          preview->NextCmd->trigger();
          QCOMPARE(preview->CurrentPage(), 2);
          preview->LastCmd->trigger();
          lastPage = preview->CurrentPage();
          preview->NextCmd->trigger();  // not past the last page
          QCOMPARE(preview->CurrentPage(), lastPage);
          preview->FirstCmd->trigger();
          preview->PrevCmd->trigger();
          QCOMPARE(preview->CurrentPage(), 1);
          auto* page = preview->findChild<TPreviewPage*>();
          QVERIFY(page);
          QTest::mouseClick(page, Qt::LeftButton);  // whole page to 100 %
          QTest::mouseClick(page, Qt::LeftButton);
          QTest::mouseClick(page, Qt::LeftButton);
          QTest::mouseClick(page, Qt::LeftButton);  // capped at 400
          zoomIn = preview->Zoom().percent;
          for (int i = 0; i < 6; ++i) QTest::mouseClick(page, Qt::RightButton);
          zoomOut = preview->Zoom().percent;
          preview->CloseCmd->trigger();
        },
        [this] { FileItem("Print Preview")->trigger(); });
    TPrintEngine& engine = Print().Engine();
    engine.BeginLayout();
    engine.Layout().LayoutAll();
    QCOMPARE(shownCount, engine.Layout().PageCount());
    QCOMPARE(lastPage, shownCount);
    QCOMPARE(zoomIn, 400);
    QCOMPARE(zoomOut, 25);
  }

  void pageSetupConvertsUnitsAndRejectsBadNumbers() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed));
    QString leftInCm;
    WithModal(
        [&](QWidget* modal) {
          auto* dialog = qobject_cast<TPageSetupDlg*>(modal);
          QVERIFY(dialog);
          dialog->CBUnits->setCurrentIndex(1);  // cm
          leftInCm = dialog->MarginFields[0]->text();
          dialog->CBUnits->setCurrentIndex(0);
          dialog->MarginFields[1]->setText("17");   // right, read after left
          dialog->MarginFields[0]->setText("abc");  // left
          PressOk(dialog);                          // "Invalid number!", the dialog stays
          QVERIFY(dialog->isVisible());
          dialog->reject();
        },
        [this] { FileItem("Page Setup")->trigger(); });
    QCOMPARE(leftInCm, QString("2.5"));
    QCOMPARE(messages_, QStringList({"Invalid number!"}));
    const TPrintMargins& margins = Print().Engine().Settings().margins;
    QCOMPARE(margins.left, 25.0);
    QCOMPARE(margins.right, 15.0);  // left is read first: nothing after it changes
  }

  // A header box's two lines become two items; bold on the second line only, kept on reopening.
  void headerLinesBecomeItemsWithTheirFonts() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed));
    WithModal(
        [](QWidget* modal) {
          auto* dialog = qobject_cast<TPageSetupDlg*>(modal);
          dialog->Pages->setCurrentIndex(1);
          dialog->REHeaderLeft->setFocus();
          dialog->REHeaderLeft->setPlainText("$TITLE$\n$DATE$");
          QTextCursor caret = dialog->REHeaderLeft->textCursor();
          caret.movePosition(QTextCursor::End);
          dialog->REHeaderLeft->setTextCursor(caret);
          QTRY_VERIFY(dialog->REHeaderLeft->hasFocus());
          dialog->ToolActions[6]->trigger();  // Bold
          PressOk(dialog);
        },
        [this] { FileItem("Page Setup")->trigger(); });
    const THeaderFooter& header = Print().Engine().Settings().header;
    QCOMPARE(int(header.items.size()), 2);
    QCOMPARE(header.items[0].text, std::string("$TITLE$"));
    QCOMPARE(header.items[0].lineNumber, 1);
    QCOMPARE(header.items[0].font.style & fsBold, 0);
    QCOMPARE(header.items[1].text, std::string("$DATE$"));
    QCOMPARE(header.items[1].lineNumber, 2);
    QCOMPARE(header.items[1].font.style & fsBold, int(fsBold));
    QVERIFY(header.items[1].alignment == THFAlignment::Left);
    bool boldShown = false;
    WithModal(
        [&](QWidget* modal) {
          auto* dialog = qobject_cast<TPageSetupDlg*>(modal);
          QTextCursor second(dialog->REHeaderLeft->document()->findBlockByNumber(1));
          second.movePosition(QTextCursor::NextCharacter);
          boldShown = second.charFormat().font().bold();
          dialog->reject();
        },
        [this] { FileItem("Page Setup")->trigger(); });
    QVERIFY(boldShown);
  }
};

QTEST_MAIN(PrintTest)
#include "print_test.moc"
