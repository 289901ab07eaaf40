#pragma once

#include <unordered_map>
#include <vector>

#include "core/editview/LineGeometry.h"

namespace tervil {

// One screen row: a whole line, or with word wrap one piece of a line. Characters count from 0
// within the line; columns are display columns of the line (after tab expansion).
struct TRowSpan {
  int line = 0;
  int subRow = 0;
  int charBegin = 0;    // first character on the row
  int charEnd = 0;      // after the last character on the row
  int columnBegin = 0;  // display column shown at the row's left edge (before scrolling)
  bool lastRow = true;  // the line's last row (the line break follows it)
};

// A row of the document: the line and the piece of it (0 without word wrap).
struct TRowPos {
  int line = 0;
  int subRow = 0;
  friend bool operator==(const TRowPos&, const TRowPos&) = default;
};

// The rows the view shows. Without word wrap every line is one row. With word wrap a line
// breaks after the last blank that fits in the wrap width (or, in a word longer than the width,
// at the width); blanks may hang past the width. Lines are wrapped only when asked about, and
// the result is kept for the lines last asked about. Long lines (kLongLineBytes) wrap at exactly
// the width, so their rows follow from column arithmetic without reading the line.
class TViewLayout {
 public:
  explicit TViewLayout(const TTextBuffer& buffer) : geometry_(buffer) {}

  TLineGeometry& Geometry() { return geometry_; }
  int LineCount() const { return geometry_.LineCount(); }

  int TabWidth() const { return geometry_.TabWidth(); }
  void SetTabWidth(int width);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  int WrapWidth() const { return wrapWidth_; }
  void SetWrapWidth(int columns);

  int RowCount(int line);
  TRowSpan Row(int line, int subRow);
  TRowSpan Row(TRowPos pos) { return Row(pos.line, pos.subRow); }
  // The row that shows the caret before character `charIndex` of `line`.
  TRowPos RowOf(int line, int charIndex);
  // The row `rows` rows below (negative: above) `from`, clamped to the document.
  TRowPos Offset(TRowPos from, int rows);
  // Rows from `from` down to `to`, counting at most `limit` (returns limit when farther, and a
  // negative count when `to` is above `from`).
  int Distance(TRowPos from, TRowPos to, int limit);
  // `count` rows from `top` (fewer at the end of the document).
  void Rows(TRowPos top, int count, std::vector<TRowSpan>& rows);

  // Column of character `charIndex` relative to the row's left edge, and back (see
  // TLineGeometry::CharAtColumn for `nearest`). Columns past the row's end continue one per
  // column only on the last row; elsewhere they stop at the row's last character.
  int ColumnInRow(const TRowSpan& row, int charIndex);
  int CharAtColumnInRow(const TRowSpan& row, int column, bool nearest);

  // Follow the buffer (lines from 0).
  void Reset();
  void LinesChanged(int first, int count);
  void LinesInserted(int first, int count);
  void LinesDeleted(int first, int count);
  // One edit within a line, after LinesChanged (see TLineGeometry::TextEdited).
  void TextEdited(std::size_t byte, std::size_t removed, std::string_view inserted) {
    geometry_.TextEdited(byte, removed, inserted);
  }

 private:
  struct Wrapped {
    std::vector<int> chars;    // first character of each row
    std::vector<int> columns;  // display column of each row's first character
  };
  const Wrapped& Wrap(int line);
  bool WrapsByColumns(int line) const { return geometry_.IsLong(line); }
  void ClearWraps() { wraps_.clear(); }

  TLineGeometry geometry_;
  bool wordWrap_ = false;
  int wrapWidth_ = 80;
  std::unordered_map<int, Wrapped> wraps_;
};

// Breaks a line's text into rows of at most `width` display columns (see TViewLayout). Returns
// the first character and display column of each row; the first row starts at 0.
void WrapLine(std::string_view text, int tabWidth, int width, std::vector<int>& rowChars,
              std::vector<int>& rowColumns);

}  // namespace tervil
