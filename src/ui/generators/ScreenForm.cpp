#include "ui/generators/ScreenForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QToolTip>

#include "core/generators/ColorList.h"

namespace tervil {

namespace {

constexpr int kHintMs = 5000;
const QPoint kHintOffset(16, -16);

QImage GrabPrimaryScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return screen->grabWindow(0).toImage();
}

}  // namespace

TScreenForm::TScreenForm(QWidget* parent, QImage screenPicture)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      screen_(screenPicture.isNull() ? GrabPrimaryScreen() : std::move(screenPicture)) {
  setObjectName("ScreenForm");
  setModal(true);
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  if (!screen_.isNull()) screen_ = screen_.convertToFormat(QImage::Format_RGB32);
}

TColor TScreenForm::ColorAt(QPoint point) const {
  if (screen_.isNull()) return 0;
  // The picture may be larger than the window on a scaled screen.
  const qreal scaleX = static_cast<qreal>(screen_.width()) / std::max(1, width());
  const qreal scaleY = static_cast<qreal>(screen_.height()) / std::max(1, height());
  const int x = std::clamp(static_cast<int>(point.x() * scaleX), 0, screen_.width() - 1);
  const int y = std::clamp(static_cast<int>(point.y() * scaleY), 0, screen_.height() - 1);
  const QRgb rgb = screen_.pixel(x, y);
  return MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void TScreenForm::Track(QPoint point, QPoint globalPoint) {
  picked_ = ColorAt(point);
  emit ColorChanged(picked_);
  if (live_) update(QRect(mapFromGlobal(live_->mapToGlobal(QPoint(0, 0))), live_->size()));
  const std::string hint = ScreenPickerHint(kScreenPickerHint, picked_);
  QToolTip::showText(globalPoint + kHintOffset, QString::fromStdString(hint).replace('\r', '\n'),
                     this, {}, kHintMs);
}

void TScreenForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (screen_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(rect(), screen_);
  if (live_ && live_->isVisible())
    painter.drawPixmap(mapFromGlobal(live_->mapToGlobal(QPoint(0, 0))), live_->grab());
}

void TScreenForm::mouseMoveEvent(QMouseEvent* event) {
  Track(event->position().toPoint(), event->globalPosition().toPoint());
}

void TScreenForm::mouseReleaseEvent(QMouseEvent* event) {
  Track(event->position().toPoint(), event->globalPosition().toPoint());
  QToolTip::hideText();
  accept();
}

void TScreenForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape ||
      (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
    QToolTip::hideText();
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TScreenForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  activateWindow();
  grabKeyboard();
}

}  // namespace tervil
