#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QPrinter;

namespace tervil {

class TTervilMain;
class TPrintEngine;
class TPrintPreviewDlg;
class TPageSetupDlg;

// File > "Export to .RTF", "Export to .HTML", "Page Setup", "Printer Setup", "Print" and "Print
// Preview", with Print and Print Preview on the main toolbar. The print engine, the page setup
// dialog and the preview window live as long as the main window.
class TPrintActions : public QObject {
  Q_OBJECT
 public:
  explicit TPrintActions(TTervilMain& main);
  ~TPrintActions() override;

  TPrintEngine& Engine() { return *engine_; }
  TPrintPreviewDlg* Preview() const { return preview_; }
  TPageSetupDlg* PageSetupDialog() const { return pageSetup_; }

  // The export save dialog ("Export file as"): the chosen name or "" when cancelled. Tests
  // answer it without a display.
  std::function<QString(const QString& directory, const QString& fileName, const QString& filter)>
      ChooseExportFile;
  // The system's print dialog on the engine's printer: true on OK. Tests choose a PDF file.
  std::function<bool(QPrinter& printer)> ExecPrintDialog;

  void UpdateActions();

  QAction* Exporttortf1 = nullptr;
  QAction* ExporttoHTML1 = nullptr;
  QAction* PageSetup1 = nullptr;
  QAction* PrinterSetup1 = nullptr;
  QAction* actPrint = nullptr;
  QAction* actPrintPreview = nullptr;

 private:
  void ExportClick(int tag);
  void PageSetup1Click();
  void PrinterSetup1Click();
  void actPrintExecute();
  void actPrintPreviewExecute();
  bool PrepareEngine();
  void PlaceActions();

  TTervilMain& main_;
  std::unique_ptr<TPrintEngine> engine_;
  TPrintPreviewDlg* preview_ = nullptr;
  TPageSetupDlg* pageSetup_ = nullptr;
};

}  // namespace tervil
