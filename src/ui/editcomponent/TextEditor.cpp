#include "ui/editcomponent/TextEditor.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <set>

#include "ui/editcomponent/EditorClipboard.h"
#include "ui/editcomponent/EditorPainter.h"

namespace tervil {

namespace {

// Every live editor, so that drag data naming an editor can be checked before it is used.
std::set<const TTextEditor*>& LiveEditors() {
  static std::set<const TTextEditor*> editors;
  return editors;
}

// Qt palette roles standing for the desktop's system colour indices.
QColor SystemColor(const QPalette& palette, unsigned index) {
  switch (index) {
    case 0x05:
      return palette.color(QPalette::Base);  // window background
    case 0x08:
      return palette.color(QPalette::Text);  // window text
    case 0x0D:
      return palette.color(QPalette::Highlight);  // selection
    case 0x0E:
      return palette.color(QPalette::HighlightedText);
    case 0x0F:
      return palette.color(QPalette::Button);  // button face
    case 0x10:
      return palette.color(QPalette::Dark);  // button shadow
    case 0x11:
      return palette.color(QPalette::PlaceholderText);  // grey text
    case 0x12:
      return palette.color(QPalette::ButtonText);
    case 0x14:
      return palette.color(QPalette::Light);
    case 0x15:
      return palette.color(QPalette::Shadow);
    case 0x16:
      return palette.color(QPalette::Midlight);
    case 0x17:
      return palette.color(QPalette::ToolTipText);
    case 0x18:
      return palette.color(QPalette::ToolTipBase);
    case 0x04:
    case 0x1E:
      return palette.color(QPalette::Window);  // menu
    case 0x07:
      return palette.color(QPalette::WindowText);  // menu text
    default:
      return palette.color(QPalette::Window);
  }
}

}  // namespace

// Hands the model's notifications to the editor.
class TTextEditor::Listener : public TEditorListener {
 public:
  explicit Listener(TTextEditor& editor) : editor_(editor) {}
  void LinesInserted(int first, int count) override { editor_.OnLinesInserted(first, count); }
  void LinesDeleted(int first, int count) override { editor_.OnLinesDeleted(first, count); }
  void LinesChanged(int first, int count) override { editor_.OnLinesChanged(first, count); }
  void TextReset() override { editor_.OnTextReset(); }
  void TextEdited(std::size_t byte, std::size_t removed, std::string_view inserted) override {
    editor_.layout_.TextEdited(byte, removed, inserted);
  }
  void BeforeCommand(TCommandEvent& event) override { editor_.CommandProcessed(event); }
  void StatusChanged(TStatusChanges changes) override { editor_.OnStatusChanged(changes); }

 private:
  TTextEditor& editor_;
};

TTextEditor::TTextEditor(QWidget* parent)
    : QAbstractScrollArea(parent),
      listener_(std::make_unique<Listener>(*this)),
      clipboard_(std::make_unique<TEditorClipboard>(model_)),
      layout_(model_.Buffer()),
      states_(model_.Buffer()),
      painter_(std::make_unique<TEditorPainter>(*this)) {
  LiveEditors().insert(this);
  model_.AddListener(listener_.get());
  model_.SetClipboard(clipboard_.get());
  layout_.SetTabWidth(model_.TabWidth());

  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAcceptDrops(true);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  font_ = font;
  UpdateFontMetrics();

  const int flash = QApplication::cursorFlashTime();
  caretTimer_.setInterval(flash > 0 ? flash / 2 : 500);
  connect(&caretTimer_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    viewport()->update(shown_.caretRow);
  });
  autoScrollTimer_.setInterval(50);
  connect(&autoScrollTimer_, &QTimer::timeout, this, [this] { AutoScrollTick(); });
  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(0);
  connect(&idleTimer_, &QTimer::timeout, this, [this] { IdleHighlight(); });
  connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int value) {
    if (model_.HasOption(eoShowScrollHint)) {
      QScrollBar* bar = verticalScrollBar();
      QPoint at = bar->mapToGlobal(QPoint(-4, bar->height() / 2));
      QToolTip::showText(at, QStringLiteral("Top Line: %1").arg(value + 1), bar);
    }
  });
  connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [] { QToolTip::hideText(); });

  using K = Qt::KeyboardModifier;
  const Qt::KeyboardModifiers none, ctrl(K::ControlModifier), shift(K::ShiftModifier),
      cs(K::ControlModifier | K::ShiftModifier), ca(K::ControlModifier | K::AltModifier);
  struct Binding {
    int key;
    Qt::KeyboardModifiers modifiers;
    TEditorCommand command;
  };
  const Binding bindings[] = {
      {Qt::Key_Left, none, ecLeft},
      {Qt::Key_Right, none, ecRight},
      {Qt::Key_Up, none, ecUp},
      {Qt::Key_Down, none, ecDown},
      {Qt::Key_Left, ctrl, ecWordLeft},
      {Qt::Key_Right, ctrl, ecWordRight},
      {Qt::Key_Home, none, ecLineStart},
      {Qt::Key_End, none, ecLineEnd},
      {Qt::Key_PageUp, none, ecPageUp},
      {Qt::Key_PageDown, none, ecPageDown},
      {Qt::Key_PageUp, ctrl, ecPageTop},
      {Qt::Key_PageDown, ctrl, ecPageBottom},
      {Qt::Key_Home, ctrl, ecEditorTop},
      {Qt::Key_End, ctrl, ecEditorBottom},
      {Qt::Key_Up, ctrl, ecScrollUp},
      {Qt::Key_Down, ctrl, ecScrollDown},
      {Qt::Key_Backspace, none, ecDeleteLastChar},
      {Qt::Key_Backspace, shift, ecDeleteLastChar},
      {Qt::Key_Backspace, ctrl, ecDeleteLastWord},
      {Qt::Key_Delete, none, ecDeleteChar},
      {Qt::Key_Delete, ctrl, ecDeleteWord},
      {Qt::Key_Insert, none, ecToggleMode},
      {Qt::Key_Return, none, ecLineBreak},
      {Qt::Key_Enter, none, ecLineBreak},
      {Qt::Key_Return, shift, ecLineBreak},
      {Qt::Key_Tab, none, ecTab},
      {Qt::Key_Backtab, shift, ecShiftTab},
      {Qt::Key_Tab, shift, ecShiftTab},
      {Qt::Key_Z, ctrl, ecUndo},
      {Qt::Key_Y, ctrl, ecRedo},
      {Qt::Key_Z, cs, ecRedo},
      {Qt::Key_Backspace, K::AltModifier, ecUndo},
      {Qt::Key_C, ctrl, ecCopy},
      {Qt::Key_Insert, ctrl, ecCopy},
      {Qt::Key_X, ctrl, ecCut},
      {Qt::Key_Delete, shift, ecCut},
      {Qt::Key_V, ctrl, ecPaste},
      {Qt::Key_Insert, shift, ecPaste},
      {Qt::Key_A, ctrl, ecSelectAll},
      {Qt::Key_Space, cs, ecAutoCompletion},
      {Qt::Key_N, ca, ecNormalSelect},
      {Qt::Key_C, ca, ecColumnSelect},
      {Qt::Key_L, ca, ecLineSelect},
      {Qt::Key_BracketLeft, cs, ecMatchBracket},
  };
  for (const Binding& b : bindings) AddKey(b.key, b.modifiers, b.command);
  const TEditorCommand selecting[] = {
      ecLeft,    ecRight,  ecUp,       ecDown,    ecWordLeft,   ecWordRight, ecLineStart,
      ecLineEnd, ecPageUp, ecPageDown, ecPageTop, ecPageBottom, ecEditorTop, ecEditorBottom};
  for (const Binding& b : bindings) {
    for (TEditorCommand c : selecting) {
      if (b.command == c) {
        AddKey(b.key, b.modifiers | K::ShiftModifier, static_cast<TEditorCommand>(c + ecSelection));
      }
    }
  }
  UpdateGutterWidth();
}

TTextEditor::~TTextEditor() {
  LiveEditors().erase(this);
  model_.RemoveListener(listener_.get());
  model_.SetClipboard(nullptr);
}

TTextEditor* TTextEditor::DragSource(const QMimeData& data) {
  if (!data.hasFormat(kDragMimeType)) return nullptr;
  QList<QByteArray> parts = data.data(kDragMimeType).split(':');
  if (parts.size() != 2 || parts[0].toLongLong() != QCoreApplication::applicationPid()) {
    return nullptr;
  }
  auto* editor = reinterpret_cast<TTextEditor*>(parts[1].toULongLong());
  return LiveEditors().count(editor) ? editor : nullptr;
}

// ---------------------------------------------------------------- model notifications

void TTextEditor::OnLinesInserted(int first, int count) {
  NoteLinesMoved(first);
  layout_.LinesInserted(first, count);
  states_.LinesInserted(first, count);
}

void TTextEditor::OnLinesDeleted(int first, int count) {
  NoteLinesMoved(first);
  layout_.LinesDeleted(first, count);
  states_.LinesDeleted(first, count);
}

void TTextEditor::OnLinesChanged(int first, int count) {
  NoteLinesChanged(first, count);
  layout_.LinesChanged(first, count);
  states_.LinesChanged(first, count);
}

void TTextEditor::OnTextReset() {
  layout_.Reset();
  states_.Reset();
  top_ = {};
  leftColumn_ = 0;
  longestSeen_ = 0;
  UpdateAll();
}

void TTextEditor::OnStatusChanged(TStatusChanges changes) {
  if ((changes & scTopLine) && !syncingScroll_ && model_.TopLine() - 1 != top_.line) {
    top_ = {std::clamp(model_.TopLine() - 1, 0, model_.LineCount() - 1), 0};
  }
  if (changes & scOptions) {
    if (layout_.TabWidth() != model_.TabWidth()) {
      layout_.SetTabWidth(model_.TabWidth());
    }
  }
  if (top_.line >= model_.LineCount()) top_ = {model_.LineCount() - 1, 0};
  if (changes & scText) UpdateGutterWidth();
  UpdateScrollBars();
  if (changes & (scCaret | scText)) {
    EnsureCaretVisible();
    ResetCaretBlink();
  }
  if (changes & scText) ScheduleIdleHighlight();
  UpdateChangedArea();
  StatusChanged(changes);
  if (changes & scText) TextChanged();
}

void TTextEditor::StatusChanged(TStatusChanges changes) {
  if (OnStatusChange) OnStatusChange(*this, changes);
}

void TTextEditor::TextChanged() {
  if (OnChange) OnChange(*this);
}

void TTextEditor::CommandProcessed(TCommandEvent& event) {
  if (OnCommandProcessed) OnCommandProcessed(*this, event);
  if (event.handled || event.command != ecPaste || model_.ReadOnly()) return;
  if (!clipboard_->HoldsColumnBlock()) return;
  // A column block pastes as a column, whatever the current selection mode.
  event.handled = true;
  const TSelectionMode mode = model_.SelectionMode();
  const std::string text = clipboard_->Text();
  model_.BeginUpdate();
  model_.BeginUndoBlock();
  if (model_.SelAvail()) model_.SetSelText({});
  model_.SetSelectionMode(TSelectionMode::smColumn);
  model_.SetSelText(text);
  model_.SetSelectionMode(mode);
  model_.EndUndoBlock();
  model_.EndUpdate();
}

// ---------------------------------------------------------------- geometry

void TTextEditor::UpdateFontMetrics() {
  QFontMetricsF metrics(font_);
  charWidth_ = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
  fixedPitch_ = QFontInfo(font_).fixedPitch() &&
                std::abs(metrics.horizontalAdvance(QLatin1Char('i')) - charWidth_) < 0.01;
  painter_->ResetFonts();
  UpdateGutterWidth();
  UpdateViewSize();
}

void TTextEditor::SetLineMarks(std::vector<TLineMark> marks) {
  if (marks == model_.LineMarks()) return;
  model_.SetLineMarks(std::move(marks));
  viewport()->update();
}

void TTextEditor::UpdateGutterWidth() {
  if (!gutterAutoSize_) return;
  int digits = 2;
  for (int n = model_.LineCount(); n >= 100; n /= 10) ++digits;
  int width = lineHeight_ + 2;  // bookmark marks
  if (showLineNumbers_) width += static_cast<int>(std::ceil(digits * charWidth_)) + 6;
  if (width != gutterWidth_) {
    gutterWidth_ = width;
    UpdateViewSize();
  }
}

void TTextEditor::UpdateViewSize() {
  const int height = viewport()->height();
  const int width = viewport()->width() - TextLeft();
  visibleRows_ = std::max(1, height / lineHeight_);
  visibleColumns_ = std::max(1, static_cast<int>(width / charWidth_));
  layout_.SetWrapWidth(visibleColumns_);
  model_.SetLinesInWindow(laidOut_ ? visibleRows_ : 0);
  UpdateScrollBars();
  UpdateAll();
}

void TTextEditor::UpdateScrollBars() {
  syncingScroll_ = true;
  QScrollBar* v = verticalScrollBar();
  const int lines = model_.LineCount();
  const int maxTop = layout_.WordWrap() ? lines - 1 : std::max(0, lines - visibleRows_);
  v->setRange(0, maxTop);
  v->setPageStep(visibleRows_);
  v->setSingleStep(1);
  v->setValue(top_.line);
  QScrollBar* h = horizontalScrollBar();
  if (layout_.WordWrap()) {
    leftColumn_ = 0;
    h->setRange(0, 0);
  } else {
    // Wide enough for the widest line painted so far and the caret (plus a cell after it).
    const TBufferPos caret = model_.CaretPos();
    int widest = std::max(longestSeen_, leftColumn_);
    widest = std::max(widest, layout_.Geometry().DisplayColumn(caret.Line - 1, caret.Column - 1));
    // Past the line ends the range reaches the maximum scroll width, unless it is sized to
    // the lines.
    if (model_.HasOption(eoScrollPastEol) && !model_.HasOption(eoAutoSizeMaxScrollWidth)) {
      widest = std::max(widest, model_.MaxScrollWidth());
    }
    h->setRange(0, std::max(0, widest + 1 - visibleColumns_));
    h->setPageStep(visibleColumns_);
    h->setValue(leftColumn_);
  }
  syncingScroll_ = false;
}

void TTextEditor::ScrollToRow(TRowPos top) {
  top.line = std::clamp(top.line, 0, model_.LineCount() - 1);
  if (top == top_) return;
  top_ = top;
  syncingScroll_ = true;
  verticalScrollBar()->setValue(top_.line);
  model_.SetTopLine(top_.line + 1);
  syncingScroll_ = false;
  UpdateAll();
}

void TTextEditor::SetTopLine(int line) {
  ScrollToRow({line - 1, 0});
}

void TTextEditor::EnsureCaretVisible() {
  if (!laidOut_) return;
  const TBufferPos caret = model_.CaretPos();
  const int line = std::clamp(caret.Line - 1, 0, model_.LineCount() - 1);
  const TRowPos row = layout_.RowOf(line, caret.Column - 1);
  const int distance = layout_.Distance(top_, row, visibleRows_ + 1);
  if (distance < 0) {
    ScrollToRow(row);
  } else if (distance >= visibleRows_) {
    ScrollToRow(layout_.Offset(row, -(visibleRows_ - 1)));
  }
  if (layout_.WordWrap()) return;
  const int column = layout_.Geometry().DisplayColumn(line, caret.Column - 1);
  int left = leftColumn_;
  if (column < left) {
    // Back to the left edge whenever the caret's column fits in the window from there.
    left = column < visibleColumns_ ? 0 : std::max(0, column - visibleColumns_ / 4);
  } else if (column >= left + visibleColumns_) {
    left = column - visibleColumns_ * 3 / 4;
  }
  if (left != leftColumn_) {
    leftColumn_ = left;
    UpdateScrollBars();
    UpdateAll();
  }
}

void TTextEditor::scrollContentsBy(int, int) {
  if (syncingScroll_) return;
  const int line = verticalScrollBar()->value();
  if (line != top_.line) {
    top_ = {line, 0};
    syncingScroll_ = true;
    model_.SetTopLine(line + 1);
    syncingScroll_ = false;
  }
  if (!layout_.WordWrap()) leftColumn_ = horizontalScrollBar()->value();
  UpdateAll();
}

int TTextEditor::RowStartColumn(const TRowSpan& row) const {
  return layout_.WordWrap() ? row.columnBegin : leftColumn_;
}

TRowSpan TTextEditor::RowAtY(int y, bool clampToText) {
  int rows = y < 0 ? -((-y + lineHeight_ - 1) / lineHeight_) : y / lineHeight_;
  TRowPos at = layout_.Offset(top_, rows);
  (void)clampToText;
  return layout_.Row(at);
}

qreal TTextEditor::XOfChar(const TRowSpan& row, int charIndex) {
  TRowCells cells = painter_->Cells(row, viewport()->width() - TextLeft());
  return cells.XOf(charIndex, charWidth_);
}

int TTextEditor::CharAtX(const TRowSpan& row, qreal x) {
  TRowCells cells = painter_->Cells(row, viewport()->width() - TextLeft());
  int c = cells.CharAtX(x, charWidth_);
  c = std::max(c, row.charBegin);
  if (!row.lastRow && c >= row.charEnd) c = std::max(row.charBegin, row.charEnd - 1);
  return c;
}

TDisplayPos TTextEditor::BufferToDisplayPos(TBufferPos pos) {
  const int line = std::clamp(pos.Line - 1, 0, model_.LineCount() - 1);
  const int index = std::max(0, pos.Column - 1);
  const TRowPos row = layout_.RowOf(line, index);
  const TRowSpan span = layout_.Row(row);
  return {layout_.ColumnInRow(span, index) + 1, line + 1, row.subRow};
}

TBufferPos TTextEditor::DisplayToBufferPos(TDisplayPos pos) {
  const int line = std::clamp(pos.Line - 1, 0, model_.LineCount() - 1);
  const TRowSpan span = layout_.Row(line, pos.SubRow);
  return {layout_.CharAtColumnInRow(span, pos.Column - 1, false) + 1, line + 1};
}

QPoint TTextEditor::RowColumnToPixels(TDisplayPos pos) {
  const int line = std::clamp(pos.Line - 1, 0, model_.LineCount() - 1);
  int rows;
  if (layout_.WordWrap()) {
    rows = layout_.Distance(top_, {line, pos.SubRow}, visibleRows_ + 64);
  } else {
    rows = line - top_.line;
  }
  qreal x;
  const TRowSpan span = layout_.Row(line, pos.SubRow);
  if (fixedPitch_) {
    x = (pos.Column - 1 + span.columnBegin - RowStartColumn(span)) * charWidth_;
  } else {
    x = XOfChar(span, layout_.CharAtColumnInRow(span, pos.Column - 1, false));
  }
  return QPoint(TextLeft() + static_cast<int>(std::lround(x)), rows * lineHeight_);
}

TBufferPos TTextEditor::PixelsToBufferPos(QPoint point) {
  const TRowSpan span = RowAtY(point.y(), true);
  const int index = CharAtX(span, point.x() - TextLeft());
  return {index + 1, span.line + 1};
}

int TTextEditor::LineAtPixel(int y) {
  return RowAtY(y, true).line + 1;
}

// ---------------------------------------------------------------- highlighting

void TTextEditor::SetHighlighter(THighlighter* highlighter) {
  states_.SetHighlighter(highlighter);
  ScheduleIdleHighlight();
  UpdateAll();
}

void TTextEditor::ScheduleIdleHighlight() {
  if (!states_.Complete() && !idleTimer_.isActive()) idleTimer_.start();
}

void TTextEditor::IdleHighlight() {
  const bool more = states_.Advance(std::chrono::milliseconds(8));
  if (guessedOnScreen_ && states_.IsExact(top_.line)) UpdateAll();
  if (more) idleTimer_.start();
}

bool TTextEditor::GetHighlighterAttriAtRowCol(TBufferPos pos, std::string& token,
                                              const THighlighterAttribute*& attribute) {
  token.clear();
  attribute = nullptr;
  if (states_.Highlighter() == nullptr || pos.Line < 1 || pos.Line > model_.LineCount()) {
    return false;
  }
  const int line = pos.Line - 1;
  const int index = pos.Column - 1;
  TLineGeometry& geometry = layout_.Geometry();
  if (index < 0 || index >= geometry.LineChars(line)) return false;
  TLineSlice slice = geometry.IsLong(line)
                         ? geometry.SliceChars(line, std::max(0, index - 2048), 4096)
                         : geometry.WholeLine(line);
  std::vector<TToken> tokens;
  states_.Tokenize(line, states_.StartState(line), slice, tokens);
  std::size_t byte = 0;
  for (int c = slice.firstChar; c < index && byte < slice.text.size(); ++c) {
    do {
      ++byte;
    } while (byte < slice.text.size() &&
             (static_cast<unsigned char>(slice.text[byte]) & 0xC0) == 0x80);
  }
  for (const TToken& t : tokens) {
    if (static_cast<int>(byte) >= t.start && static_cast<int>(byte) < t.start + t.length) {
      token =
          slice.text.substr(static_cast<std::size_t>(t.start), static_cast<std::size_t>(t.length));
      attribute = t.attribute;
      return attribute != nullptr;
    }
  }
  return false;
}

// ---------------------------------------------------------------- appearance

QColor TTextEditor::ToQColor(TColor color, QColor fallback) const {
  if (color == clNone || color == clDefault) return fallback;
  if (IsSystemColor(color)) return SystemColor(palette(), color & 0xFF);
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

void TTextEditor::SetEditorFont(const QFont& font) {
  font_ = font;
  UpdateFontMetrics();
}

void TTextEditor::SetFontSize(int points) {
  if (points <= 0 || points == font_.pointSize()) return;
  font_.setPointSize(points);
  UpdateFontMetrics();
}

void TTextEditor::SetTabWidth(int width) {
  model_.SetTabWidth(width);
  layout_.SetTabWidth(model_.TabWidth());
  UpdateAll();
}

void TTextEditor::SetOptions(TEditorOptions options) {
  model_.SetOptions(options);
}

void TTextEditor::SetWordWrap(bool on) {
  if (on == layout_.WordWrap()) return;
  layout_.SetWordWrap(on);
  top_.subRow = 0;
  setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  UpdateViewSize();
  EnsureCaretVisible();
  UpdateAll();
}

void TTextEditor::SetAlwaysShowCaret(bool on) {
  alwaysShowCaret_ = on;
  UpdateAll();
}

void TTextEditor::SetRightEdge(int column) {
  rightEdge_ = std::max(0, column);
  UpdateAll();
}

void TTextEditor::SetRightEdgeColor(TColor color) {
  rightEdgeColor_ = color;
  UpdateAll();
}

void TTextEditor::SetColor(TColor color) {
  color_ = color;
  UpdateAll();
}

void TTextEditor::SetFontColor(TColor color) {
  fontColor_ = color;
  UpdateAll();
}

void TTextEditor::SetActiveLineColor(TColor color) {
  activeLineColor_ = color;
  UpdateAll();
}

void TTextEditor::SetSelectedColors(TColor background, TColor foreground) {
  selectedBackground_ = background;
  selectedForeground_ = foreground;
  UpdateAll();
}

void TTextEditor::SetGutterVisible(bool on) {
  gutterVisible_ = on;
  UpdateViewSize();
}

void TTextEditor::SetGutterAutoSize(bool on) {
  gutterAutoSize_ = on;
  UpdateGutterWidth();
  UpdateViewSize();
}

void TTextEditor::SetGutterWidth(int pixels) {
  gutterAutoSize_ = false;
  gutterWidth_ = std::max(0, pixels);
  UpdateViewSize();
}

void TTextEditor::SetGutterGradient(bool on) {
  gutterGradient_ = on;
  UpdateAll();
}

void TTextEditor::SetShowLineNumbers(bool on) {
  showLineNumbers_ = on;
  UpdateGutterWidth();
  UpdateAll();
}

void TTextEditor::SetGutterColor(TColor color) {
  gutterColor_ = color;
  UpdateAll();
}

void TTextEditor::SetGutterGradientEndColor(TColor color) {
  gutterGradientEnd_ = color;
  UpdateAll();
}

void TTextEditor::Repaint() {
  UpdateAll();
}

void TTextEditor::InvalidateLines(int first, int last) {
  viewport()->update(LineRowsRegion(first - 1, std::max(first, last) - 1, true));
}

void TTextEditor::InvalidateGutter() {
  viewport()->update(QRect(0, 0, gutterWidth_, viewport()->height()));
}

// ---------------------------------------------------------------- painting and resizing

void TTextEditor::paintEvent(QPaintEvent* event) {
  const int widest = longestSeen_;
  if (QRegion(viewport()->rect()).subtracted(event->region()).isEmpty()) {
    fullUpdatePending_ = false;
    shown_ = ShownStateNow();
  }
  QPainter painter(viewport());
  painter_->Paint(painter, event->region());
  PaintOverlay(painter);
  if (longestSeen_ != widest) {
    QMetaObject::invokeMethod(
        this, [this] { UpdateScrollBars(); }, Qt::QueuedConnection);
  }
}

void TTextEditor::PaintOverlay(QPainter& painter) {
  if (OnPaint) OnPaint(*this, painter);
}

void TTextEditor::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateViewSize();
}

void TTextEditor::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (laidOut_) return;
  UpdateViewSize();
  laidOut_ = true;
  // The first real size: the top line set while hidden stays, unless the caret's line is not
  // in the window, which then shows it in the middle.
  model_.SetLinesInWindow(visibleRows_, false);
  model_.ShowCaretInContext();
  EnsureCaretVisible();
}

void TTextEditor::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    // The editor font is set with SetEditorFont; the widget font only affects scroll hints.
  } else if (event->type() == QEvent::PaletteChange) {
    UpdateAll();
  }
  QAbstractScrollArea::changeEvent(event);
}

}  // namespace tervil
