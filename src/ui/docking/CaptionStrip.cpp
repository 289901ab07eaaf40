#include "ui/docking/CaptionStrip.h"

#include <QDockWidget>
#include <QMouseEvent>
#include <QPainter>

#include "core/docking/DockRules.h"

namespace tervil {

namespace {
QColor ToQColor(TColor c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
}  // namespace

TCaptionStrip::TCaptionStrip(QDockWidget* dock) : QWidget(dock), dock_(dock) {
  setObjectName("CaptionStrip");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TCaptionStrip::Vertical() const {
  return dock_->features().testFlag(QDockWidget::DockWidgetVerticalTitleBar);
}

QSize TCaptionStrip::sizeHint() const {
  return {kGrabberSize, kGrabberSize};
}

QSize TCaptionStrip::minimumSizeHint() const {
  return sizeHint();
}

QRect TCaptionStrip::CloseBox() const {
  // From 1 pixel inside the strip's corner to 3 pixels short of the strip's thickness.
  const int side = kGrabberSize - 3 - 1;
  if (Vertical()) return {1, 1, side, side};
  return {width() - kGrabberSize + 1, 1, side, side};
}

void TCaptionStrip::PaintShading(QPainter& painter) const {
  const bool vertical = Vertical();
  const int n = (vertical ? width() : height()) - 2;  // inside the one-pixel border
  for (int i = 0; i < n; ++i) {
    painter.setPen(ToQColor(ShadeStep(kStripShadeStart, kStripShadeEnd, i, n)));
    if (vertical)
      painter.drawLine(1 + i, 1, 1 + i, height() - 2);
    else
      painter.drawLine(1, 1 + i, width() - 2, 1 + i);
  }
}

void TCaptionStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), pal.color(QPalette::Button));
  PaintShading(painter);
  painter.setPen(pal.color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const QRect box = CloseBox();
  painter.drawRect(box);
  painter.drawLine(box.topLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomLeft());

  painter.setPen(pal.color(QPalette::ButtonText));
  painter.setFont(dock_->font());
  const QString caption = dock_->windowTitle();
  if (Vertical()) {
    // Turned by 90 degrees, reading upwards from 5 pixels above the bottom.
    painter.translate(1, height() - 5);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, height() - 5 - kGrabberSize, width() - 2),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
  } else {
    painter.drawText(QRect(3, 1, width() - 3 - kGrabberSize, height() - 2),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
  }
}

void TCaptionStrip::mousePressEvent(QMouseEvent* event) {
  pressedOnClose_ = event->button() == Qt::LeftButton && CloseBox().contains(event->pos());
  if (!pressedOnClose_) event->ignore();  // the dock widget starts its drag
}

void TCaptionStrip::mouseReleaseEvent(QMouseEvent* event) {
  const bool close = pressedOnClose_ && CloseBox().contains(event->pos());
  pressedOnClose_ = false;
  if (close)
    dock_->close();
  else
    event->ignore();
}

}  // namespace tervil
