// Keyboard, mouse, drag and drop and input methods of the editor widget.

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "ui/editcomponent/EditorClipboard.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

constexpr Qt::KeyboardModifiers kBindingModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

std::string ToUtf8(const QString& text) {
  QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool IsTypable(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  }
  return true;
}

// Whether a key with these modifiers types its text: not with Ctrl or Alt alone (commands and
// menu accelerators), but with Ctrl+Alt, which some layouts use for a third level.
bool TypesText(Qt::KeyboardModifiers modifiers) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool alt = modifiers & Qt::AltModifier;
  return ctrl == alt;
}

}  // namespace

// ---------------------------------------------------------------- keys

void TTextEditor::AddKey(int key, Qt::KeyboardModifiers modifiers, TEditorCommand command) {
  const auto id = std::make_pair(key, static_cast<int>(modifiers & kBindingModifiers));
  if (command == ecNone) {
    keys_.erase(id);
  } else {
    keys_[id] = command;
  }
}

TEditorCommand TTextEditor::CommandForKey(int key, Qt::KeyboardModifiers modifiers) const {
  auto found = keys_.find(std::make_pair(key, static_cast<int>(modifiers & kBindingModifiers)));
  return found == keys_.end() ? ecNone : found->second;
}

void TTextEditor::ExecuteCommand(TEditorCommand command, char32_t ch, std::string_view text) {
  desiredRowColumn_ = -1;
  model_.ExecuteCommand(command, ch, text);
}

void TTextEditor::KeyDown(TKeyInfo& key) {
  if (OnKeyDown) OnKeyDown(*this, key);
}

void TTextEditor::KeyPress(char32_t& ch) {
  if (OnKeyPress) OnKeyPress(*this, ch);
  if (ch != 0) ExecuteCommand(ecChar, ch);
}

void TTextEditor::KeyUp(TKeyInfo& key) {
  if (OnKeyUp) OnKeyUp(*this, key);
}

void TTextEditor::TypeText(const QString& text) {
  for (char32_t ch : text.toUcs4()) {
    KeyPress(ch);
  }
}

bool TTextEditor::RunViewCommand(TEditorCommand command) {
  if (!layout_.WordWrap()) return false;
  // With word wrap, vertical moves go by screen rows rather than by lines.
  const bool extend = command > ecSelection && command < ecSelectAll;
  switch (extend ? command - ecSelection : static_cast<int>(command)) {
    case ecUp:
      MoveByRows(-1, extend);
      return true;
    case ecDown:
      MoveByRows(1, extend);
      return true;
    case ecPageUp:
      ScrollToRow(layout_.Offset(top_, -(visibleRows_ - 1)));
      MoveByRows(-(visibleRows_ - 1), extend);
      return true;
    case ecPageDown:
      ScrollToRow(layout_.Offset(top_, visibleRows_ - 1));
      MoveByRows(visibleRows_ - 1, extend);
      return true;
    default:
      return false;
  }
}

void TTextEditor::MoveByRows(int rows, bool extend) {
  const TBufferPos caret = model_.CaretPos();
  const TRowPos row = layout_.RowOf(caret.Line - 1, caret.Column - 1);
  if (desiredRowColumn_ < 0) {
    desiredRowColumn_ = layout_.ColumnInRow(layout_.Row(row), caret.Column - 1);
  }
  const TRowPos target = layout_.Offset(row, rows);
  const TRowSpan span = layout_.Row(target);
  const int index = layout_.CharAtColumnInRow(span, desiredRowColumn_, false);
  const int keep = desiredRowColumn_;
  model_.MoveCaret({index + 1, target.line + 1}, extend);
  desiredRowColumn_ = keep;
}

namespace {
// The keys that open a widget's context menu from the keyboard: the Menu key and Shift+F10.
bool OpensContextMenu(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  return (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
         (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}
}  // namespace

void TTextEditor::keyPressEvent(QKeyEvent* event) {
  if (OpensContextMenu(*event)) {
    // The menu opens at the caret, as for a context menu the window system asks for.
    const QPoint at = inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, mapToGlobal(at),
                                event->modifiers());
    QApplication::sendEvent(this, &menuEvent);
    event->accept();
    return;
  }
  TKeyInfo info{event->key(), event->modifiers() & ~Qt::KeypadModifier, event->text(),
                event->isAutoRepeat()};
  KeyDown(info);
  event->accept();
  if (info.Key == 0) return;
  const TEditorCommand command = CommandForKey(info.Key, info.Modifiers);
  if (command != ecNone) {
    if ((command == ecTab || command == ecShiftTab) && !wantTabs_) {
      event->ignore();
      return;
    }
    if (!RunViewCommand(command)) ExecuteCommand(command);
    return;
  }
  if (IsTypable(info.Text) && TypesText(info.Modifiers)) {
    TypeText(info.Text);
    return;
  }
  event->ignore();
}

void TTextEditor::keyReleaseEvent(QKeyEvent* event) {
  TKeyInfo info{event->key(), event->modifiers() & ~Qt::KeypadModifier, event->text(),
                event->isAutoRepeat()};
  KeyUp(info);
  if (info.Key == 0) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyReleaseEvent(event);
}

bool TTextEditor::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // Keys the editor handles itself are not taken by window shortcuts.
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (CommandForKey(key->key(), modifiers) != ecNone || OpensContextMenu(*key) ||
        (IsTypable(key->text()) && TypesText(modifiers) && !(modifiers & Qt::AltModifier))) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

// The hint of a line mark, over the mark in the gutter or over the marked line's text.
bool TTextEditor::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip && !model_.LineMarks().empty()) {
    auto* help = static_cast<QHelpEvent*>(event);
    const TLineMark* mark = model_.LineMarkAt(LineAtPixel(help->pos().y()));
    if (mark) {
      QToolTip::showText(help->globalPos(), QString::fromStdString(mark->Message), viewport());
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

bool TTextEditor::focusNextPrevChild(bool next) {
  if (wantTabs_) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TTextEditor::focusInEvent(QFocusEvent* event) {
  ResetCaretBlink();
  QAbstractScrollArea::focusInEvent(event);
  UpdateAll();
}

void TTextEditor::focusOutEvent(QFocusEvent* event) {
  caretTimer_.stop();
  QAbstractScrollArea::focusOutEvent(event);
  UpdateAll();
}

void TTextEditor::ResetCaretBlink() {
  caretOn_ = true;
  if (hasFocus()) caretTimer_.start();
}

// ---------------------------------------------------------------- mouse

namespace {

bool InSelection(const TEditorModel& model, TBufferPos pos) {
  if (!model.SelAvail()) return false;
  const TBufferPos b = model.BlockBegin(), e = model.BlockEnd();
  switch (model.SelectionMode()) {
    case TSelectionMode::smLine:
      return pos.Line >= b.Line && pos.Line <= e.Line;
    case TSelectionMode::smColumn: {
      const int c = model.DisplayColumn(pos);
      const int c1 = model.DisplayColumn(b), c2 = model.DisplayColumn(e);
      return pos.Line >= b.Line && pos.Line <= e.Line && c >= std::min(c1, c2) &&
             c < std::max(c1, c2);
    }
    case TSelectionMode::smNormal:
      return pos >= b && pos < e;
  }
  return false;
}

}  // namespace

void TTextEditor::SelectAt(QPoint point, bool extend) {
  desiredRowColumn_ = -1;
  model_.MoveCaret(PixelsToBufferPos(point), extend);
}

void TTextEditor::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (gutterVisible_ && point.x() < gutterWidth_) {
    GutterClicked(event->button(), point, LineAtPixel(point.y()));
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const TBufferPos pos = PixelsToBufferPos(point);
  if (event->button() == Qt::RightButton) {
    if (!InSelection(model_, pos)) SelectAt(point, false);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool alt = event->modifiers() & Qt::AltModifier;
  // A third click soon after a double click selects the line.
  if (doubleClickTime_.isValid() &&
      doubleClickTime_.elapsed() < QApplication::doubleClickInterval() &&
      (point - doubleClickPoint_).manhattanLength() < QApplication::startDragDistance()) {
    doubleClickTime_.invalidate();
    const int line = pos.Line;
    const TBufferPos end = line < model_.LineCount()
                               ? TBufferPos{1, line + 1}
                               : TBufferPos{model_.LineLength(line - 1) + 1, line};
    model_.SetCaretAndSelection(end, {1, line}, end);
    return;
  }
  if (!shift && !alt && model_.HasOption(eoDragDropEditing) && InSelection(model_, pos)) {
    dragPending_ = true;
    pressPoint_ = point;
    return;
  }
  if (alt) {
    model_.SetSelectionMode(TSelectionMode::smColumn);
    columnByAlt_ = true;
  } else if (columnByAlt_ && !shift) {
    model_.SetSelectionMode(TSelectionMode::smNormal);
    columnByAlt_ = false;
  }
  SelectAt(point, shift);
  selecting_ = true;
  lastMouse_ = point;
}

void TTextEditor::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  lastMouse_ = point;
  if (dragPending_) {
    if ((point - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
      dragPending_ = false;
      StartDrag();
    }
    return;
  }
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
  SelectAt(point, true);
  const QRect area = viewport()->rect();
  if (point.y() < 0 || point.y() >= area.height() || point.x() < TextLeft() ||
      point.x() >= area.width()) {
    if (!autoScrollTimer_.isActive()) autoScrollTimer_.start();
  } else {
    autoScrollTimer_.stop();
  }
}

void TTextEditor::mouseReleaseEvent(QMouseEvent* event) {
  if (dragPending_) {
    dragPending_ = false;
    SelectAt(event->position().toPoint(), false);
  }
  selecting_ = false;
  autoScrollTimer_.stop();
}

void TTextEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (gutterVisible_ && point.x() < gutterWidth_) return;
  if (event->button() != Qt::LeftButton) return;
  const TBufferPos pos = PixelsToBufferPos(point);
  const TBufferPos start = model_.WordStart(pos), end = model_.WordEnd(pos);
  if (start != end) model_.SetCaretAndSelection(end, start, end);
  doubleClickTime_.start();
  doubleClickPoint_ = point;
  selecting_ = false;
  dragPending_ = false;
}

void TTextEditor::AutoScrollTick() {
  const QRect area = viewport()->rect();
  if (lastMouse_.y() < 0) {
    ScrollToRow(layout_.Offset(top_, -1));
  } else if (lastMouse_.y() >= area.height()) {
    ScrollToRow(layout_.Offset(top_, 1));
  }
  if (!layout_.WordWrap()) {
    if (lastMouse_.x() < TextLeft() && leftColumn_ > 0) {
      horizontalScrollBar()->setValue(leftColumn_ - 1);
    } else if (lastMouse_.x() >= area.width()) {
      horizontalScrollBar()->setValue(leftColumn_ + 1);
    }
  }
  SelectAt(lastMouse_, true);
}

void TTextEditor::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  if (delta.y() == 0 || (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  const int rows = -delta.y() * QApplication::wheelScrollLines() / 120;
  if (rows == 0) return;
  ScrollToRow(layout_.Offset(top_, rows));
  if (!layout_.WordWrap()) top_.line = std::min(top_.line, verticalScrollBar()->maximum());
  UpdateScrollBars();
  event->accept();
}

void TTextEditor::GutterClicked(Qt::MouseButton button, QPoint point, int line) {
  if (OnGutterClick) OnGutterClick(*this, button, point, line);
}

// ---------------------------------------------------------------- drag and drop

void TTextEditor::StartDrag() {
  const std::string text = model_.SelText();
  if (text.empty()) return;
  QMimeData* data =
      TEditorClipboard::MakeMimeData(text, model_.SelectionMode() == TSelectionMode::smColumn);
  data->setData(kDragMimeType, QByteArray::number(QCoreApplication::applicationPid()) + ":" +
                                   QByteArray::number(reinterpret_cast<quintptr>(this)));
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  dropHandledHere_ = false;
  const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  // Another program took the text as a move; editors handle their drops themselves.
  if (action == Qt::MoveAction && !dropHandledHere_ && !model_.ReadOnly()) model_.SetSelText({});
}

bool TTextEditor::CanDrop(const QMimeData& data) const {
  return !model_.ReadOnly() && data.hasText();
}

void TTextEditor::dragEnterEvent(QDragEnterEvent* event) {
  dragMoveEvent(event);
}

void TTextEditor::dragMoveEvent(QDragMoveEvent* event) {
  const QMimeData* data = event->mimeData();
  const QPoint point = event->position().toPoint();
  bool accept = false;
  if (OnDragOver && data != nullptr) OnDragOver(*this, *data, point, accept);
  if (accept) {
    dropCaretShown_ = false;
    event->acceptProposedAction();
    return;
  }
  if (data == nullptr || !CanDrop(*data)) {
    event->ignore();
    return;
  }
  dropCaret_ = model_.ClampPos(PixelsToBufferPos(point));
  dropCaretShown_ = true;
  UpdateAll();
  event->acceptProposedAction();
}

void TTextEditor::dragLeaveEvent(QDragLeaveEvent*) {
  dropCaretShown_ = false;
  UpdateAll();
}

void TTextEditor::dropEvent(QDropEvent* event) {
  dropCaretShown_ = false;
  UpdateAll();
  const QMimeData* data = event->mimeData();
  const QPoint point = event->position().toPoint();
  if (data == nullptr) return;
  if (OnDragDrop && OnDragDrop(*this, *data, point)) {
    event->acceptProposedAction();
    return;
  }
  if (!CanDrop(*data)) {
    event->ignore();
    return;
  }
  TTextEditor* source = DragSource(*data);
  const bool move = event->dropAction() == Qt::MoveAction;
  const TBufferPos at = model_.ClampPos(PixelsToBufferPos(point));
  if (source != nullptr) source->dropHandledHere_ = true;
  if (source == this && InSelection(model_, at)) {
    event->ignore();
    return;
  }
  DropText(*data, at, source == this && move);
  event->acceptProposedAction();
  TextDropped(source, move);
}

void TTextEditor::DropText(const QMimeData& data, TBufferPos at, bool move) {
  const std::string text = ToUtf8(data.text());
  const bool column = TEditorClipboard::IsColumnBlock(data);
  const TSelectionMode mode = model_.SelectionMode();
  model_.BeginUpdate();
  model_.BeginUndoBlock();
  if (move && mode != TSelectionMode::smColumn) {
    // Moving within this editor: remove the selection, then find the drop point again.
    std::int64_t offset = model_.RowColToCharIndex(at);
    const std::int64_t start = model_.SelStart(), end = model_.SelEnd();
    if (offset >= end) offset -= end - start;
    model_.SetSelText({});
    at = model_.CharIndexToRowCol(offset);
  }
  model_.SetSelectionMode(column ? TSelectionMode::smColumn : TSelectionMode::smNormal);
  model_.SetCaretPos(at);
  model_.SetSelText(text);
  const TBufferPos end = model_.CaretPos();
  if (!column) model_.SetCaretAndSelection(end, at, end);
  model_.SetSelectionMode(mode == TSelectionMode::smColumn && !column ? TSelectionMode::smNormal
                                                                      : mode);
  model_.EndUndoBlock();
  model_.EndUpdate();
  setFocus(Qt::OtherFocusReason);
}

void TTextEditor::TextDropped(TTextEditor*, bool) {}

// ---------------------------------------------------------------- input methods

void TTextEditor::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) TypeText(event->commitString());
  preedit_ = event->preeditString();
  UpdateAll();
  event->accept();
}

QVariant TTextEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  auto* self = const_cast<TTextEditor*>(this);
  const TBufferPos caret = model_.CaretPos();
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImFont:
      return font_;
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle: {
      QPoint at = self->BufferPosToPixels(caret) + viewport()->geometry().topLeft();
      return QRect(at, QSize(2, lineHeight_));
    }
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
      // Within the caret's line, in UTF-16 units, as input methods count.
      TLineSlice slice = self->layout_.Geometry().SliceChars(caret.Line - 1, 0, caret.Column - 1);
      return static_cast<int>(
          QString::fromUtf8(slice.text.data(), static_cast<qsizetype>(slice.text.size())).size());
    }
    case Qt::ImSurroundingText: {
      TLineSlice slice = self->layout_.Geometry().SliceChars(caret.Line - 1, 0, 4096);
      return QString::fromUtf8(slice.text.data(), static_cast<qsizetype>(slice.text.size()));
    }
    case Qt::ImCurrentSelection: {
      if (!model_.SelAvail() || model_.SelLength() > 4096) return QString();
      const std::string text = model_.SelText();
      return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

}  // namespace tervil
