#pragma once

// Tool windows: windows that float above the main window or sit in one of its three dock areas
// (left, right, bottom), with a painted caption strip and a close box.
//
// How to make a tool window (for example the console):
//
//   1. Derive from TToolForm (or use it as it is) and give it its content:
//        auto* console = new TToolForm(tr("Console"), "Console", mainWindow);
//        console->setWidget(myConsoleWidget);          // any QWidget
//        console->SetSizeLimits(100, QWIDGETSIZE_MAX, 100, 400);
//        console->SetStartSize(QSize(200, 200));       // size the show command gives a window
//                                                      // that was never sized
//      The second argument is the placement key of the settings ("HtmlEditor", "CssEditor",
//      "Console", "CodeInspector") and the object name.
//   2. Register it with the main window's dock manager, naming the area it goes to when no
//      placement is stored ("DockPanelLeft", "DockPanelRight", "DockPanelBottom" or "" to float):
//        DockManager()->AddToolWindow(console, "DockPanelBottom");
//      From then on its placement (visible, left, top, width, height, dock) is restored from the
//      active configuration (at once, when the window registers after start-up) and saved at exit
//      and by TDockManager::SaveComponents.
//   3. Its show command, with the check mark that follows the window's visibility:
//        actConsole = DockManager()->CreateShowAction(console, tr("Console"), "Ctrl+Alt+C",
//                                                     tr("Show or hide the console"), icon);
//        viewMenu->addAction(actConsole);  // and a toolbar, if it has a button
//      The action hides a visible window, otherwise gives it its start size when it has none,
//      opens its dock area (FitDockArea) and shows it. A command that only ever shows (the PHP
//      analyser) calls DockManager()->ShowToolWindow(window) instead.
//   4. The main window's "Enable controls / disable controls" use setEnabled on the content.

#include <QDockWidget>
#include <QSize>

#include "core/docking/DockRules.h"

class QMainWindow;

namespace tervil {

class TCaptionStrip;

class TToolForm : public QDockWidget {
  Q_OBJECT
 public:
  // `name` is the window's placement key and object name.
  TToolForm(const QString& caption, const QString& name, QMainWindow* mainWindow);

  // The window's own size limits (QWIDGETSIZE_MAX for none). Docked in an area, its depth is
  // also limited to that area's largest size.
  void SetSizeLimits(int minWidth, int maxWidth, int minHeight, int maxHeight);
  QSize MinimumLimits() const { return min_; }
  QSize MaximumLimits() const { return max_; }
  void SetStartSize(QSize size) { startSize_ = size; }
  QSize StartSize() const { return startSize_; }
  // Whether the window has a size: it was shown, or a size was restored.
  bool HasSize() const { return hasSize_; }
  void MarkSized() { hasSize_ = true; }

  // Docks the window into the area that `area` names or floats it (see DockTargetOfName); an
  // area name the window is already docked in, or an unknown name, changes nothing.
  void DockTo(const QString& area);
  // The area name of the area holding the window, or "" when it floats.
  QString DockAreaName() const;
  // Whether the window sits in one of the main window's dock areas.
  bool IsDocked() const;
  // The dock area holding the window (only meaningful when docked).
  TDockArea Area() const;

  TCaptionStrip* CaptionStrip() const { return strip_; }

  // Also tells ShownChanged: a window shown or hidden while the main window is not on the screen
  // gets no visibility change from Qt.
  void setVisible(bool visible) override;

 signals:
  // The window was shown or hidden (its check mark follows).
  void ShownChanged(bool shown);
  // Docked into an area or made floating (by dragging or DockTo).
  void DockChanged();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ApplyLimits();
  void setFeature(DockWidgetFeature feature, bool on);

  QMainWindow* main_;
  TCaptionStrip* strip_;
  QSize min_{0, 0};
  QSize max_{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
  QSize startSize_{200, 200};
  bool hasSize_ = false;
};

}  // namespace tervil
