#include "ui/app/StatusPanels.h"

#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

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

// The panels after the first keep a fixed size, so the texts that change on every keystroke (line,
// column, modified) repaint their panel without laying out the whole status bar again. A text
// wider than its panel (a larger desktop font, a huge column) widens the panel for good.
void TStatusPanels::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= kPanelCount) return;
  QLabel* label = panels_[index];
  if (label->text() == text) return;
  if (index > 0) {
    const QMargins margins = label->contentsMargins();
    // The characters' advances added up: no text shaping for a text that changes with every
    // keystroke (the spare pixels cover kerning).
    const QFontMetrics metrics = label->fontMetrics();
    int advance = 0;
    for (QChar c : text) advance += metrics.horizontalAdvance(c);
    const int needed = advance + margins.left() + margins.right() + 2 * label->frameWidth() + 4;
    const bool fixed = label->maximumWidth() == label->minimumWidth();
    if (!fixed || needed > label->maximumWidth()) {
      label->setFixedWidth(std::max(needed, fixed ? label->maximumWidth() : kPanelWidths[index]));
      label->setFixedHeight(label->sizeHint().height());
    }
  }
  label->setText(text);
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
