#include "ui/app/StatusPanels.h"

#include <QLabel>
#include <QMouseEvent>

namespace tervil {

const int TStatusPanels::kPanelWidths[kPanelCount] = {250, 70, 70, 80, 100, 30, 100, 150, 50};

TStatusPanels::TStatusPanels(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(true);
  setStyleSheet("QStatusBar::item { border: none; }");
  for (int i = 0; i < kPanelCount; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QString("StatusPanel%1").arg(i));
    // At least the panel's width; a longer text (a larger desktop font) widens it.
    label->setMinimumWidth(kPanelWidths[i]);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(i == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter);
    label->setContentsMargins(2, 0, 2, 0);
    addWidget(label);
    panels_.push_back(label);
  }
}

void TStatusPanels::SetPanelText(int index, const QString& text) {
  if (index >= 0 && index < kPanelCount) panels_[index]->setText(text);
}

QString TStatusPanels::PanelText(int index) const {
  return index >= 0 && index < kPanelCount ? panels_[index]->text() : QString();
}

int TStatusPanels::PanelAt(int x) {
  int right = 0;
  for (int i = 0; i < kPanelCount; ++i) {
    right += kPanelWidths[i];
    if (x < right) return i;
  }
  return -1;
}

void TStatusPanels::mousePressEvent(QMouseEvent* event) {
  QStatusBar::mousePressEvent(event);
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  // The labels take the clicks on them; map through to the panel that was hit.
  for (int i = 0; i < kPanelCount; ++i) {
    if (panels_[i]->geometry().contains(event->position().toPoint())) {
      emit PanelClicked(i, event->button(), event->globalPosition().toPoint());
      return;
    }
  }
}

}  // namespace tervil
