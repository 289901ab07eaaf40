#pragma once

// The model of the table generator: a grid of 10 columns by 8 rows of cell identifiers, of which
// the top-left C x R cells are visible. Cells sharing an identifier form one merged cell; merged
// cells are always rectangles. Generation writes the visible part as an empty HTML table.

#include <array>
#include <string>

namespace tervil {

// A rectangle of grid cells, columns Left..Right and rows Top..Bottom, all inclusive.
struct TCellRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

enum class TCellEdge { Left, Top, Right, Bottom };

class TTableGrid {
 public:
  static constexpr int kColumns = 10;
  static constexpr int kRows = 8;

  TTableGrid();

  // The identifier of a cell; empty outside the 10 x 8 array.
  std::string CellId(int column, int row) const;

  // The visible size, clamped to 1..10 columns and 1..8 rows. Identifiers are kept.
  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  void SetColCount(int cols);
  void SetRowCount(int rows);

  // Joins the selected cells, and every merged cell the selection cuts into, into one cell.
  void Join(TCellRect selection);
  // Cuts the selected rows out of the merged cells they cross: the rows become one cell as wide
  // as the merged cells at the selection's top and bottom rows.
  void SplitHorizontally(TCellRect selection);
  // Cuts the selected columns out of the merged cells they cross: the columns become one cell as
  // tall as the merged cells at the selection's left and right columns.
  void SplitVertically(TCellRect selection);
  // Every cell gets its initial identifier again; the visible size stays.
  void Reset();

  // Whether a line separates the cell from its neighbour across `edge`: the neighbour belongs to
  // another merged cell or lies outside the visible grid.
  bool HasBorder(int column, int row, TCellEdge edge) const;

  // The markup of the visible grid, the row pattern written `repeat` times. Lines end with CR.
  std::string Generate(int repeat) const;

 private:
  int Id(int column, int row) const;
  bool Same(int column, int row, int otherColumn, int otherRow) const;
  int ExpandLeft(int row, int from) const;
  int ExpandRight(int row, int from) const;
  int ExpandUp(int column, int from) const;
  int ExpandDown(int column, int from) const;
  void Fill(TCellRect rect);
  void Normalize();
  int SpanWidth(int column, int row) const;
  int SpanHeight(int column, int row) const;
  void AppendRow(int row, std::string& out) const;

  // Identifiers as numbers: 100 + 8c + r for a cell never touched, 8 * left + top for a cell
  // that belongs to a joined or split region with that top-left corner.
  std::array<std::array<int, kRows>, kColumns> ids_{};
  int cols_ = 1;
  int rows_ = 1;
};

// The initial identifier of a cell.
inline int InitialCellId(int column, int row) {
  return 100 + TTableGrid::kRows * column + row;
}

}  // namespace tervil
