#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>

#include "core/common/Color.h"

namespace tervil {

// `TScreenForm`: a borderless, topmost window over the whole screen that shows the screen as it
// was when picking began and reports the colour of the pixel under the pointer as it moves.
// Releasing a mouse button accepts the colour there; Esc, or a key with Alt or Ctrl, cancels.
class TScreenForm : public QDialog {
  Q_OBJECT
 public:
  // Takes the picture of the primary screen; `screenPicture` replaces it (tests).
  explicit TScreenForm(QWidget* parent = nullptr, QImage screenPicture = {});

  TColor ColorAt(QPoint point) const;
  // A window drawn as it is now over the picture (the picker dialog with its live preview).
  void SetLiveWidget(QWidget* widget) { live_ = widget; }
  // The colour accepted last (valid after exec() returned Accepted).
  TColor PickedColor() const { return picked_; }

 signals:
  void ColorChanged(TColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Track(QPoint point, QPoint globalPoint);

  QImage screen_;
  QPointer<QWidget> live_;
  TColor picked_ = 0;
};

}  // namespace tervil
