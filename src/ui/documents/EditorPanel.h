#pragma once

#include <QWidget>

namespace tervil {

class TTvlPageControl;

// Holds the upper and lower page controls, split at a ratio from 0 to 100 (100: only the
// upper control). The bar between them can be dragged.
class TEditorPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TEditorPanel(QWidget* parent = nullptr);

  TTvlPageControl* PageControl() const { return upper_; }
  TTvlPageControl* SplitPageControl() const { return lower_; }

  int SplitRatio() const { return ratio_; }
  void SetSplitRatio(int ratio);
  // Sizes the two controls from the split ratio.
  void ArrangeEditors();

 signals:
  void SplitRatioChanged(int ratio);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  class TSplitBar;
  TTvlPageControl* upper_;
  TTvlPageControl* lower_;
  TSplitBar* bar_;
  int ratio_ = 100;
};

}  // namespace tervil
