#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>

#include "core/printing/PreviewZoom.h"

class QAction;
class QLabel;
class QScrollArea;
class QTimer;

namespace tervil {

class TPrintEngine;

// One page of the print engine, painted at the preview's scale.
class TPreviewPage : public QWidget {
  Q_OBJECT
 public:
  TPreviewPage(TPrintEngine& engine, QWidget* parent);
  void ShowPage(int index, double scale, int pageCount);

 signals:
  void Clicked(Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TPrintEngine& engine_;
  int index_ = 0;
  int pageCount_ = 0;
  double scale_ = 1;
};

// "Print Preview": the pages the engine prints, one at a time, whole page or zoomed, with the
// toolbar of page moves, zoom, print and close. Pages are laid out while the window is idle, so
// the first page shows at once however long the document is.
class TPrintPreviewDlg : public QDialog {
  Q_OBJECT
 public:
  TPrintPreviewDlg(TPrintEngine& engine, QWidget* parent);

  // Lays the pages out anew and shows page 1 (the window's "on show").
  void Restart();
  int CurrentPage() const { return page_ + 1; }  // from 1
  int PageCount() const;
  bool LayoutDone() const;
  const TPreviewZoom& Zoom() const { return zoom_; }
  // Prints through the engine; set by the window that shows the preview.
  std::function<void()> PrintHandler;

  QAction* FirstCmd = nullptr;
  QAction* PrevCmd = nullptr;
  QAction* NextCmd = nullptr;
  QAction* LastCmd = nullptr;
  QAction* ZoomCmd = nullptr;
  QAction* PrintCmd = nullptr;
  QAction* CloseCmd = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void GoTo(int page);
  void LayoutSlice();
  void Refresh();
  void SetZoom(TPreviewZoom zoom);
  double WholePageScale() const;
  double PageWidthScale() const;
  double ScreenScale() const;  // screen pixels per device unit at 100 %

  TPrintEngine& engine_;
  TPreviewPage* view_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QLabel* hintPanel_ = nullptr;
  QLabel* pagePanel_ = nullptr;
  QTimer* layoutTimer_ = nullptr;
  int page_ = 0;
  bool wantLast_ = false;
  TPreviewZoom zoom_;
};

}  // namespace tervil
