// The marks the editor control paints over the text: variable frames, the matched bracket's
// background, the matched tag names' frames and the linked closing tag.
#include <QPainter>
#include <algorithm>

#include "core/editcomponent/Highlighter.h"
#include "core/editor/TypingRules.h"
#include "ui/editor/TvlEdit.h"

namespace tervil {

namespace {

bool IsBracket(char c) {
  return std::string_view("()[]{}<>").find(c) != std::string_view::npos;
}

int CharCount(std::string_view text) {
  return ColumnOfByte(text, text.size()) - 1;
}

}  // namespace

void TTvlEdit::PaintOverlay(QPainter& painter) {
  painter.save();
  painter.setClipRect(viewport()->rect());
  if (variableColor_ != clNone) PaintVariableFrames(painter);
  if (bracketColor_ != clNone && !SelAvail() && Highlighter() && !InStringOrComment(CaretXY()))
    PaintBracketMarks(painter);
  if (linked_.active) PaintLinkedTag(painter);
  painter.restore();
  TTextEditor::PaintOverlay(painter);
}

void TTvlEdit::FrameRange(QPainter& painter, TBufferPos start, int length, const QColor& color) {
  const QPoint from = BufferPosToPixels(start);
  const QPoint to = BufferPosToPixels({start.Column + length, start.Line});
  painter.setPen(color);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(from.x(), from.y(), std::max(to.x() - from.x(), 1), TextHeight()));
}

void TTvlEdit::PaintVariableFrames(QPainter& painter) {
  const std::string word = IdentifierAtCaret(true);
  if (word.empty()) return;
  const QColor color = ToQColor(variableColor_);
  const int wordLength = CharCount(word);
  const int rows = LinesInWindow() + 1;
  const int last = std::min(LineCount(), TopLine() + rows);
  // Only the visible part of each line is searched, so a long line costs no more than a short.
  const int span = CharsInWindow() * (WordWrap() ? rows : 1) + 2 * wordLength + 2;
  for (int line = TopLine(); line <= last; ++line) {
    const QPoint origin = BufferPosToPixels({1, line});
    const int first = std::max(1, PixelsToBufferPos({0, origin.y() + 1}).Column - wordLength);
    const TBufferPos from = Model().ClampPos({first, line});
    const TBufferPos to = Model().ClampPos({first + span, line});
    const std::size_t begin = Model().ByteOfPos(from);
    const std::string text = Model().Buffer().Range(begin, Model().ByteOfPos(to) - begin);
    for (int column : VariableOccurrences(text, word, from.Column))
      FrameRange(painter, {column, line}, wordLength, color);
  }
}

void TTvlEdit::PaintBracketMarks(QPainter& painter) {
  const QColor color = ToQColor(bracketColor_);
  const TBufferPos caret = CaretXY();
  const TBufferPos match = Model().MatchingBracket();
  if (match != TBufferPos{0, 0}) {
    // The bracket at the caret, or else the one just before it (as the matching finds it).
    const std::string line = LineText();
    const std::size_t at = ByteOfColumn(line, caret.Column);
    const TBufferPos own =
        at < line.size() && IsBracket(line[at]) ? caret : TBufferPos{caret.Column - 1, caret.Line};
    painter.setFont(EditorFont());
    for (TBufferPos pos : {own, match}) {
      const QPoint p = BufferPosToPixels(pos);
      const QPoint next = BufferPosToPixels({pos.Column + 1, pos.Line});
      const QRect cell(p.x(), p.y(), std::max(next.x() - p.x(), 1), TextHeight());
      painter.fillRect(cell, color);
      painter.setPen(ToQColor(FontColor(), palette().text().color()));
      const std::string ch = Model().Buffer().Range(Model().ByteOfPos(pos), 1);
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(ch));
    }
  }
  const TBufferPos tag = FindMatchingTag();
  if (tag == TBufferPos{0, 0}) return;
  const TBufferPos ownStart = Model().WordStart(caret);
  const TBufferPos ownEnd = Model().WordEnd(caret);
  FrameRange(painter, ownStart, ownEnd.Column - ownStart.Column, color);
  const TBufferPos tagEnd = Model().WordEnd(tag);
  FrameRange(painter, tag, tagEnd.Column - tag.Column, color);
}

void TTvlEdit::PaintLinkedTag(QPainter& painter) {
  const QPoint p = BufferPosToPixels(linked_.insertedAt);
  const QPoint end = BufferPosToPixels(
      {linked_.insertedAt.Column + CharCount(linked_.text), linked_.insertedAt.Line});
  const QRect box(p.x(), p.y(), std::max(end.x() - p.x(), 1), TextHeight());
  painter.fillRect(box, ToQColor(SelectedBackground(), palette().highlight().color()));
  painter.setPen(ToQColor(SelectedForeground(), palette().highlightedText().color()));
  // In the font style of the text two columns further on (the closing tag's name).
  QFont font = EditorFont();
  const THighlighterAttribute* attribute = nullptr;
  if (GetHighlighterAttriAtRowCol({linked_.insertedAt.Column + 2, linked_.insertedAt.Line},
                                  attribute)) {
    font.setBold((attribute->style & fsBold) != 0);
    font.setItalic((attribute->style & fsItalic) != 0);
    font.setUnderline((attribute->style & fsUnderline) != 0);
    font.setStrikeOut((attribute->style & fsStrikeOut) != 0);
  }
  painter.setFont(font);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(linked_.text));
}

}  // namespace tervil
