#pragma once

#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <memory>

#include "core/app/ReferenceData.h"

class QLabel;

namespace tervil {

class TTvlPage;
class TTvlPageControl;

// Draws the tabs of a page control: gradient, bold caption for modified documents, grey for
// read-only ones, close glyphs; tabs only ever get wider. Handles closing by mouse, the
// full-path hint and dragging tabs within and between the two controls.
class TTvlTabBar : public QTabBar {
  Q_OBJECT
 public:
  explicit TTvlTabBar(TTvlPageControl* control);

  // The close glyph's rectangle of tab `index` as drawn, and the area that reacts to clicks.
  QRect CloseGlyphRect(int index) const;
  QRect CloseHitRect(int index) const;
  int CommonTabWidth() const { return commonWidth_; }

 protected:
  QSize tabSizeHint(int index) const override;
  QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class TTvlPageControl;
  void PaintTab(QPainter& painter, int index);
  void StartDrag();
  bool AcceptTabDrag(TTvlPageControl* source, int target) const;
  void ShowArrow(TTvlPageControl* source, int target);
  void HideArrow();
  void StartHoverSwitch(int target, int intervalMs);
  void HintTick();

  TTvlPageControl* control_;
  mutable int commonWidth_ = 0;
  int hoverClose_ = -1;
  QPoint pressPos_;
  bool pressed_ = false;
  QTimer hoverTimer_;
  int hoverTarget_ = -1;
  QTimer hintTimer_;
  QLabel* hint_ = nullptr;
  bool hintMoved_ = false;
  QPoint lastHintMouse_;
  QWidget* arrow_ = nullptr;
};

// A page control: the fixed "Start" tab first, then one tab per open document.
class TTvlPageControl : public QTabWidget {
  Q_OBJECT
 public:
  static constexpr int kTabHeight = 24;
  static constexpr const char* kTabMimeType = "application/x-tervil-page";

  explicit TTvlPageControl(bool tabsOnTop, QWidget* parent = nullptr);

  bool TabCloseButton() const { return tabCloseButton_; }
  void SetTabCloseButton(bool on);
  bool TabsOnTop() const { return tabsOnTop_; }

  // The editor page at `index`, or nullptr for the "Start" tab.
  TTvlPage* PageAt(int index) const;
  TTvlPage* ActivePage() const { return PageAt(currentIndex()); }
  int EditorPageCount() const;
  // The tab's caption as shown: 20 characters and "..." when longer than 23.
  QString TabCaption(int index) const;

  TTvlTabBar* Bar() const { return bar_; }

  // Adds a page as the last tab.
  void AddPage(TTvlPage* page);
  // Closes every editor page from the last to the first; `allClosed` is cleared when one
  // stays open.
  void CloseAll(bool& allClosed);
  // Closes the page of tab `index` as the mouse does: the page that takes its place, or the
  // last one, becomes active.
  void ClosePageByMouse(int index);
  // Moves `page` from its control into this one as the last tab and activates it.
  void TakePage(TTvlPage* page);

  std::shared_ptr<TCompletionLists> Lists = std::make_shared<TCompletionLists>();

 signals:
  // Right click on an editor tab.
  void PageMenuRequested(TTvlPage* page, const QPoint& globalPos);
  // After a mouse press on the tabs: the active editor should take the focus.
  void TabsClicked();

 private:
  void TrackPage(TTvlPage* page);

  TTvlTabBar* bar_;
  bool tabsOnTop_;
  bool tabCloseButton_ = true;
};

}  // namespace tervil
