#include "ui/documents/EditorPanel.h"

#include <QMouseEvent>

#include "core/documents/PageLayout.h"
#include "ui/documents/TvlPageControl.h"

namespace tervil {

// The bar between the two controls: dragging it with the left button moves the split.
class TEditorPanel::TSplitBar : public QWidget {
 public:
  explicit TSplitBar(TEditorPanel* panel) : QWidget(panel), panel_(panel) {
    setCursor(Qt::SplitVCursor);
    setObjectName("SplitBar");
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const int y = panel_->mapFromGlobal(event->globalPosition().toPoint()).y();
    panel_->SetSplitRatio(SplitRatioAt(y, panel_->height()));
  }

 private:
  TEditorPanel* panel_;
};

TEditorPanel::TEditorPanel(QWidget* parent)
    : QWidget(parent),
      upper_(new TTvlPageControl(true, this)),
      lower_(new TTvlPageControl(false, this)),
      bar_(new TSplitBar(this)) {
  setObjectName("EditorPanel");
  upper_->setObjectName("PageControl");
  lower_->setObjectName("SplitPageControl");
}

void TEditorPanel::SetSplitRatio(int ratio) {
  ratio = std::clamp(ratio, 0, 100);
  if (ratio == ratio_) return;
  ratio_ = ratio;
  ArrangeEditors();
  emit SplitRatioChanged(ratio_);
}

void TEditorPanel::ArrangeEditors() {
  const int h = height();
  const TSplitHeights heights = ArrangeEditorHeights(h, ratio_);
  upper_->setGeometry(0, 0, width(), std::max(heights.upper, 0));
  upper_->setVisible(heights.upper > 0);
  const int lowerTop = h - std::max(heights.lower, 0);
  lower_->setGeometry(0, lowerTop, width(), std::max(heights.lower, 0));
  lower_->setVisible(heights.lower > 0);
  const int barTop = heights.upper;
  const int barHeight = std::max(lowerTop - barTop, 0);
  bar_->setGeometry(0, barTop, width(), barHeight);
  bar_->setVisible(barHeight > 0);
}

void TEditorPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeEditors();
}

}  // namespace tervil
