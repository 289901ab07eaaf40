#pragma once

#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/editcomponent/Completion.h"

namespace tervil {

// The windows of the completion components: borderless tool-tip windows that show at the caret
// and never take the keyboard focus (the editor keeps it; the component forwards the keys).

// The completion list: rows of pretty text in columns, the selected row highlighted, a scroll
// bar; only the rows on screen are painted.
class TCompletionListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit TCompletionListWindow(QWidget* owner);

  void SetItems(const TCompletionItems* items) { items_ = items; }
  void SetColumnWidths(std::vector<int> widths) { columnWidths_ = std::move(widths); }
  // Visible rows; the height follows.
  int VisibleRows() const { return visibleRows_; }
  void SetVisibleRows(int rows);
  // Re-reads the items: scroll range, keeps the selected row in view, repaints.
  void Refresh();
  int RowHeight() const;

  std::function<void(int row)> OnRowClicked;
  std::function<void(int row)> OnRowDoubleClicked;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int RowAt(int y) const;
  void PaintRow(QPainter& painter, int row, const QRect& rect, bool selected);

  const TCompletionItems* items_ = nullptr;
  std::vector<int> columnWidths_;
  QScrollBar* scrollBar_;
  int visibleRows_ = 8;
};

// A hint: lines of text, the first one optionally centered (the title), and one piece of a line
// that can be drawn in bold (the current parameter).
class THintWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THintWindow(QWidget* owner);

  void SetLines(std::vector<std::string> lines);
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetTitleCentered(bool on) { titleCentered_ = on; }
  // Draws bytes [start, end) of the first line in bold (start == end: nothing).
  void SetBoldRange(std::size_t start, std::size_t end);
  QSize SizeHint() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::string> lines_;
  bool titleCentered_ = false;
  std::size_t boldStart_ = 0;
  std::size_t boldEnd_ = 0;
};

// The window flags of the popups: a frameless tool tip that does not take the focus.
void MakePopupWindow(QWidget& window);

}  // namespace tervil
