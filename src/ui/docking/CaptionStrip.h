#pragma once

#include <QWidget>

class QDockWidget;

namespace tervil {

// The caption strip of a tool window (the title bar of its dock widget): a 16-pixel band shaded
// from RGB (205, 199, 188) to RGB (238, 238, 238) with the window's caption and a close box.
// Along the top of the window, or along its left edge with the caption turned by 90 degrees when
// the dock widget has a vertical title bar (the bottom area). Presses outside the close box go on
// to the dock widget, which drags the window.
class TCaptionStrip : public QWidget {
  Q_OBJECT
 public:
  explicit TCaptionStrip(QDockWidget* dock);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The close box in the strip's coordinates.
  QRect CloseBox() const;
  bool Vertical() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintShading(class QPainter& painter) const;
  QDockWidget* dock_;
  bool pressedOnClose_ = false;
};

}  // namespace tervil
