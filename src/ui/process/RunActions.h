#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "core/process/RunCommands.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;

namespace tervil {

class TConsole;
class TToolForm;
class TTervilMain;
class TTvlPage;

// Run and Execute: hands the current page to an external program, in the console (Run) or in
// a window of its own (Execute), with the page's program (`RunWith`) and parameters
// (`RunParams`). Owns the Project menu, the Run toolbar, their actions and the console window.
class TRunActions : public QObject {
  Q_OBJECT
 public:
  // The menu item of Execute With that opens a page in the desktop's default browser.
  static constexpr const char* kBrowserItem = "Default Browser";
  static constexpr const char* kBrowserPrefix = "xdg-open";

  // Adds the Project menu before `beforeMenu` and the Console and Run toolbar toggles to
  // `viewMenu`.
  TRunActions(TTervilMain& main, QMenu* viewMenu, QMenu* beforeMenu);

  void RunInConsole(const QString& prefix);
  void ExecuteExternally(const QString& prefix);
  // Fills a Run With (execute false) or Execute With (execute true) menu.
  void BuildRunMenu(QMenu* menu, bool execute);
  void EditParameters();
  // The update rules of the run commands.
  void UpdateActions();
  // Stops a program still running in the console (when the main window goes away).
  void StopConsole();
  bool Running() const;

  TConsole* Console = nullptr;
  TToolForm* ConsoleDock = nullptr;
  QMenu* ProjectMenu = nullptr;
  QMenu* RunWithMenu = nullptr;
  QMenu* ExecuteWithMenu = nullptr;
  QMenu* RunPopupMenu = nullptr;
  QMenu* ExecutePopupMenu = nullptr;
  QToolBar* RunToolbar = nullptr;
  QAction* actRun = nullptr;
  QAction* actRunExternal = nullptr;
  QAction* actParameters = nullptr;
  QAction* actRunToolButton = nullptr;
  QAction* actRunToolButtonExternal = nullptr;
  QAction* actConsole = nullptr;
  QAction* actRunToolbar = nullptr;
  // The Parameters dialog's history, newest first, for as long as the program runs.
  QStringList ParameterHistory;

 private:
  void CreateActions();
  void CreateMenus(QMenu* viewMenu, QMenu* beforeMenu);
  void CreateConsole();
  // The programs a page can be run with. Finding PHP on the search path costs a file check per
  // folder, and the actions' state asks on every keystroke: the answer is kept for a few seconds
  // unless the configured programs or the search path change.
  const TRunPrograms& Programs() const;
  // Writes the page's text to a new temporary copy; returns its path, or "" when the write was
  // refused. `folder` receives the copy's folder.
  QString WriteCopy(TTvlPage* page, bool forBrowser, QString& folder);
  void RunToolButtonClick();
  void ExecuteToolButtonClick();
  void PopupUnder(QMenu* menu, QAction* action);
  void ShowConsole();
  void RefreshRunState();
  void GoToError(const QString& file, int line, bool runPage);

  TTervilMain& main_;
  QPointer<TTvlPage> runPage_;  // the page of the current or last console run
  unsigned runGeneration_ = 0;
  struct TProgramsCache {
    std::string PhpPath;
    QByteArray SearchPath;
    std::vector<std::string> Applications;
    std::optional<TRunPrograms> Programs;
    QElapsedTimer Age;
  };
  mutable TProgramsCache programs_;
};

}  // namespace tervil
