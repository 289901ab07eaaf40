// Repainting only what changed: every keystroke and caret move repaints the rows it touched
// instead of the whole viewport, and the whole viewport only when rows moved (scrolling, lines
// inserted or deleted above the bottom, a changed highlighting state for the lines below).
#include <QScrollBar>
#include <algorithm>

#include "ui/editcomponent/TextEditor.h"

namespace tervil {

void TTextEditor::UpdateAll() {
  fullUpdatePending_ = true;
  viewport()->update();
}

QRegion TTextEditor::OverlayRegion() {
  return OnPaint ? QRegion(viewport()->rect()) : QRegion();
}

QRegion TTextEditor::LineRowsRegion(int first, int last) {
  const int lines = model_.LineCount();
  first = std::max(first, 0);
  if (first >= lines || (last >= 0 && last < first)) return {};
  const int limit = visibleRows_ + 1;
  // Rows from the top of the screen to the first row of `first` and past the last row of `last`.
  int begin = layout_.Distance(top_, {first, 0}, limit);
  int end = limit;
  if (last >= 0 && last < lines) {
    end = layout_.Distance(top_, {last, layout_.RowCount(last) - 1}, limit) + 1;
  }
  begin = std::max(begin, 0);
  end = std::min(end, limit);
  if (end <= begin) return {};
  return QRegion(0, begin * lineHeight_, viewport()->width(), (end - begin) * lineHeight_);
}

QRect TTextEditor::CaretRowRect() {
  const TBufferPos caret = model_.CaretPos();
  const int line = std::clamp(caret.Line - 1, 0, model_.LineCount() - 1);
  const TRowPos row = layout_.RowOf(line, caret.Column - 1);
  const int r = layout_.Distance(top_, row, visibleRows_ + 1);
  if (r < 0 || r > visibleRows_) return {};
  return QRect(0, r * lineHeight_, viewport()->width(), lineHeight_);
}

TTextEditor::TShownState TTextEditor::ShownStateNow() {
  TShownState state;
  state.top = top_;
  state.leftColumn = leftColumn_;
  state.caretRow = CaretRowRect();
  // The active line's colour fills every row of the caret's line.
  const int caretLine = std::clamp(model_.CaretY() - 1, 0, model_.LineCount() - 1);
  state.caretLine = LineRowsRegion(caretLine, caretLine) + state.caretRow;
  state.selAvail = model_.SelAvail();
  if (state.selAvail) {
    state.selMode = model_.SelectionMode();
    state.selBegin = model_.BlockBegin();
    state.selEnd = model_.BlockEnd();
  }
  state.overlay = OverlayRegion();
  return state;
}

void TTextEditor::NoteLinesChanged(int first, int count) {
  const int last = first + count - 1;
  if (changedFirst_ < 0) {
    changedFirst_ = first;
    changedLast_ = last;
    // The state the screen shows for the line after the change, while it is still known.
    nextLine_ = -1;
    if (last + 1 < model_.LineCount() && states_.IsExact(last + 1)) {
      nextLine_ = last + 1;
      nextState_ = states_.StartState(nextLine_);
    }
    return;
  }
  changedFirst_ = std::min(changedFirst_, first);
  changedLast_ = std::max(changedLast_, last);
}

void TTextEditor::NoteLinesMoved(int first) {
  movedFrom_ = movedFrom_ < 0 ? first : std::min(movedFrom_, first);
}

void TTextEditor::ResetChangeTracking() {
  changedFirst_ = changedLast_ = movedFrom_ = nextLine_ = -1;
}

void TTextEditor::UpdateChangedArea() {
  if (fullUpdatePending_ || OnPaint || top_ != shown_.top || leftColumn_ != shown_.leftColumn) {
    UpdateAll();
    ResetChangeTracking();
    return;
  }
  QRegion region;
  if (changedFirst_ >= 0) {
    // With word wrap a changed line may take more or fewer rows than before.
    region += LineRowsRegion(changedFirst_, layout_.WordWrap() ? -1 : changedLast_);
    const int next = changedLast_ + 1;
    const QRegion below = LineRowsRegion(next, -1);
    if (!below.isEmpty() && states_.Highlighter() != nullptr &&
        (nextLine_ != next || states_.StartState(next) != nextState_)) {
      region += below;
    }
  }
  if (movedFrom_ >= 0) region += LineRowsRegion(movedFrom_, -1);
  const TShownState now = ShownStateNow();
  region += shown_.caretLine;
  region += now.caretLine;
  if (now.selAvail != shown_.selAvail || now.selMode != shown_.selMode ||
      now.selBegin != shown_.selBegin || now.selEnd != shown_.selEnd) {
    // Every row of the old and of the new selection.
    if (shown_.selAvail) region += LineRowsRegion(shown_.selBegin.Line - 1, shown_.selEnd.Line - 1);
    if (now.selAvail) region += LineRowsRegion(now.selBegin.Line - 1, now.selEnd.Line - 1);
  }
  if (now.overlay != shown_.overlay) {
    region += shown_.overlay;
    region += now.overlay;
  }
  shown_ = now;
  ResetChangeTracking();
  if (!region.isEmpty()) viewport()->update(region);
}

}  // namespace tervil
