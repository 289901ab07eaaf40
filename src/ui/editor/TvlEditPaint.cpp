// The marks the editor control paints over the text: variable frames, the matched bracket's
// background, the matched tag names' frames and the linked closing tag.
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

QRegion TTvlEdit::OverlayRegion() {
  FindMarks();
  QRegion region = TTextEditor::OverlayRegion();
  // Frames are drawn with a one-pixel pen on the rectangle's right and bottom edges.
  for (const TMark& mark : marks_) region += mark.rect.adjusted(-1, -1, 1, 1);
  return region;
}

void TTvlEdit::FindMarks() {
  marks_.clear();
  if (variableColor_ != clNone) AddVariableFrames();
  if (bracketColor_ != clNone && !SelAvail() && Highlighter() && !InStringOrComment(CaretXY()))
    AddBracketMarks();
  if (linked_.active) {
    marks_.push_back({TMark::TKind::LinkedTag, LinkedTagRect(), QColor(), linked_.insertedAt});
  }
}

void TTvlEdit::PaintOverlay(QPainter& painter) {
  painter.save();
  painter.setClipRect(viewport()->rect());
  for (const TMark& mark : marks_) {
    switch (mark.kind) {
      case TMark::TKind::Frame:
        painter.setPen(mark.color);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(mark.rect);
        break;
      case TMark::TKind::Cell: {
        // The character again on its own baseline, over the mark's background.
        painter.fillRect(mark.rect, mark.color);
        painter.setFont(EditorFont());
        painter.setPen(ToQColor(FontColor(), palette().text().color()));
        const std::string ch = Model().Buffer().Range(Model().ByteOfPos(mark.pos), 1);
        const qreal ascent = std::ceil(QFontMetricsF(EditorFont()).ascent());
        painter.drawText(QPointF(mark.rect.left(), mark.rect.top() + ascent),
                         QString::fromStdString(ch));
        break;
      }
      case TMark::TKind::LinkedTag:
        PaintLinkedTag(painter, mark.rect);
        break;
    }
  }
  painter.restore();
  TTextEditor::PaintOverlay(painter);
}

void TTvlEdit::AddFrame(TBufferPos start, int length, const QColor& color) {
  const QPoint from = BufferPosToPixels(start);
  const QPoint to = BufferPosToPixels({start.Column + length, start.Line});
  marks_.push_back({TMark::TKind::Frame,
                    QRect(from.x(), from.y(), std::max(to.x() - from.x(), 1), TextHeight()), color,
                    start});
}

void TTvlEdit::AddVariableFrames() {
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
      AddFrame({column, line}, wordLength, color);
  }
}

void TTvlEdit::AddBracketMarks() {
  const QColor color = ToQColor(bracketColor_);
  const TBufferPos caret = CaretXY();
  const TBufferPos match = Model().MatchingBracket();
  if (match != TBufferPos{0, 0}) {
    // The bracket at the caret, or else the one just before it (as the matching finds it).
    const bool onBracket =
        caret.Column <= CaretLineLength() &&
        IsBracket(Model().Buffer().ByteAt(Model().ByteOfPos(Model().ClampPos(caret))));
    const TBufferPos own = onBracket ? caret : TBufferPos{caret.Column - 1, caret.Line};
    for (TBufferPos pos : {own, match}) {
      const QPoint p = BufferPosToPixels(pos);
      const QPoint next = BufferPosToPixels({pos.Column + 1, pos.Line});
      marks_.push_back({TMark::TKind::Cell,
                        QRect(p.x(), p.y(), std::max(next.x() - p.x(), 1), TextHeight()), color,
                        pos});
    }
  }
  const TBufferPos tag = FindMatchingTag();
  if (tag == TBufferPos{0, 0}) return;
  const TBufferPos ownStart = Model().WordStart(caret);
  const TBufferPos ownEnd = Model().WordEnd(caret);
  AddFrame(ownStart, ownEnd.Column - ownStart.Column, color);
  const TBufferPos tagEnd = Model().WordEnd(tag);
  AddFrame(tag, tagEnd.Column - tag.Column, color);
}

QRect TTvlEdit::LinkedTagRect() {
  const QPoint p = BufferPosToPixels(linked_.insertedAt);
  const QPoint end = BufferPosToPixels(
      {linked_.insertedAt.Column + CharCount(linked_.text), linked_.insertedAt.Line});
  return QRect(p.x(), p.y(), std::max(end.x() - p.x(), 1), TextHeight());
}

void TTvlEdit::PaintLinkedTag(QPainter& painter, const QRect& box) {
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
