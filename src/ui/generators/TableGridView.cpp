#include "ui/generators/TableGridView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tervil {

namespace {
const QColor kSelectedColor(85, 153, 238);
constexpr int kBorderWidth = 2;
}  // namespace

TTableGridView::TTableGridView(TTableGrid& grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  setObjectName("StringGrid1");
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  GridChanged();
}

QSize TTableGridView::sizeHint() const {
  return {TTableGrid::kColumns * kCellSize + 1, TTableGrid::kRows * kCellSize + 1};
}

TCellRect TTableGridView::Selection() const {
  const int maxColumn = grid_.ColCount() - 1;
  const int maxRow = grid_.RowCount() - 1;
  return {std::min({anchor_.x(), current_.x(), maxColumn}),
          std::min({anchor_.y(), current_.y(), maxRow}),
          std::min(std::max(anchor_.x(), current_.x()), maxColumn),
          std::min(std::max(anchor_.y(), current_.y()), maxRow)};
}

void TTableGridView::SetSelection(TCellRect selection) {
  anchor_ = {selection.Left, selection.Top};
  current_ = {selection.Right, selection.Bottom};
  GridChanged();
}

void TTableGridView::GridChanged() {
  const TCellRect sel = Selection();
  anchor_ = {sel.Left, sel.Top};
  current_ = {sel.Right, sel.Bottom};
  setFixedSize(sizeHint());
  update();
}

bool TTableGridView::Selected(int column, int row) const {
  const TCellRect sel = Selection();
  return column >= sel.Left && column <= sel.Right && row >= sel.Top && row <= sel.Bottom;
}

void TTableGridView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  QPen border(Qt::black, kBorderWidth);
  QPen thin(QColor(200, 200, 200), 1);
  for (int c = 0; c < grid_.ColCount(); ++c) {
    for (int r = 0; r < grid_.RowCount(); ++r) {
      const QRect cell(c * kCellSize, r * kCellSize, kCellSize, kCellSize);
      painter.fillRect(cell, Selected(c, r) ? kSelectedColor : QColor(Qt::white));
      painter.setPen(thin);
      painter.drawRect(cell.adjusted(0, 0, -1, -1));
      painter.setPen(border);
      const int half = kBorderWidth / 2;
      const QRect edge = cell.adjusted(half, half, -half, -half);
      if (grid_.HasBorder(c, r, TCellEdge::Left))
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
      if (grid_.HasBorder(c, r, TCellEdge::Top)) painter.drawLine(edge.topLeft(), edge.topRight());
      if (grid_.HasBorder(c, r, TCellEdge::Right))
        painter.drawLine(edge.topRight(), edge.bottomRight());
      if (grid_.HasBorder(c, r, TCellEdge::Bottom))
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    }
  }
}

QPoint TTableGridView::CellAt(const QPoint& pos) const {
  return {std::clamp(pos.x() / kCellSize, 0, grid_.ColCount() - 1),
          std::clamp(pos.y() / kCellSize, 0, grid_.RowCount() - 1)};
}

void TTableGridView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  current_ = CellAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = current_;
  update();
}

void TTableGridView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  current_ = CellAt(event->position().toPoint());
  update();
}

void TTableGridView::keyPressEvent(QKeyEvent* event) {
  QPoint step;
  switch (event->key()) {
    case Qt::Key_Left:
      step = {-1, 0};
      break;
    case Qt::Key_Right:
      step = {1, 0};
      break;
    case Qt::Key_Up:
      step = {0, -1};
      break;
    case Qt::Key_Down:
      step = {0, 1};
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  const QPoint moved = current_ + step;
  current_ = {std::clamp(moved.x(), 0, grid_.ColCount() - 1),
              std::clamp(moved.y(), 0, grid_.RowCount() - 1)};
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = current_;
  update();
}

}  // namespace tervil
