#include "ui/printing/PrintActions.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>

#include "core/editcomponent/ExporterHtml.h"
#include "core/editcomponent/ExporterRtf.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editcomponent/ExporterSetup.h"
#include "ui/editor/TvlEdit.h"
#include "ui/printing/PageSetupDlg.h"
#include "ui/printing/PrintEngine.h"
#include "ui/printing/PrintPreview.h"

namespace tervil {

namespace {

// "Description (*.a;*.b)|*.a;*.b" as a Qt filter: "Description (*.a *.b)".
QString QtFilter(const std::string& filter) {
  const QString text = QString::fromStdString(filter);
  const QString description = text.section('|', 0, 0);
  const QString patterns = text.section('|', 1).replace(';', ' ');
  return description.section('(', 0, 0) + "(" + patterns + ")";
}

QAction* Make(QObject* owner, const QString& icon, const QString& caption, const QString& hint) {
  // A theme name with a fallback after a comma.
  const QIcon picture =
      QIcon::fromTheme(icon.section(',', 0, 0), QIcon::fromTheme(icon.section(',', 1, 1)));
  auto* action = new QAction(picture, caption, owner);
  action->setToolTip(hint.section('|', 0, 0));
  action->setStatusTip(hint.section('|', -1));
  return action;
}

}  // namespace

TPrintActions::TPrintActions(TTervilMain& main)
    : QObject(&main), main_(main), engine_(std::make_unique<TPrintEngine>()) {
  ChooseExportFile = [this](const QString& directory, const QString& fileName,
                            const QString& filter) {
    QFileDialog dialog(&main_, tr("Export file as"), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(fileName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  };
  ExecPrintDialog = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, &main_);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
  };

  Exporttortf1 = Make(this, "text-rtf", tr("Export to .RTF"), tr("Export File to .rtf"));
  ExporttoHTML1 = Make(this, "text-html", tr("Export to .HTML"), tr("Export File to .html"));
  PageSetup1 = Make(this, "document-page-setup,page-simple", tr("Page Setup"),
                    tr("Page Setup|Margins, header and footer of printed pages"));
  PrinterSetup1 = Make(this, "printer", tr("Printer Setup"),
                       tr("Printer Setup|Choose the printer and its paper"));
  actPrint = Make(this, "document-print", tr("Print"), tr("Print|Print the current document"));
  actPrintPreview = Make(this, "document-print-preview", tr("Print Preview"),
                         tr("Print Preview|Show the printed pages of the current document"));
  connect(Exporttortf1, &QAction::triggered, this, [this] { ExportClick(1); });
  connect(ExporttoHTML1, &QAction::triggered, this, [this] { ExportClick(2); });
  connect(PageSetup1, &QAction::triggered, this, &TPrintActions::PageSetup1Click);
  connect(PrinterSetup1, &QAction::triggered, this, &TPrintActions::PrinterSetup1Click);
  connect(actPrint, &QAction::triggered, this, &TPrintActions::actPrintExecute);
  connect(actPrintPreview, &QAction::triggered, this, &TPrintActions::actPrintPreviewExecute);

  // Without a printer, printing goes to a PDF file.
  if (QPrinterInfo::availablePrinterNames().isEmpty())
    engine_->Printer().setOutputFormat(QPrinter::PdfFormat);
  pageSetup_ = new TPageSetupDlg(engine_->Settings(), &main_);
  preview_ = new TPrintPreviewDlg(*engine_, &main_);
  preview_->PrintHandler = [this] { engine_->Print(preview_); };

  PlaceActions();
  connect(&main_, &TTervilMain::StatusRefreshed, this, &TPrintActions::UpdateActions);
  UpdateActions();
}

TPrintActions::~TPrintActions() = default;

// In the File menu after "Close All", before "Exit"; Print and Print Preview on the main
// toolbar after "Save All".
void TPrintActions::PlaceActions() {
  QMenu* file = MenuNamed(main_.menuBar(), tr("&File"), tr("&Edit"));
  QAction* exit = nullptr;
  for (QAction* item : file->actions())
    if (item->text() == tr("Exit")) exit = item;
  QAction* separator = file->insertSeparator(exit);
  file->insertActions(separator, {Exporttortf1, ExporttoHTML1});
  file->insertSeparator(separator);
  file->insertActions(separator, {PageSetup1, PrinterSetup1, actPrint, actPrintPreview});
  connect(file, &QMenu::aboutToShow, this, &TPrintActions::UpdateActions);

  if (auto* toolbar = main_.findChild<QToolBar*>("MainToolbar")) {
    const QList<QAction*> items = toolbar->actions();
    QAction* before = nullptr;
    for (int i = 0; i < items.size(); ++i)
      if (items[i]->text() == tr("Save All") && i + 1 < items.size()) before = items[i + 1];
    toolbar->insertActions(before, {actPrint, actPrintPreview});
  }
  main_.addActions({actPrint, actPrintPreview});
}

// Export needs a page; Print and Print Preview are always enabled and do nothing without one.
void TPrintActions::UpdateActions() {
  const bool page = main_.CurrentPage() != nullptr;
  Exporttortf1->setEnabled(page);
  ExporttoHTML1->setEnabled(page);
}

void TPrintActions::ExportClick(int tag) {
  TTvlPage* page = main_.CurrentPage();
  if (!page) return;
  TExporterRTF rtf;
  TExporterHTML html;
  TExporter& exporter = tag == 1 ? static_cast<TExporter&>(rtf) : html;
  const QString fullName = page->Filename();
  const QFileInfo info(fullName);
  // The proposed name is the page's name without its extension (from the last dot).
  QString proposed = fullName;
  const int dot = proposed.lastIndexOf('.');
  if (dot > proposed.lastIndexOf('/')) proposed.truncate(dot);
  const QString folder = fullName.contains('/') ? info.absolutePath() : QDir::homePath();
  QString chosen = ChooseExportFile(folder, proposed, QtFilter(exporter.DefaultFilter()));
  if (chosen.isEmpty()) return;
  if (QFileInfo(chosen).suffix().isEmpty()) chosen += tag == 1 ? ".rtf" : ".html";
  TTvlEdit& editor = *page->TvlEdit();
  SetUpExporter(exporter, editor, fullName.toStdString());
  exporter.SetExportAsFragment(false);
  exporter.ExportAll(editor.Model());
  exporter.SaveToFile(chosen.toStdString());  // a failed write reaches the error display
}

void TPrintActions::PageSetup1Click() {
  pageSetup_->LoadFromSettings();
  pageSetup_->exec();  // OK writes the values back
}

void TPrintActions::PrinterSetup1Click() {
  QPageSetupDialog dialog(&engine_->Printer(), &main_);
  dialog.exec();
}

bool TPrintActions::PrepareEngine() {
  TTvlPage* page = main_.CurrentPage();
  if (!page) return false;
  engine_->Prepare(*page->TvlEdit(), page->Filename());
  return true;
}

void TPrintActions::actPrintExecute() {
  if (!main_.CurrentPage()) return;
  QPrinter& printer = engine_->Printer();
  if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
    const QFileInfo info(main_.CurrentPage()->Filename());
    const QString folder = info.filePath().contains('/') ? info.absolutePath() : QDir::homePath();
    printer.setOutputFileName(folder + "/" + info.completeBaseName() + ".pdf");
  }
  if (!ExecPrintDialog(printer)) return;
  if (!PrepareEngine()) return;
  engine_->Print(&main_);
}

void TPrintActions::actPrintPreviewExecute() {
  if (!PrepareEngine()) return;
  preview_->Restart();
  preview_->exec();
}

}  // namespace tervil
