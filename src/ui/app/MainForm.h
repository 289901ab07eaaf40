#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/app/ReferenceData.h"
#include "core/app/ResourceStrings.h"
#include "core/config/Configuration.h"

class QTabWidget;

namespace tervil {

class TStatusPanels;

// The main window: owns the configuration, the two page controls, the status bar and the
// dock areas of the tool windows.
class TTervilMain : public QMainWindow {
  Q_OBJECT
 public:
  // `arguments` are the absolute paths given on the command line; `dataDir` holds the
  // reference data files.
  TTervilMain(TSettingsStore& store, const QStringList& arguments, const QString& dataDir,
              QWidget* parent = nullptr);
  ~TTervilMain() override;

  // Shows the window maximized, its normal bounds the screen's work area at (0, 0), and then
  // reports whatever start-up could not read.
  void ShowAtStart();

  // Opens a document in a page (as the Open command does).
  void OpenFile(const QString& fileName, bool forceReadOnly);

  // The receiving side of the single-instance hand-over.
  void HandOverPath(const QString& path);
  void BringToFront();

  QString Message(const char* key) const;

  TConfiguration& Configuration() { return *configuration_; }
  TStatusPanels* StatusPanels() const { return statusPanels_; }
  const QStringList& StartupErrors() const { return startupErrors_; }
  const std::vector<TEntityItem>& EntityItems() const { return entityItems_; }

  QString LastOpenedFile;
  bool ReloadAfterChange = true;
  QStringList ReopenList;
  bool RunInProgress = false;

 signals:
  // Raised for every document the window is asked to open.
  void OpenFileRequested(const QString& fileName, bool forceReadOnly);

 private:
  void FormCreate(const QStringList& arguments);
  void FormDestroy();
  void CreateEditorPanel();
  void CreateDockAreas();
  void ReadReferenceData();
  void ReportStartupErrors();

  TSettingsStore& store_;
  QString dataDir_;
  TResourceStrings ResourceStrings1;
  std::unique_ptr<TConfiguration> configuration_;
  TStatusPanels* statusPanels_ = nullptr;
  QWidget* EditorPanel = nullptr;
  QTabWidget* PageControl = nullptr;
  QTabWidget* SplitPageControl = nullptr;
  std::vector<TEntityItem> entityItems_;
  TCompletionLists completionLists_;
  QStringList startupErrors_;
  bool destroyed_ = false;
};

}  // namespace tervil
