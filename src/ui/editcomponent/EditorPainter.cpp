#include "ui/editcomponent/EditorPainter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <climits>
#include <optional>

#include "core/common/Utf8.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

// Characters a fixed-pitch font draws in one cell, so that a run of them can be drawn at once.
bool FitsCell(char32_t ch) {
  return ch < 0x0300 || (ch >= 0x0370 && ch < 0x0590) || (ch >= 0x2000 && ch < 0x2100);
}

}  // namespace

qreal TRowCells::XOf(int charIndex, qreal charWidth) const {
  if (Count() > 0 && charIndex >= firstChar && charIndex < endChar) {
    return x[static_cast<std::size_t>(charIndex - firstChar)];
  }
  if (charIndex >= endChar) return endX + (charIndex - endChar) * charWidth;
  qreal first = Count() > 0 ? x[0] : endX;
  return first - (firstChar - charIndex) * charWidth;
}

int TRowCells::CharAtX(qreal px, qreal charWidth) const {
  if (Count() == 0 || px >= endX) {
    return endChar + std::max(0, static_cast<int>((px - endX) / charWidth + 0.5));
  }
  if (px < x[0]) return firstChar;
  auto it = std::upper_bound(x.begin(), x.end(), px);
  int i = static_cast<int>(it - x.begin()) - 1;
  qreal right = i + 1 < Count() ? x[static_cast<std::size_t>(i + 1)] : endX;
  return firstChar + i + ((px - x[static_cast<std::size_t>(i)]) * 2 >= right - x[i] ? 1 : 0);
}

TRowCells TEditorPainter::Cells(const TRowSpan& span, int viewWidth) {
  TTextEditor& e = editor_;
  TLineGeometry& geometry = e.layout_.Geometry();
  const bool wrap = e.layout_.WordWrap();
  const qreal cw = e.charWidth_;
  TRowCells c;
  c.span = span;
  c.scroll = wrap ? span.columnBegin : e.leftColumn_;
  const int columns = static_cast<int>(viewWidth / cw) + 2;
  if (geometry.IsLong(span.line)) {
    c.slice = wrap ? geometry.SliceChars(span.line, span.charBegin, span.charEnd - span.charBegin)
                   : geometry.SliceColumns(span.line, c.scroll, c.scroll + columns);
  } else {
    c.slice = geometry.WholeLine(span.line);
  }
  const std::string& text = c.slice.text;
  const int tabWidth = geometry.TabWidth();
  std::optional<QFontMetricsF> metrics;  // proportional fonts only
  int column = c.slice.firstColumn;
  int index = c.slice.firstChar;
  qreal px = 0;
  bool started = false;
  std::size_t byte = 0;
  while (byte < text.size() && index < span.charEnd) {
    std::size_t length = 1;
    char32_t ch = utf8::Decode(text.data() + byte, text.size() - byte, length);
    int width = ch == '\t' ? TabAdvance(column, tabWidth) : 1;
    if (index >= span.charBegin && column + width > c.scroll) {
      if (!started) {
        px = (column - c.scroll) * cw;
        c.firstChar = index;
        started = true;
      }
      if (px >= viewWidth) break;
      c.x.push_back(px);
      c.bytes.push_back(static_cast<int>(byte));
      c.widths.push_back(width);
      if (e.fixedPitch_ || ch == '\t') {
        px += width * cw;
      } else {
        if (!metrics) metrics.emplace(e.font_);
        px += metrics->horizontalAdvance(QString::fromUcs4(&ch, 1));
      }
    }
    column += width;
    ++index;
    byte += length;
  }
  if (!started) {
    c.firstChar = index;
    px = (column - c.scroll) * cw;
  }
  c.bytes.push_back(static_cast<int>(byte));
  c.endX = px;
  c.endChar = c.firstChar + c.Count();
  return c;
}

QColor TEditorPainter::Color(unsigned color, const QColor& fallback) const {
  return editor_.ToQColor(color, fallback);
}

const QFont& TEditorPainter::FontFor(int style) {
  const std::size_t i = static_cast<std::size_t>(style & 15);
  if (!fontsReady_[i]) {
    QFont font = editor_.font_;
    font.setBold(i & fsBold);
    font.setItalic(i & fsItalic);
    font.setUnderline(i & fsUnderline);
    font.setStrikeOut(i & fsStrikeOut);
    fonts_[i] = font;
    rawFonts_[i] = QRawFont::fromFont(font);
    fontsReady_[i] = true;
  }
  return fonts_[i];
}

const QRawFont& TEditorPainter::RawFontFor(int style) {
  FontFor(style);
  return rawFonts_[static_cast<std::size_t>(style & 15)];
}

void TEditorPainter::DrawCells(QPainter& p, QPointF origin, const QString& text, int style) {
  // Glyphs straight from the font, one per cell: no shaping for plain runs of code.
  const QRawFont& raw = RawFontFor(style);
  QList<quint32> glyphs = raw.isValid() ? raw.glyphIndexesForString(text) : QList<quint32>();
  const bool complete =
      glyphs.size() == text.size() && std::find(glyphs.begin(), glyphs.end(), 0u) == glyphs.end();
  if (!complete) {
    p.setFont(FontFor(style));
    p.drawText(origin, text);
    return;
  }
  positions_.resize(glyphs.size());
  for (qsizetype k = 0; k < glyphs.size(); ++k) positions_[k] = QPointF(k * editor_.charWidth_, 0);
  QGlyphRun run;
  run.setRawFont(raw);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions_);
  run.setUnderline(style & fsUnderline);
  run.setStrikeOut(style & fsStrikeOut);
  p.drawGlyphRun(origin, run);
}

TEditorPainter::SelectionOnLine TEditorPainter::SelectionOf(int line) {
  SelectionOnLine s;
  const TEditorModel& model = editor_.model_;
  if (!model.SelAvail()) return s;
  TBufferPos b = model.BlockBegin(), end = model.BlockEnd();
  int l = line + 1;
  if (l < b.Line || l > end.Line) return s;
  switch (model.SelectionMode()) {
    case TSelectionMode::smLine:
      s.wholeRow = true;
      s.from = 0;
      s.to = INT_MAX;
      break;
    case TSelectionMode::smColumn: {
      TLineGeometry& g = editor_.layout_.Geometry();
      int c1 = g.DisplayColumn(b.Line - 1, b.Column - 1);
      int c2 = g.DisplayColumn(end.Line - 1, end.Column - 1);
      s.from = g.CharAtColumn(line, std::min(c1, c2), true);
      s.to = g.CharAtColumn(line, std::max(c1, c2), true);
      break;
    }
    case TSelectionMode::smNormal:
      s.from = l == b.Line ? b.Column - 1 : 0;
      s.to = l == end.Line ? end.Column - 1 : INT_MAX;
      s.lineBreak = l < end.Line;
      break;
  }
  return s;
}

void TEditorPainter::PaintRow(QPainter& p, const TRowCells& cells, int y,
                              const std::vector<TToken>& tokens, const SelectionOnLine& sel) {
  TTextEditor& e = editor_;
  const qreal left = e.TextLeft();
  const int lh = e.lineHeight_;
  const qreal cw = e.charWidth_;
  const QColor plainFg = Color(e.fontColor_, e.palette().color(QPalette::Text));
  const QColor selBg = Color(e.selectedBackground_, e.palette().color(QPalette::Highlight));
  const QColor selFg = Color(e.selectedForeground_, e.palette().color(QPalette::HighlightedText));
  const std::string& text = cells.slice.text;
  const bool special = e.model_.HasOption(eoShowSpecialChars);

  if (sel.wholeRow) {
    p.fillRect(QRectF(left, y, e.viewport()->width() - left, lh), selBg);
  }
  // Token lookup walks forward with the characters.
  std::size_t token = 0;
  auto attributeAt = [&](int byte) -> const THighlighterAttribute* {
    while (token < tokens.size() && tokens[token].start + tokens[token].length <= byte) ++token;
    if (token < tokens.size() && tokens[token].start <= byte) return tokens[token].attribute;
    return nullptr;
  };
  auto selected = [&](int index) { return sel.wholeRow || (index >= sel.from && index < sel.to); };

  const int count = cells.Count();
  int i = 0;
  while (i < count) {
    const int index = cells.firstChar + i;
    const THighlighterAttribute* attribute = attributeAt(cells.bytes[i]);
    const bool isSelected = selected(index);
    std::size_t length = 1;
    char32_t ch = utf8::Decode(text.data() + cells.bytes[i], text.size() - cells.bytes[i], length);
    // A group: characters of one attribute and selection state, drawn with one call.
    int j = i + 1;
    const bool single = ch == '\t' || (e.fixedPitch_ && !FitsCell(ch));
    if (!single) {
      while (j < count) {
        std::size_t l2 = 1;
        char32_t next =
            utf8::Decode(text.data() + cells.bytes[j], text.size() - cells.bytes[j], l2);
        if (next == '\t' || (e.fixedPitch_ && !FitsCell(next))) break;
        if (selected(cells.firstChar + j) != isSelected) break;
        if (attributeAt(cells.bytes[j]) != attribute) break;
        ++j;
      }
    }
    const qreal x1 = cells.x[i];
    const qreal x2 = j < count ? cells.x[j] : cells.endX;
    QColor background;
    if (isSelected) {
      background = selBg;
    } else if (attribute != nullptr && attribute->background != clNone) {
      background = Color(attribute->background, QColor());
    }
    if (background.isValid() && !sel.wholeRow) {
      p.fillRect(QRectF(left + x1, y, x2 - x1, lh), background);
    } else if (background.isValid()) {
      p.fillRect(QRectF(left + x1, y, x2 - x1, lh), background);
    }
    QColor foreground = isSelected ? selFg
                        : (attribute != nullptr && attribute->foreground != clNone)
                            ? Color(attribute->foreground, plainFg)
                            : plainFg;
    if (ch != '\t') {
      const int style = attribute != nullptr ? attribute->style : 0;
      p.setPen(foreground);
      const int b1 = cells.bytes[i], b2 = cells.bytes[j];
      QString piece = QString::fromUtf8(text.data() + b1, b2 - b1);
      if (special) piece.replace(QChar(' '), QChar(0x00B7));
      const QPointF origin(left + x1, y + e.ascent_);
      if (e.fixedPitch_ && !single) {
        DrawCells(p, origin, piece, style);
      } else {
        p.setFont(FontFor(style));
        p.drawText(origin, piece);
      }
    } else if (special) {
      p.setFont(FontFor(0));
      p.setPen(foreground);
      p.drawText(QPointF(left + x1, y + e.ascent_), QString(QChar(0x2192)));
    }
    i = j;
  }
  // Selected space past the end of the text on this row.
  if (cells.span.lastRow && cells.endChar >= cells.span.charEnd) {
    const int end = cells.span.charEnd;
    if (sel.lineBreak) {
      p.fillRect(QRectF(left + cells.XOf(end, cw), y, cw, lh), selBg);
    } else if (!sel.wholeRow && sel.to != INT_MAX && sel.to > end) {
      qreal x1 = cells.XOf(std::max(sel.from, end), cw);
      qreal x2 = cells.XOf(sel.to, cw);
      p.fillRect(QRectF(left + x1, y, x2 - x1, lh), selBg);
    }
    if (special && e.model_.LineCount() > cells.span.line + 1) {
      p.setFont(FontFor(0));
      p.setPen(plainFg);
      p.drawText(QPointF(left + cells.XOf(end, cw), y + e.ascent_), QString(QChar(0x00B6)));
    }
  }
}

// A red wavy line under the visible text of a marked row (under one cell when it has none).
void TEditorPainter::PaintWavyLine(QPainter& p, const TRowCells& cells, int y) {
  TTextEditor& e = editor_;
  const qreal left = e.TextLeft() + (cells.Count() > 0 ? cells.x.front() : 0);
  const qreal right =
      e.TextLeft() + std::max(cells.endX, (cells.Count() > 0 ? cells.x.front() : 0) + e.charWidth_);
  const qreal base = y + e.lineHeight_ - 2;
  constexpr qreal kStep = 2;
  QPainterPath wave;
  wave.moveTo(left, base);
  bool up = true;
  for (qreal x = left + kStep; x < right + kStep; x += kStep, up = !up)
    wave.lineTo(x, up ? base - kStep : base);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0xE0, 0x20, 0x20), 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
  p.restore();
}

void TEditorPainter::PaintGutter(QPainter& p, const std::vector<TRowSpan>& rows, int height,
                                 const QRegion& area) {
  TTextEditor& e = editor_;
  if (!e.gutterVisible_) return;
  const int w = e.gutterWidth_;
  if (!area.intersects(QRect(0, 0, w, height))) return;
  const QColor face = Color(e.gutterColor_, e.palette().color(QPalette::Button));
  if (e.gutterGradient_) {
    QLinearGradient gradient(0, 0, w, 0);
    gradient.setColorAt(0, face);
    gradient.setColorAt(1, Color(e.gutterGradientEnd_, e.palette().color(QPalette::Base)));
    p.fillRect(QRect(0, 0, w, height), gradient);
  } else {
    p.fillRect(QRect(0, 0, w, height), face);
  }
  p.setPen(e.palette().color(QPalette::Mid));
  p.drawLine(w - 1, 0, w - 1, height);

  // Bookmarks by line.
  std::vector<std::pair<int, int>> marks;  // (line from 0, number)
  for (int n = 0; n <= 9; ++n) {
    TBufferPos pos;
    if (e.model_.GetBookmark(n, pos)) marks.emplace_back(pos.Line - 1, n);
  }
  const int lh = e.lineHeight_;
  p.setFont(e.font_);
  const QColor numberColor = e.palette().color(QPalette::ButtonText);
  QFont small = e.font_;
  small.setPointSizeF(std::max(6.0, e.font_.pointSizeF() * 0.75));
  small.setBold(true);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const TRowSpan& row = rows[r];
    const int y = static_cast<int>(r) * lh;
    if (row.subRow != 0 || !area.intersects(QRect(0, y, w, lh))) continue;
    if (e.showLineNumbers_) {
      p.setPen(numberColor);
      p.setFont(e.font_);
      p.drawText(QRect(0, y, w - 4, lh), Qt::AlignRight | Qt::AlignVCenter,
                 QString::number(row.line + 1));
    }
    int markLeft = 2;
    if (e.model_.LineMarkAt(row.line + 1)) {
      // A problem on the line: a red disc with "!".
      const QRect disc(2, y + 1, lh - 2, lh - 2);
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xD0, 0x20, 0x20));
      p.drawEllipse(disc);
      p.restore();
      p.setPen(Qt::white);
      p.setFont(small);
      p.drawText(disc, Qt::AlignCenter, QStringLiteral("!"));
      markLeft += lh / 2;  // a bookmark of the line shows beside it
    }
    for (const auto& [line, number] : marks) {
      if (line != row.line) continue;
      QRect box(markLeft, y + 1, lh - 2, lh - 2);
      p.fillRect(box, QColor(0x30, 0x70, 0xC0));
      p.setPen(Qt::white);
      p.setFont(small);
      p.drawText(box, Qt::AlignCenter, QString::number(number));
      break;
    }
  }
}

void TEditorPainter::PaintCaret(QPainter& p, const std::vector<TRowSpan>& rows) {
  TTextEditor& e = editor_;
  TBufferPos caret = e.model_.CaretPos();
  TRowPos at = e.layout_.RowOf(caret.Line - 1, caret.Column - 1);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].line != at.line || rows[r].subRow != at.subRow) continue;
    TRowCells cells = Cells(rows[r], e.viewport()->width());
    const qreal x = e.TextLeft() + cells.XOf(caret.Column - 1, e.charWidth_);
    const int y = static_cast<int>(r) * e.lineHeight_;
    if (x < e.TextLeft() - 1) return;
    const QColor color = Color(e.fontColor_, e.palette().color(QPalette::Text));
    if (!e.preedit_.isEmpty()) {
      p.setFont(e.font_);
      QFontMetricsF metrics(e.font_);
      qreal width = metrics.horizontalAdvance(e.preedit_);
      p.fillRect(QRectF(x, y, width, e.lineHeight_), Color(e.color_, Qt::white));
      p.setPen(color);
      p.drawText(QPointF(x, y + e.ascent_), e.preedit_);
      p.drawLine(QPointF(x, y + e.lineHeight_ - 1), QPointF(x + width, y + e.lineHeight_ - 1));
    }
    if (e.model_.InsertMode()) {
      p.fillRect(QRectF(x, y, 2, e.lineHeight_), color);
    } else {
      p.save();
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(QRectF(x, y, e.charWidth_, e.lineHeight_), Qt::white);
      p.restore();
    }
    return;
  }
}

void TEditorPainter::Paint(QPainter& p, const QRegion& area) {
  TTextEditor& e = editor_;
  const int width = e.viewport()->width();
  const int height = e.viewport()->height();
  const int lh = e.lineHeight_;
  p.fillRect(area.boundingRect(), Color(e.color_, e.palette().color(QPalette::Base)));

  std::vector<TRowSpan> rows;
  e.layout_.Rows(e.top_, e.visibleRows_ + 1, rows);
  const int textWidth = std::max(0, width - e.TextLeft());
  const int caretLine = e.model_.CaretY() - 1;
  const QColor activeLine = Color(e.activeLineColor_, QColor());
  auto rowShown = [&](std::size_t r) {
    return area.intersects(QRect(0, static_cast<int>(r) * lh, width, lh));
  };

  p.save();
  p.setClipRect(QRect(e.TextLeft() - TTextEditor::kTextMargin, 0, width, height));
  int tokenLine = -1;
  bool tokensWhole = false;
  THighlighterState lineState = 0, nextState = 0;
  e.guessedOnScreen_ = !rows.empty() && !e.states_.IsExact(rows.front().line);
  // Rows left out start from their exact state when it is known or near the known part;
  // otherwise every row is tokenized from the top, as a full paint does, so that guessed
  // states agree with it.
  std::size_t firstShown = 0;
  while (firstShown < rows.size() && !rowShown(firstShown)) ++firstShown;
  const bool skipRows =
      firstShown < rows.size() &&
      rows[firstShown].line <= e.states_.KnownLines() + THighlightStates::kRepairLines;
  SelectionOnLine selection;
  for (std::size_t r = skipRows ? firstShown : 0; r < rows.size(); ++r) {
    const TRowSpan& row = rows[r];
    const int y = static_cast<int>(r) * lh;
    if (y >= height) break;
    const bool shown = rowShown(r);
    if (!shown && skipRows) continue;
    if (row.line != tokenLine) {
      lineState = (tokenLine >= 0 && row.line == tokenLine + 1) ? nextState
                                                                : e.states_.StartState(row.line);
      tokenLine = row.line;
      tokensWhole = false;
      selection = SelectionOf(row.line);
      // The scroll range grows to the widest line seen (long lines: counted in characters).
      TLineGeometry& geometry = e.layout_.Geometry();
      e.longestSeen_ =
          std::max(e.longestSeen_, geometry.IsLong(row.line) ? geometry.LineChars(row.line)
                                                             : geometry.LineColumns(row.line));
    }
    TRowCells cells = Cells(row, textWidth);
    if (shown && activeLine.isValid() && row.line == caretLine) {
      p.fillRect(QRect(e.TextLeft() - TTextEditor::kTextMargin, y, width, lh), activeLine);
    }
    const bool whole =
        cells.slice.lineByte == 0 && cells.slice.text.size() == cells.slice.lineBytes;
    if (!(whole && tokensWhole)) {
      nextState = e.states_.Tokenize(row.line, lineState, cells.slice, tokens_);
      tokensWhole = whole;
    }
    if (shown) PaintRow(p, cells, y, tokens_, selection);
    if (shown && !e.model_.LineMarks().empty() && e.model_.LineMarkAt(row.line + 1))
      PaintWavyLine(p, cells, y);
  }
  if (e.rightEdge_ > 0 && e.rightEdgeColor_ != clNone) {
    const int scroll = e.layout_.WordWrap() ? 0 : e.leftColumn_;
    const qreal x = e.TextLeft() + (e.rightEdge_ - scroll) * e.charWidth_;
    if (x >= e.TextLeft()) {
      p.setPen(Color(e.rightEdgeColor_, Qt::lightGray));
      p.drawLine(QPointF(x, 0), QPointF(x, height));
    }
  }
  const bool showCaret = e.hasFocus() ? e.caretOn_ : e.alwaysShowCaret_;
  if (showCaret) PaintCaret(p, rows);
  if (e.dropCaretShown_) {
    TDisplayPos d = e.BufferToDisplayPos(e.dropCaret_);
    QPoint at = e.RowColumnToPixels(d);
    p.fillRect(QRect(at.x(), at.y(), 2, lh), Color(e.fontColor_, Qt::black));
  }
  p.restore();
  PaintGutter(p, rows, height, area);
}

}  // namespace tervil
