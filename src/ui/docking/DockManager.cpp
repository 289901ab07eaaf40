#include "ui/docking/DockManager.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "core/config/Configuration.h"
#include "ui/docking/ToolForm.h"

namespace tervil {

namespace {
// The toolbars whose placement the configuration keeps, in the order they are restored.
const char* const kToolbarNames[] = {"MainToolbar",       "FormToolbar",   "HtmlToolbar",
                                     "AdditionalToolBar", "ToolsToolBar",  "SearchToolbar",
                                     "RunToolbar",        "ConfigToolbar", "EncodingToolbar"};

Qt::Orientation DepthOrientation(TDockArea area) {
  return area == TDockArea::Bottom ? Qt::Vertical : Qt::Horizontal;
}

int Depth(TDockArea area, const QSize& size) {
  return area == TDockArea::Bottom ? size.height() : size.width();
}

QRect AvailableScreenRect(const QPoint& near) {
  QScreen* screen = QGuiApplication::screenAt(near);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}
}  // namespace

TDockManager::TDockManager(QMainWindow* mainWindow) : QObject(mainWindow), main_(mainWindow) {
  main_->setDockOptions(QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks |
                        QMainWindow::AnimatedDocks);
  // The bottom area runs under the left and right areas.
  main_->setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
  main_->setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);
  main_->installEventFilter(this);
}

void TDockManager::AddToolWindow(TToolForm* window, const QString& defaultArea) {
  windows_ << window;
  defaultAreas_[window] = defaultArea;
  // Qt needs the window in an area before it can float it.
  main_->addDockWidget(defaultArea == "DockPanelBottom"  ? Qt::BottomDockWidgetArea
                       : defaultArea == "DockPanelRight" ? Qt::RightDockWidgetArea
                                                         : Qt::LeftDockWidgetArea,
                       window);
  window->DockTo(defaultArea);
  window->hide();
  if (config_) {
    TStoredToolWindow stored;
    RestoreToolWindow(window, *config_, stored);
    RestoreAreaSizes({stored});
  }
}

TToolForm* TDockManager::ToolWindow(const QString& name) const {
  for (TToolForm* window : windows_)
    if (window->objectName() == name) return window;
  return nullptr;
}

QAction* TDockManager::CreateShowAction(TToolForm* window, const QString& caption,
                                        const QString& shortcut, const QString& hint,
                                        const QIcon& icon) {
  auto* action = new QAction(icon, caption, main_);
  action->setObjectName("act" + window->objectName());
  if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
  action->setStatusTip(hint);
  action->setToolTip(caption);
  action->setCheckable(true);
  auto sync = [action, window] { action->setChecked(!window->isHidden()); };
  connect(action, &QAction::triggered, window, [this, window, sync] {
    ToggleToolWindow(window);
    sync();
  });
  connect(window, &QDockWidget::visibilityChanged, action, sync);
  connect(window, &TToolForm::ShownChanged, action, sync);
  sync();
  main_->addAction(action);  // the shortcut works wherever the focus is in the main window
  return action;
}

void TDockManager::ToggleToolWindow(TToolForm* window) {
  // A window tabbed behind another one of its area is raised rather than hidden.
  const bool covered = main_->isVisible() && !window->isHidden() && !window->isVisible();
  if (!window->isHidden() && !covered) {
    window->hide();
    return;
  }
  ShowToolWindow(window);
}

void TDockManager::ShowToolWindow(TToolForm* window) {
  if (!window->HasSize()) {
    window->resize(window->StartSize());
    window->MarkSized();
  }
  // The size the window had before the area's layout takes it in.
  const QSize wanted = window->size();
  window->show();
  window->raise();
  if (!window->IsDocked()) return;
  FitArea(window->Area(), window, wanted);
  // An area that was collapsed takes its first size from the layout's next pass: fit it again
  // after that.
  QTimer::singleShot(0, window, [this, window, wanted] {
    if (window->IsDocked() && !window->isHidden()) FitArea(window->Area(), window, wanted);
  });
}

QList<TToolForm*> TDockManager::DockedIn(TDockArea area, bool visibleOnly) const {
  QList<TToolForm*> result;
  for (TToolForm* window : windows_) {
    if (!window->IsDocked() || window->Area() != area) continue;
    if (visibleOnly && window->isHidden()) continue;
    result << window;
  }
  return result;
}

QRect TDockManager::AreaRect(TDockArea area) const {
  QRect rect;
  for (TToolForm* window : DockedIn(area, true))
    if (window->isVisible()) rect = rect.united(window->geometry());
  return rect;
}

void TDockManager::FitDockArea(TDockArea area, TToolForm* window) {
  FitArea(area, window, window->size());
}

void TDockManager::FitArea(TDockArea area, TToolForm* window, QSize wanted) {
  const QRect areaRect = AreaRect(area);
  std::vector<int> reaches;
  for (TToolForm* other : DockedIn(area, true)) {
    if (other == window || !other->isVisible()) continue;
    const QRect g = other->geometry();
    reaches.push_back(area == TDockArea::Bottom ? g.bottom() + 1 - areaRect.top()
                                                : g.right() + 1 - areaRect.left());
  }
  const int size =
      FittedAreaSize(Depth(area, wanted), reaches, Depth(area, window->MinimumLimits()),
                     Depth(area, window->MaximumLimits()));
  ResizeArea(area, window, size);
}

void TDockManager::ResizeArea(TDockArea area, TToolForm* window, int size) {
  if (size <= 0) return;
  // A window just shown joins the layout first; sizing it before would be undone.
  main_->layout()->activate();
  main_->resizeDocks({window}, {size}, DepthOrientation(area));
}

// ---- Placement

void TDockManager::LoadComponents(const TConfiguration& config) {
  RestoreToolbars(config);
  RestoreToolWindows(config);
  config_ = &config;
}

void TDockManager::RestoreToolWindows(const TConfiguration& config) {
  std::vector<TStoredToolWindow> stored;
  for (TToolForm* window : windows_) {
    stored.emplace_back();
    RestoreToolWindow(window, config, stored.back());
  }
  RestoreAreaSizes(stored);
}

void TDockManager::RestoreToolWindow(TToolForm* window, const TConfiguration& config,
                                     TStoredToolWindow& stored) {
  const TPlacement p = config.LoadPlacement(window->objectName().toStdString());
  const QString dock =
      p.dock ? QString::fromStdString(*p.dock) : defaultAreas_.value(window, QString());
  window->DockTo(dock);
  stored.dock = window->DockAreaName().toStdString();
  stored.visible = p.visible.value_or(false);
  stored.left = p.left.value_or(0);
  stored.top = p.top.value_or(0);
  stored.width = std::max(0, p.width.value_or(0));
  stored.height = std::max(0, p.height.value_or(0));
  if (stored.width > 0 && stored.height > 0) {
    QRect rect(stored.left, stored.top, stored.width, stored.height);
    if (!window->IsDocked()) {
      // A floating window comes back whole on the screen, even when the screen got smaller.
      const QRect screen = AvailableScreenRect(rect.center());
      const QSize min = window->MinimumLimits();
      const TRect fitted = FitOnScreen({rect.x(), rect.y(), rect.width(), rect.height()},
                                       {screen.x(), screen.y(), screen.width(), screen.height()},
                                       min.width(), min.height());
      rect = QRect(fitted.left, fitted.top, fitted.width, fitted.height);
      window->setGeometry(rect);
    } else {
      window->resize(rect.size().boundedTo(window->maximumSize()));
    }
    window->MarkSized();
  }
  window->setVisible(stored.visible);
}

void TDockManager::RestoreAreaSizes(const std::vector<TStoredToolWindow>& stored) {
  for (TDockArea area : {TDockArea::Left, TDockArea::Right, TDockArea::Bottom}) {
    const int size = RestoredAreaSize(area, stored);
    if (size > 0) pendingSizes_[static_cast<int>(area)] = size;
  }
  ApplyAreaSizes();
  // The layout gives a collapsed area its first size when the main window is laid out: the
  // stored sizes go in again after that.
  if (main_->isVisible()) QTimer::singleShot(0, this, &TDockManager::ApplyPendingSizes);
}

void TDockManager::ApplyAreaSizes() {
  for (auto [index, size] : pendingSizes_.asKeyValueRange()) {
    const auto area = static_cast<TDockArea>(index);
    QList<QDockWidget*> docked;
    for (TToolForm* window : DockedIn(area, true)) docked << window;
    if (!docked.isEmpty())
      main_->resizeDocks(docked, QList<int>(docked.size(), size), DepthOrientation(area));
  }
}

void TDockManager::ApplyPendingSizes() {
  ApplyAreaSizes();
  pendingSizes_.clear();
}

bool TDockManager::eventFilter(QObject* watched, QEvent* event) {
  if (watched != main_ || event->type() != QEvent::Show)
    return QObject::eventFilter(watched, event);
  if (!pendingSizes_.isEmpty()) QTimer::singleShot(0, this, &TDockManager::ApplyPendingSizes);
  // Floating windows restored before the main window appeared go above it.
  QTimer::singleShot(0, this, [this] {
    for (TToolForm* window : windows_)
      if (window->isFloating() && !window->isHidden()) window->raise();
  });
  return QObject::eventFilter(watched, event);
}

void TDockManager::SaveComponents(TConfiguration& config) const {
  for (const auto& [key, placement] : keptForExit_ ? *keptForExit_ : Placements())
    config.SavePlacement(key, placement);
}

void TDockManager::KeepPlacementsForExit() {
  if (!keptForExit_) keptForExit_ = Placements();
}

std::vector<std::pair<std::string, TPlacement>> TDockManager::Placements() const {
  std::vector<std::pair<std::string, TPlacement>> placements;
  for (QToolBar* bar : Toolbars()) {
    TPlacement p;
    p.visible = !bar->isHidden();
    p.left = bar->x();
    p.top = bar->y();
    placements.emplace_back(bar->objectName().toStdString(), p);
  }
  for (TToolForm* window : windows_)
    placements.emplace_back(window->objectName().toStdString(), ToolWindowPlacement(window));
  return placements;
}

TPlacement TDockManager::ToolWindowPlacement(TToolForm* window) const {
  TPlacement p;
  p.visible = !window->isHidden();
  p.dock = window->DockAreaName().toStdString();
  if (window->HasSize()) {
    QRect rect = window->geometry();
    if (window->IsDocked()) {
      // Docked windows keep their place inside the area.
      const QRect area = AreaRect(window->Area());
      const QPoint origin = area.isValid() && window->isVisible() ? area.topLeft() : rect.topLeft();
      rect.translate(-origin);
    }
    p.left = rect.x();
    p.top = rect.y();
    p.width = rect.width();
    p.height = rect.height();
  }
  return p;
}

QList<QToolBar*> TDockManager::Toolbars() const {
  QList<QToolBar*> bars;
  for (const char* name : kToolbarNames)
    if (auto* bar = main_->findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly)) bars << bar;
  return bars;
}

// Toolbars dock only on the top bar. Stored ones come back in rows by their stored top edge,
// each row ordered by the stored left edge; the others follow in their present order.
void TDockManager::RestoreToolbars(const TConfiguration& config) {
  struct Stored {
    QToolBar* bar;
    int top, left;
  };
  std::vector<Stored> placed;
  QList<QToolBar*> rest;
  for (QToolBar* bar : main_->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
    bar->setAllowedAreas(Qt::TopToolBarArea);
  for (QToolBar* bar : Toolbars()) {
    const TPlacement p = config.LoadPlacement(bar->objectName().toStdString());
    if (p.visible) bar->setVisible(*p.visible);
    if (p.left && p.top)
      placed.push_back({bar, *p.top, *p.left});
    else
      rest << bar;
  }
  if (placed.empty()) return;
  std::stable_sort(placed.begin(), placed.end(), [](const Stored& a, const Stored& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  for (size_t i = 0; i < placed.size(); ++i) {
    if (i > 0 && placed[i].top != placed[i - 1].top) main_->addToolBarBreak(Qt::TopToolBarArea);
    main_->addToolBar(Qt::TopToolBarArea, placed[i].bar);
  }
  for (QToolBar* bar : rest) main_->addToolBar(Qt::TopToolBarArea, bar);
}

}  // namespace tervil
