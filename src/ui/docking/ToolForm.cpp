#include "ui/docking/ToolForm.h"

#include <QMainWindow>
#include <algorithm>

#include "ui/docking/CaptionStrip.h"

namespace tervil {

namespace {
Qt::DockWidgetArea QtArea(TDockArea area) {
  switch (area) {
    case TDockArea::Left:
      return Qt::LeftDockWidgetArea;
    case TDockArea::Right:
      return Qt::RightDockWidgetArea;
    case TDockArea::Bottom:
      return Qt::BottomDockWidgetArea;
  }
  return Qt::LeftDockWidgetArea;
}
}  // namespace

TToolForm::TToolForm(const QString& caption, const QString& name, QMainWindow* mainWindow)
    : QDockWidget(caption, mainWindow), main_(mainWindow), strip_(new TCaptionStrip(this)) {
  setObjectName(name);
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
  setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
  setTitleBarWidget(strip_);
  connect(this, &QDockWidget::topLevelChanged, this, [this] {
    ApplyLimits();
    emit DockChanged();
  });
  connect(this, &QDockWidget::dockLocationChanged, this, [this] {
    ApplyLimits();
    emit DockChanged();
  });
}

void TToolForm::SetSizeLimits(int minWidth, int maxWidth, int minHeight, int maxHeight) {
  min_ = {minWidth, minHeight};
  max_ = {maxWidth, maxHeight};
  ApplyLimits();
}

// The window's own limits; docked, the area's depth limit too. The caption strip runs along the
// left edge in the bottom area.
void TToolForm::ApplyLimits() {
  QSize max = max_;
  const bool bottom = IsDocked() && Area() == TDockArea::Bottom;
  if (IsDocked()) {
    if (bottom)
      max.setHeight(std::min(max.height(), kDockAreaMaxSize));
    else
      max.setWidth(std::min(max.width(), kDockAreaMaxSize));
  }
  setFeature(DockWidgetVerticalTitleBar, bottom);
  setMinimumSize(min_.boundedTo(max));
  setMaximumSize(max);
  strip_->update();
}

void TToolForm::setFeature(DockWidgetFeature feature, bool on) {
  DockWidgetFeatures f = features();
  f.setFlag(feature, on);
  if (f != features()) setFeatures(f);
}

bool TToolForm::IsDocked() const {
  return !isFloating() &&
         main_->dockWidgetArea(const_cast<TToolForm*>(this)) != Qt::NoDockWidgetArea;
}

TDockArea TToolForm::Area() const {
  switch (main_->dockWidgetArea(const_cast<TToolForm*>(this))) {
    case Qt::RightDockWidgetArea:
      return TDockArea::Right;
    case Qt::BottomDockWidgetArea:
      return TDockArea::Bottom;
    default:
      return TDockArea::Left;
  }
}

QString TToolForm::DockAreaName() const {
  if (!IsDocked()) return {};
  return QString::fromStdString(tervil::DockAreaName(Area()));
}

void TToolForm::DockTo(const QString& area) {
  TDockArea target = TDockArea::Left;
  switch (DockTargetOfName(area.toStdString())) {
    case TDockTarget::Nothing:
      return;
    case TDockTarget::Float:
      if (!isFloating()) setFloating(true);
      return;
    case TDockTarget::Left:
      target = TDockArea::Left;
      break;
    case TDockTarget::Right:
      target = TDockArea::Right;
      break;
    case TDockTarget::Bottom:
      target = TDockArea::Bottom;
      break;
  }
  if (IsDocked() && Area() == target) return;
  main_->addDockWidget(QtArea(target), this,
                       target == TDockArea::Bottom ? Qt::Horizontal : Qt::Vertical);
  setFloating(false);
  ApplyLimits();
  emit DockChanged();
}

void TToolForm::setVisible(bool visible) {
  const bool wasHidden = isHidden();
  QDockWidget::setVisible(visible);
  if (wasHidden != isHidden()) emit ShownChanged(!isHidden());
}

void TToolForm::showEvent(QShowEvent* event) {
  hasSize_ = true;
  QDockWidget::showEvent(event);
}

}  // namespace tervil
