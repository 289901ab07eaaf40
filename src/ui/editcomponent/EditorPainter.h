#pragma once

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QRegion>
#include <array>
#include <vector>

#include "core/editcomponent/Highlighter.h"
#include "core/editview/ViewLayout.h"

class QPainter;

namespace tervil {

class TTextEditor;

// The characters of one screen row that have cells on screen, with their pixel positions.
struct TRowCells {
  TRowSpan span;
  TLineSlice slice;         // text holding at least the visible characters
  int firstChar = 0;        // line index of the first visible character
  std::vector<qreal> x;     // left edge of each visible character (text-area coordinates)
  std::vector<int> bytes;   // offset in slice.text of each visible character
  std::vector<int> widths;  // display columns of each visible character
  qreal endX = 0;           // right edge of the last visible character
  int endChar = 0;          // after the last visible character
  int scroll = 0;           // display column at the left edge

  int Count() const { return static_cast<int>(x.size()); }
  // x of a character's left edge; characters off screen are placed one column each.
  qreal XOf(int charIndex, qreal charWidth) const;
  // The character boundary nearest to x.
  int CharAtX(qreal x, qreal charWidth) const;
};

// Paints a TTextEditor: rows with tokens and selection, gutter, right edge, caret.
class TEditorPainter {
 public:
  explicit TEditorPainter(TTextEditor& editor) : editor_(editor) {}

  // Which characters of a row are on screen and where.
  TRowCells Cells(const TRowSpan& span, int viewWidth);
  // Paints the rows that meet `area` (the rest is left as it is).
  void Paint(QPainter& painter, const QRegion& area);
  // Forget the fonts made from the editor font (after it changed).
  void ResetFonts() { fontsReady_.fill(false); }

 private:
  struct SelectionOnLine {
    int from = -1;  // characters [from, to) selected
    int to = -1;
    bool lineBreak = false;  // the line break after the line is selected too
    bool wholeRow = false;   // line selection mode
  };
  SelectionOnLine SelectionOf(int line);
  void PaintRow(QPainter& painter, const TRowCells& cells, int y, const std::vector<TToken>& tokens,
                const SelectionOnLine& selection);
  void PaintWavyLine(QPainter& painter, const TRowCells& cells, int y);
  void PaintGutter(QPainter& painter, const std::vector<TRowSpan>& rows, int height,
                   const QRegion& area);
  void PaintCaret(QPainter& painter, const std::vector<TRowSpan>& rows);
  const QFont& FontFor(int style);
  const QRawFont& RawFontFor(int style);
  // Draws characters that each fill one cell of a fixed-pitch font at their cells.
  void DrawCells(QPainter& painter, QPointF origin, const QString& text, int style);
  QColor Color(unsigned color, const QColor& fallback) const;

  TTextEditor& editor_;
  std::vector<TToken> tokens_;
  std::array<QFont, 16> fonts_;
  std::array<QRawFont, 16> rawFonts_;
  std::array<bool, 16> fontsReady_{};
  QList<QPointF> positions_;
};

}  // namespace tervil
