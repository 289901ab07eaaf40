#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/config/Configuration.h"
#include "core/docking/DockRules.h"

class QAction;
class QIcon;
class QMainWindow;
class QToolBar;

namespace tervil {

class TToolForm;

// The three dock areas of the main window (left, right, bottom) and the tool windows that use
// them: registration, the show commands, FitDockArea, and the placement of the tool windows and
// toolbars in the active configuration. How a tool window uses it is described in ToolForm.h.
//
// The areas are Qt's own dock areas: an area without a visible window takes no room, it opens
// while a window is dragged over it, and the separators between an area and the editors resize
// it live. Floating windows are tool windows of the main window and stay above it. Toolbars dock
// only on the top bar.
class TDockManager : public QObject {
  Q_OBJECT
 public:
  explicit TDockManager(QMainWindow* mainWindow);

  // Adds a tool window to the main window, docked in `defaultArea` ("" floats it) and hidden.
  // When the placements have been loaded already, the window's stored placement applies at once.
  void AddToolWindow(TToolForm* window, const QString& defaultArea);
  const QList<TToolForm*>& ToolWindows() const { return windows_; }
  TToolForm* ToolWindow(const QString& name) const;

  // A checkable action that runs ToggleToolWindow and is checked while the window is shown.
  QAction* CreateShowAction(TToolForm* window, const QString& caption, const QString& shortcut,
                            const QString& hint, const QIcon& icon);
  // The show command: hides a visible window, otherwise shows it (ShowToolWindow).
  void ToggleToolWindow(TToolForm* window);
  // Gives the window its start size when it has none, opens its dock area to fit it when it is
  // docked, and shows it.
  void ShowToolWindow(TToolForm* window);

  // Makes `area` at least as deep as `window` and as its visible windows reach, within the
  // limits of the area and of the window.
  void FitDockArea(TDockArea area, TToolForm* window);
  // The rectangle (in the main window) covered by the visible windows docked in `area`; empty
  // when the area is collapsed.
  QRect AreaRect(TDockArea area) const;

  // Reads the placement of the toolbars and tool windows from `config` (loadComponents) and
  // keeps `config` for tool windows registered later.
  void LoadComponents(const TConfiguration& config);
  // Writes the placement of the toolbars and tool windows to `config` (saveComponents): as they
  // are, or as KeepPlacementsForExit found them.
  void SaveComponents(TConfiguration& config) const;
  // Takes the placements as they are now for the SaveComponents at exit. The end of the program
  // hides windows before the placements are written: the application closes every window of its
  // own when it quits, a floating tool window too, and a desktop session may close them first.
  void KeepPlacementsForExit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RestoreToolWindows(const TConfiguration& config);
  void RestoreToolWindow(TToolForm* window, const TConfiguration& config,
                         TStoredToolWindow& stored);
  void RestoreAreaSizes(const std::vector<TStoredToolWindow>& stored);
  void ApplyAreaSizes();
  void ApplyPendingSizes();
  void RestoreToolbars(const TConfiguration& config);
  // The placements to write, by key: the toolbars' and the tool windows'.
  std::vector<std::pair<std::string, TPlacement>> Placements() const;
  TPlacement ToolWindowPlacement(TToolForm* window) const;
  QList<QToolBar*> Toolbars() const;
  QList<TToolForm*> DockedIn(TDockArea area, bool visibleOnly) const;
  void FitArea(TDockArea area, TToolForm* window, QSize wanted);
  void ResizeArea(TDockArea area, TToolForm* window, int size);

  QMainWindow* main_;
  QList<TToolForm*> windows_;
  QHash<TToolForm*, QString> defaultAreas_;
  const TConfiguration* config_ = nullptr;  // set once the placements were loaded
  QMap<int, int> pendingSizes_;  // restored area sizes by TDockArea, until the first layout
  std::optional<std::vector<std::pair<std::string, TPlacement>>> keptForExit_;
};

}  // namespace tervil
