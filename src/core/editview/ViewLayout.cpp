#include "core/editview/ViewLayout.h"

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {

void WrapLine(std::string_view text, int tabWidth, int width, std::vector<int>& rowChars,
              std::vector<int>& rowColumns) {
  rowChars.assign(1, 0);
  rowColumns.assign(1, 0);
  width = std::max(1, width);
  int rowChar = 0, rowColumn = 0;
  int breakChar = -1, breakColumn = 0;  // after the last blank of the row
  int index = 0, column = 0;
  for (std::size_t byte = 0; byte < text.size(); ++byte) {
    unsigned char c = static_cast<unsigned char>(text[byte]);
    if (utf8::IsContinuation(c)) continue;
    bool blank = c == ' ' || c == '\t';
    int advance = c == '\t' ? TabAdvance(column, tabWidth) : 1;
    if (!blank && column + advance - rowColumn > width && index > rowChar) {
      if (breakChar > rowChar) {
        rowChar = breakChar;
        rowColumn = breakColumn;
      } else {
        rowChar = index;
        rowColumn = column;
      }
      rowChars.push_back(rowChar);
      rowColumns.push_back(rowColumn);
      breakChar = -1;
    }
    column += advance;
    ++index;
    if (blank) {
      breakChar = index;
      breakColumn = column;
    }
  }
}

void TViewLayout::SetTabWidth(int width) {
  if (width == geometry_.TabWidth()) return;
  geometry_.SetTabWidth(width);
  geometry_.InvalidateAll();
  ClearWraps();
}

void TViewLayout::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  ClearWraps();
}

void TViewLayout::SetWrapWidth(int columns) {
  columns = std::max(4, columns);
  if (columns == wrapWidth_) return;
  wrapWidth_ = columns;
  ClearWraps();
}

const TViewLayout::Wrapped& TViewLayout::Wrap(int line) {
  auto found = wraps_.find(line);
  if (found != wraps_.end()) return found->second;
  if (wraps_.size() > 4096) ClearWraps();
  Wrapped w;
  TLineSlice whole = geometry_.WholeLine(line);
  WrapLine(whole.text, geometry_.TabWidth(), wrapWidth_, w.chars, w.columns);
  return wraps_.emplace(line, std::move(w)).first->second;
}

int TViewLayout::RowCount(int line) {
  if (!wordWrap_) return 1;
  if (WrapsByColumns(line)) {
    int columns = geometry_.LineColumns(line);
    return std::max(1, (columns + wrapWidth_ - 1) / wrapWidth_);
  }
  return static_cast<int>(Wrap(line).chars.size());
}

TRowSpan TViewLayout::Row(int line, int subRow) {
  TRowSpan row;
  row.line = line;
  int lineChars = geometry_.LineChars(line);
  if (!wordWrap_) {
    row.charEnd = lineChars;
    return row;
  }
  int rows = RowCount(line);
  subRow = std::clamp(subRow, 0, rows - 1);
  row.subRow = subRow;
  row.lastRow = subRow == rows - 1;
  if (WrapsByColumns(line)) {
    auto firstCharFrom = [&](int column) {
      int c = geometry_.CharAtColumn(line, column);
      return geometry_.DisplayColumn(line, c) < column ? c + 1 : c;
    };
    row.columnBegin = subRow * wrapWidth_;
    row.charBegin = std::min(firstCharFrom(row.columnBegin), lineChars);
    row.charEnd =
        row.lastRow ? lineChars : std::min(firstCharFrom(row.columnBegin + wrapWidth_), lineChars);
    return row;
  }
  const Wrapped& w = Wrap(line);
  row.charBegin = w.chars[subRow];
  row.columnBegin = w.columns[subRow];
  row.charEnd = row.lastRow ? lineChars : w.chars[subRow + 1];
  return row;
}

TRowPos TViewLayout::RowOf(int line, int charIndex) {
  if (!wordWrap_) return {line, 0};
  int rows = RowCount(line);
  if (WrapsByColumns(line)) {
    int column = geometry_.DisplayColumn(line, charIndex);
    return {line, std::min(rows - 1, column / wrapWidth_)};
  }
  const Wrapped& w = Wrap(line);
  auto it = std::upper_bound(w.chars.begin(), w.chars.end(), charIndex);
  return {line, std::max(0, static_cast<int>(it - w.chars.begin()) - 1)};
}

TRowPos TViewLayout::Offset(TRowPos from, int rows) {
  int lines = LineCount();
  from.line = std::clamp(from.line, 0, lines - 1);
  if (!wordWrap_) return {std::clamp(from.line + rows, 0, lines - 1), 0};
  from.subRow = std::clamp(from.subRow, 0, RowCount(from.line) - 1);
  while (rows > 0) {
    int left = RowCount(from.line) - 1 - from.subRow;
    if (rows <= left) {
      from.subRow += rows;
      break;
    }
    if (from.line + 1 >= lines) {
      from.subRow += left;
      break;
    }
    rows -= left + 1;
    ++from.line;
    from.subRow = 0;
  }
  while (rows < 0) {
    if (-rows <= from.subRow) {
      from.subRow += rows;
      break;
    }
    if (from.line == 0) {
      from.subRow = 0;
      break;
    }
    rows += from.subRow + 1;
    --from.line;
    from.subRow = RowCount(from.line) - 1;
  }
  return from;
}

int TViewLayout::Distance(TRowPos from, TRowPos to, int limit) {
  if (!wordWrap_) return std::clamp(to.line - from.line, -limit, limit);
  bool up = to.line < from.line || (to.line == from.line && to.subRow < from.subRow);
  if (up) std::swap(from, to);
  int count = 0;
  TRowPos at = from;
  while (count < limit && !(at == to)) {
    if (at.line == to.line) {
      count += std::min(limit - count, to.subRow - at.subRow);
      break;
    }
    count += RowCount(at.line) - at.subRow;
    at = {at.line + 1, 0};
  }
  count = std::min(count, limit);
  return up ? -count : count;
}

void TViewLayout::Rows(TRowPos top, int count, std::vector<TRowSpan>& rows) {
  rows.clear();
  int lines = LineCount();
  if (top.line < 0 || top.line >= lines) return;
  TRowPos at = top;
  while (static_cast<int>(rows.size()) < count) {
    TRowSpan row = Row(at.line, at.subRow);
    rows.push_back(row);
    if (!row.lastRow) {
      at.subRow = row.subRow + 1;
    } else if (at.line + 1 < lines) {
      at = {at.line + 1, 0};
    } else {
      break;
    }
  }
}

int TViewLayout::ColumnInRow(const TRowSpan& row, int charIndex) {
  return geometry_.DisplayColumn(row.line, charIndex) - row.columnBegin;
}

int TViewLayout::CharAtColumnInRow(const TRowSpan& row, int column, bool nearest) {
  int c = geometry_.CharAtColumn(row.line, row.columnBegin + std::max(0, column), nearest);
  c = std::max(c, row.charBegin);
  if (!row.lastRow && c >= row.charEnd) c = std::max(row.charBegin, row.charEnd - 1);
  return c;
}

void TViewLayout::Reset() {
  geometry_.InvalidateAll();
  ClearWraps();
}

void TViewLayout::LinesChanged(int first, int count) {
  if (count > 64) {
    Reset();
    return;
  }
  for (int i = first; i < first + count; ++i) {
    geometry_.LineChanged(i);
    wraps_.erase(i);
  }
}

void TViewLayout::LinesInserted(int, int) {
  Reset();
}

void TViewLayout::LinesDeleted(int, int) {
  Reset();
}

}  // namespace tervil
