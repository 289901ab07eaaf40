#include "core/generators/TableGrid.h"

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

// Marks the cells of a region being joined or split until the grid is normalised.
constexpr int kFreshRegion = -1;

TCellRect Clamped(TCellRect rect) {
  auto clampColumn = [](int c) { return std::clamp(c, 0, TTableGrid::kColumns - 1); };
  auto clampRow = [](int r) { return std::clamp(r, 0, TTableGrid::kRows - 1); };
  TCellRect out{
      clampColumn(std::min(rect.Left, rect.Right)), clampRow(std::min(rect.Top, rect.Bottom)),
      clampColumn(std::max(rect.Left, rect.Right)), clampRow(std::max(rect.Top, rect.Bottom))};
  return out;
}

bool Inside(int column, int row) {
  return column >= 0 && column < TTableGrid::kColumns && row >= 0 && row < TTableGrid::kRows;
}

}  // namespace

TTableGrid::TTableGrid() {
  Reset();
}

int TTableGrid::Id(int column, int row) const {
  return Inside(column, row) ? ids_[column][row] : kFreshRegion - 1;
}

std::string TTableGrid::CellId(int column, int row) const {
  return Inside(column, row) ? std::to_string(ids_[column][row]) : std::string();
}

bool TTableGrid::Same(int column, int row, int otherColumn, int otherRow) const {
  return Inside(otherColumn, otherRow) && Id(column, row) == Id(otherColumn, otherRow);
}

void TTableGrid::SetColCount(int cols) {
  cols_ = std::clamp(cols, 1, kColumns);
}

void TTableGrid::SetRowCount(int rows) {
  rows_ = std::clamp(rows, 1, kRows);
}

void TTableGrid::Reset() {
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < kRows; ++r) ids_[c][r] = InitialCellId(c, r);
}

int TTableGrid::ExpandLeft(int row, int from) const {
  while (Same(from, row, from - 1, row)) --from;
  return from;
}

int TTableGrid::ExpandRight(int row, int from) const {
  while (Same(from, row, from + 1, row)) ++from;
  return from;
}

int TTableGrid::ExpandUp(int column, int from) const {
  while (Same(column, from, column, from - 1)) --from;
  return from;
}

int TTableGrid::ExpandDown(int column, int from) const {
  while (Same(column, from, column, from + 1)) ++from;
  return from;
}

// Grows the selection until no merged cell sticks out of it: every merged cell is a rectangle,
// so taking in the whole of each one it touches, until nothing changes, keeps the grid made of
// rectangles.
void TTableGrid::Join(TCellRect selection) {
  TCellRect rect = Clamped(selection);
  for (bool grown = true; grown;) {
    grown = false;
    for (int c = rect.Left; c <= rect.Right; ++c) {
      for (int r = rect.Top; r <= rect.Bottom; ++r) {
        const TCellRect cell{ExpandLeft(r, c), ExpandUp(c, r), ExpandRight(r, c), ExpandDown(c, r)};
        const TCellRect joined{std::min(rect.Left, cell.Left), std::min(rect.Top, cell.Top),
                               std::max(rect.Right, cell.Right),
                               std::max(rect.Bottom, cell.Bottom)};
        if (joined.Left != rect.Left || joined.Top != rect.Top || joined.Right != rect.Right ||
            joined.Bottom != rect.Bottom) {
          rect = joined;
          grown = true;
        }
      }
    }
  }
  Fill(rect);
}

void TTableGrid::SplitHorizontally(TCellRect selection) {
  const TCellRect sel = Clamped(selection);
  const int left = std::min(ExpandLeft(sel.Top, sel.Left), ExpandLeft(sel.Bottom, sel.Left));
  const int right = std::max(ExpandRight(sel.Top, sel.Right), ExpandRight(sel.Bottom, sel.Right));
  Fill({left, sel.Top, right, sel.Bottom});
}

void TTableGrid::SplitVertically(TCellRect selection) {
  const TCellRect sel = Clamped(selection);
  const int top = std::min(ExpandUp(sel.Left, sel.Top), ExpandUp(sel.Right, sel.Top));
  const int bottom = std::max(ExpandDown(sel.Left, sel.Bottom), ExpandDown(sel.Right, sel.Bottom));
  Fill({sel.Left, top, sel.Right, bottom});
}

void TTableGrid::Fill(TCellRect rect) {
  for (int c = rect.Left; c <= rect.Right; ++c)
    for (int r = rect.Top; r <= rect.Bottom; ++r) ids_[c][r] = kFreshRegion;
  Normalize();
}

// Cutting a region out of merged cells can leave a merged cell in pieces or in the shape of an
// L. Every set of cells sharing an identifier is cut again into rectangles, each taken greedily
// from its top-left cell, and every piece gets its own identifier: 8 * left + top, or its
// initial identifier for a single cell that never changed.
void TTableGrid::Normalize() {
  std::array<std::array<bool, kRows>, kColumns> done{};
  auto next = ids_;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      if (done[c][r]) continue;
      const int id = ids_[c][r];
      auto free = [&](int cc, int rr) {
        return Inside(cc, rr) && !done[cc][rr] && ids_[cc][rr] == id;
      };
      int right = c;
      while (free(right + 1, r)) ++right;
      int bottom = r;
      for (bool whole = true; whole;) {
        for (int cc = c; cc <= right && whole; ++cc) whole = free(cc, bottom + 1);
        if (whole) ++bottom;
      }
      const bool untouched = right == c && bottom == r && id == InitialCellId(c, r);
      for (int cc = c; cc <= right; ++cc) {
        for (int rr = r; rr <= bottom; ++rr) {
          done[cc][rr] = true;
          next[cc][rr] = untouched ? id : kRows * c + r;
        }
      }
    }
  }
  ids_ = next;
}

bool TTableGrid::HasBorder(int column, int row, TCellEdge edge) const {
  int otherColumn = column;
  int otherRow = row;
  switch (edge) {
    case TCellEdge::Left:
      --otherColumn;
      break;
    case TCellEdge::Right:
      ++otherColumn;
      break;
    case TCellEdge::Top:
      --otherRow;
      break;
    case TCellEdge::Bottom:
      ++otherRow;
      break;
  }
  if (otherColumn < 0 || otherColumn >= cols_ || otherRow < 0 || otherRow >= rows_) return true;
  return Id(column, row) != Id(otherColumn, otherRow);
}

int TTableGrid::SpanWidth(int column, int row) const {
  int width = 1;
  while (column + width < cols_ && Same(column, row, column + width, row)) ++width;
  return width;
}

// Rows hidden by a smaller grid are not counted: a cell never spans past the table's last row.
int TTableGrid::SpanHeight(int column, int row) const {
  int height = 1;
  while (row + height < rows_ && Same(column, row, column, row + height)) ++height;
  return height;
}

void TTableGrid::AppendRow(int row, std::string& out) const {
  bool coveredFromAbove = row >= 1;
  for (int c = 0; c < cols_ && coveredFromAbove; ++c) coveredFromAbove = Same(c, row, c, row - 1);
  if (coveredFromAbove) {
    out += "<TR></TR>";
    return;
  }
  out += "\t<TR>\r";
  bool endsWide = false;
  for (int c = 0; c < cols_; ++c) {
    const bool starts =
        (row == 0 || !Same(c, row, c, row - 1)) && (c == 0 || !Same(c, row, c - 1, row));
    if (!starts) continue;
    const int width = SpanWidth(c, row);
    const int height = SpanHeight(c, row);
    out += "\t\t<TD";
    if (width > 1) out += " COLSPAN=\"" + std::to_string(width) + "\"";
    if (height > 1) out += " ROWSPAN=\"" + std::to_string(height) + "\"";
    out += "></TD>\r";
    endsWide = c + width == cols_ && width >= 2;
  }
  out += endsWide ? "\r\t</TR>\r" : "</TR>\r";
}

std::string TTableGrid::Generate(int repeat) const {
  std::string out = "<TABLE>\r";
  for (int n = 0; n < repeat; ++n)
    for (int r = 0; r < rows_; ++r) AppendRow(r, out);
  out += "</TABLE>";
  return utf8::LowerCase(out);
}

}  // namespace tervil
