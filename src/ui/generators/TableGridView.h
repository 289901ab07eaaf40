#pragma once

#include <QWidget>

#include "core/generators/TableGrid.h"

namespace tervil {

// The table generator's grid (`StringGrid1`): the visible cells of a TTableGrid, 32 x 32 pixels
// each, with a rectangular selection made by dragging the mouse or with the arrow keys (Shift
// extends it). Merged cells are drawn as one box.
class TTableGridView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCellSize = 32;

  explicit TTableGridView(TTableGrid& grid, QWidget* parent = nullptr);

  // The selection, clamped to the visible cells.
  TCellRect Selection() const;
  void SetSelection(TCellRect selection);
  // Call after the grid's size or identifiers changed.
  void GridChanged();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPoint CellAt(const QPoint& pos) const;
  bool Selected(int column, int row) const;

  TTableGrid& grid_;
  QPoint anchor_{0, 0};
  QPoint current_{0, 0};
};

}  // namespace tervil
