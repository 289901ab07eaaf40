#include "core/editcomponent/EditorModel.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/common/Utf8.h"
#include "core/editcomponent/SearchEngines.h"

namespace tervil {

TMemoryClipboard& TMemoryClipboard::Shared() {
  static TMemoryClipboard clipboard;
  return clipboard;
}

TEditorModel::TEditorModel()
    : clipboard_(&TMemoryClipboard::Shared()),
      plainEngine_(std::make_unique<TPlainSearchEngine>()),
      engine_(plainEngine_.get()) {
  undo_.MarkSaved();
}

TEditorModel::~TEditorModel() = default;

// ---------------------------------------------------------------- notifications

void TEditorModel::AddListener(TEditorListener* listener) {
  if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
    listeners_.push_back(listener);
  }
}

void TEditorModel::RemoveListener(TEditorListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TEditorModel::Notify(TStatusChanges changes) {
  pending_ |= changes;
  if (updateDepth_ == 0) {
    ++updateDepth_;
    EndUpdate();
  }
}

void TEditorModel::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  SendPendingStatus();
}

void TEditorModel::SendPendingStatus() {
  if (pending_ == 0) return;
  const TStatusChanges changes = pending_;
  pending_ = 0;
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->StatusChanged(changes);
}

// ---------------------------------------------------------------- text and lines

void TEditorModel::ResetText(std::string&& text, bool modified) {
  UpdateScope scope(*this);
  buffer_.AssignOwned(std::move(text));
  caret_ = anchor_ = selEnd_ = TBufferPos{};
  desiredDisplayColumn_ = 1;
  topLine_ = 1;
  for (auto& bookmark : bookmarks_) bookmark.reset();
  lineMarks_.clear();
  openGroup_ = TUndoGroup{};
  undoBlockDepth_ = 0;
  undo_.Clear();
  if (modified) {
    undo_.MarkModified();
  } else {
    undo_.MarkSaved();
  }
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->TextReset();
  Notify(scCaret | scSelection | scText | scModified | scTopLine);
}

void TEditorModel::SetText(std::string_view text) {
  ResetText(std::string(text), true);
}
void TEditorModel::LoadFromBytes(std::string_view bytes) {
  ResetText(std::string(bytes), false);
}
void TEditorModel::LoadFromOwnedBytes(std::string&& bytes) {
  ResetText(std::move(bytes), false);
}

bool TEditorModel::EndsWithLineBreak() const {
  return LineCount() > 1 &&
         buffer_.LineEnd(buffer_.LineCount() - 1) == buffer_.LineStart(buffer_.LineCount() - 1);
}

void TEditorModel::CheckLineIndex(int index, int limit) const {
  if (index < 0 || index >= limit) {
    throw std::out_of_range("Line index out of bounds (" + std::to_string(index) + ")");
  }
}

std::string TEditorModel::Line(int index) const {
  CheckLineIndex(index, LineCount());
  return buffer_.Line(static_cast<std::size_t>(index));
}

int TEditorModel::LineLength(int index) const {
  CheckLineIndex(index, LineCount());
  return static_cast<int>(buffer_.LineChars(static_cast<std::size_t>(index)));
}

void TEditorModel::SetLine(int index, std::string_view text) {
  CheckLineIndex(index, LineCount());
  UpdateScope scope(*this);
  BeginUndoBlock();
  const int line = index + 1;
  DeleteText({1, line}, {LineLength(index) + 1, line});
  InsertText({1, line}, text);
  EndUndoBlock();
}

void TEditorModel::InsertLine(int index, std::string_view text) {
  CheckLineIndex(index, LineCount() + 1);
  UpdateScope scope(*this);
  BeginUndoBlock();
  if (buffer_.ByteCount() == 0) {
    InsertText({1, 1}, text);
  } else if (index < LineCount()) {
    std::string line(text);
    line.push_back('\n');
    InsertText({1, index + 1}, line);
  } else {
    std::string line("\n");
    line.append(text);
    InsertText(EndOfText(), line);
  }
  EndUndoBlock();
}

void TEditorModel::DeleteLine(int index) {
  CheckLineIndex(index, LineCount());
  UpdateScope scope(*this);
  BeginUndoBlock();
  const int line = index + 1;
  if (line < LineCount()) {
    DeleteText({1, line}, {1, line + 1});
  } else if (line > 1) {
    DeleteText({LineLength(index - 1) + 1, line - 1}, {LineLength(index) + 1, line});
  } else {
    DeleteText({1, 1}, {LineLength(0) + 1, 1});
  }
  EndUndoBlock();
}

TBufferPos TEditorModel::EndOfText() const {
  return {LineLength(LineCount() - 1) + 1, LineCount()};
}

// ---------------------------------------------------------------- positions

TBufferPos TEditorModel::ClampPos(TBufferPos pos) const {
  pos.Line = std::clamp(pos.Line, 1, LineCount());
  pos.Column = std::clamp(pos.Column, 1, LineLength(pos.Line - 1) + 1);
  return pos;
}

TBufferPos TEditorModel::ClampCaret(TBufferPos pos) const {
  pos.Line = std::clamp(pos.Line, 1, LineCount());
  int limit = LineLength(pos.Line - 1) + 1;
  if (HasOption(eoScrollPastEol)) limit = std::max(limit, maxScrollWidth_);
  pos.Column = std::clamp(pos.Column, 1, limit);
  return pos;
}

std::size_t TEditorModel::ByteOfPos(TBufferPos pos) const {
  const auto line = static_cast<std::size_t>(std::clamp(pos.Line, 1, LineCount()) - 1);
  const std::size_t column = static_cast<std::size_t>(std::max(pos.Column, 1) - 1);
  return buffer_.ByteInLine(line, column);
}

TBufferPos TEditorModel::PosOfByte(std::size_t byte) const {
  const TTextBuffer::TLineColumn at = buffer_.LineColumnOfByte(byte);
  return {static_cast<int>(at.column) + 1, static_cast<int>(at.line) + 1};
}

std::int64_t TEditorModel::RowColToCharIndex(TBufferPos pos) const {
  const auto line = static_cast<std::size_t>(std::clamp(pos.Line, 1, LineCount()) - 1);
  const TTextBuffer::TCharSpan span = buffer_.LineCharSpan(line);
  const std::size_t column = static_cast<std::size_t>(std::max(pos.Column, 1) - 1);
  return static_cast<std::int64_t>(std::min(span.start + column, span.end) + line);
}

TBufferPos TEditorModel::CharIndexToRowCol(std::int64_t offset) const {
  offset = std::clamp<std::int64_t>(offset, 0, TextLength());
  const TTextBuffer::TLineColumn at = buffer_.LineColumnOfOffset(static_cast<std::size_t>(offset));
  return {static_cast<int>(at.column) + 1, static_cast<int>(at.line) + 1};
}

int TEditorModel::DisplayColumn(TBufferPos pos) const {
  pos.Line = std::clamp(pos.Line, 1, LineCount());
  const std::size_t line = static_cast<std::size_t>(pos.Line - 1);
  const std::size_t start = buffer_.LineStart(line);
  std::size_t remaining = static_cast<std::size_t>(std::max(pos.Column, 1) - 1);
  std::size_t display = 0;
  const auto tab = static_cast<std::size_t>(tabWidth_);
  buffer_.VisitRange(start, buffer_.LineEnd(line) - start, [&](const char* data, std::size_t n) {
    std::size_t skipped = 0;
    const char* p = data;
    const char* stop = data + utf8::AdvanceChars(data, n, remaining, &skipped);
    remaining -= skipped;
    while (p < stop) {
      const auto* t =
          static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(stop - p)));
      if (!t) {
        display += utf8::CountChars(p, static_cast<std::size_t>(stop - p));
        break;
      }
      display += utf8::CountChars(p, static_cast<std::size_t>(t - p));
      display = (display / tab + 1) * tab;
      p = t + 1;
    }
    return remaining > 0;
  });
  return static_cast<int>(display + remaining + 1);
}

int TEditorModel::BufferColumn(int line, int displayColumn) const {
  line = std::clamp(line, 1, LineCount());
  const std::size_t index = static_cast<std::size_t>(line - 1);
  const std::size_t start = buffer_.LineStart(index);
  const auto target = static_cast<std::size_t>(std::max(displayColumn, 1) - 1);
  const auto tab = static_cast<std::size_t>(tabWidth_);
  std::size_t display = 0;
  std::size_t column = 0;
  bool reached = target == 0;
  buffer_.VisitRange(start, buffer_.LineEnd(index) - start, [&](const char* data, std::size_t n) {
    const char* p = data;
    const char* end = data + n;
    while (p < end && !reached) {
      const auto* t =
          static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
      const char* segmentEnd = t ? t : end;
      const std::size_t chars = utf8::CountChars(p, static_cast<std::size_t>(segmentEnd - p));
      if (display + chars >= target) {
        column += target - display;
        display = target;
        reached = true;
        break;
      }
      display += chars;
      column += chars;
      if (!t) break;
      const std::size_t next = (display / tab + 1) * tab;
      if (next > target) {
        reached = true;  // the target lies inside the tab: take its start
        break;
      }
      display = next;
      ++column;
      reached = display >= target;
      p = t + 1;
    }
    return !reached;
  });
  return static_cast<int>(column + 1 + (reached ? 0 : target - display));
}

// ---------------------------------------------------------------- primitive edits

TBufferPos TEditorModel::InsertText(TBufferPos pos, std::string_view text, std::string* owned) {
  pos = ClampPos(pos);
  std::string normalized;
  if (!utf8::IsNormalized(text)) {
    utf8::NormalizeAppend(text, normalized);
    text = normalized;
  }
  if (text.empty()) return pos;
  UpdateScope scope(*this);
  BeginUndoBlock();
  const std::size_t byte = ByteOfPos(pos);
  const bool takeOver = owned && owned->data() == text.data() && owned->size() == text.size();
  // A long text handed over may be kept by the buffer itself, at the same address (so `text`
  // stays valid); its undo step then holds no copy and reads it back when it is undone.
  const bool keptByBuffer = takeOver && buffer_.InsertOwned(byte, *owned);
  if (!takeOver) buffer_.InsertNormalized(byte, text);
  const TBufferPos end = PositionAfter(pos, text);
  if (recording_) {
    RecordChange({TChangeReason::crInsert, pos, end,
                  keptByBuffer ? std::string()
                  : takeOver   ? std::move(*owned)
                               : std::string(text),
                  selMode_});
  }
  AfterInsert(pos, end);
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->TextEdited(byte, 0, text);
  EndUndoBlock();
  return end;
}

void TEditorModel::DeleteText(TBufferPos start, TBufferPos end, std::string* removedText) {
  start = ClampPos(start);
  end = ClampPos(end);
  if (end < start) std::swap(start, end);
  if (start == end) return;
  UpdateScope scope(*this);
  BeginUndoBlock();
  const std::size_t from = ByteOfPos(start);
  const std::size_t to = ByteOfPos(end);
  std::string removed;
  if (recording_ || removedText) {
    removed = buffer_.Extract(from, to - from);
  } else {
    buffer_.Erase(from, to - from);
  }
  if (recording_) {
    RecordChange({TChangeReason::crDelete, start, end, std::move(removed), selMode_});
  } else if (removedText) {
    *removedText = std::move(removed);
  }
  AfterDelete(start, end);
  for (std::size_t i = 0; i < listeners_.size(); ++i)
    listeners_[i]->TextEdited(from, to - from, {});
  EndUndoBlock();
}

void TEditorModel::AfterInsert(TBufferPos start, TBufferPos end) {
  const int added = end.Line - start.Line;
  // A position at the insertion point stays before the new text, unless whole lines went in
  // before its line.
  const bool wholeLines = added > 0 && start.Column == 1 && end.Column == 1;
  auto shift = [&](TBufferPos& p) {
    if (p < start || (p == start && !wholeLines)) return;
    if (p.Line == start.Line) {
      p = {end.Column + p.Column - start.Column, end.Line};
    } else {
      p.Line += added;
    }
  };
  shift(caret_);
  shift(anchor_);
  shift(selEnd_);
  for (auto& bookmark : bookmarks_) {
    // A bookmark marks its line: it moves when its whole line moves down.
    if (bookmark &&
        (bookmark->Line > start.Line || (bookmark->Line == start.Line && start.Column == 1))) {
      bookmark->Line += added;
    }
  }
  for (TLineMark& mark : lineMarks_) {
    if (mark.Line > start.Line || (mark.Line == start.Line && start.Column == 1))
      mark.Line += added;
  }
  const int first = start.Line - 1;
  for (std::size_t i = 0; i < listeners_.size(); ++i) {
    TEditorListener* l = listeners_[i];
    if (added == 0) {
      l->LinesChanged(first, 1);
    } else if (start.Column == 1 && end.Column == 1) {
      l->LinesInserted(first, added);  // whole lines went in before line `first`
    } else {
      l->LinesChanged(first, 1);
      l->LinesInserted(first + 1, added);
    }
    if (wholeLines) {
      l->LinesReplaced(first, 0, added);
    } else {
      l->LinesReplaced(first, 1, 1 + added);
    }
  }
  Notify(scText | scCaret | scSelection | scModified);
}

void TEditorModel::AfterDelete(TBufferPos start, TBufferPos end) {
  const int removed = end.Line - start.Line;
  auto shift = [&](TBufferPos& p) {
    if (p <= start) return;
    if (p < end) {
      p = start;
    } else if (p.Line == end.Line) {
      p = {start.Column + p.Column - end.Column, start.Line};
    } else {
      p.Line -= removed;
    }
  };
  shift(caret_);
  shift(anchor_);
  shift(selEnd_);
  for (auto& bookmark : bookmarks_) {
    if (!bookmark) continue;
    if (bookmark->Line > end.Line) {
      bookmark->Line -= removed;
    } else if (bookmark->Line > start.Line) {
      bookmark->Line = start.Line;  // its line went away: keep it where the text joined
    }
  }
  for (TLineMark& mark : lineMarks_) {
    if (mark.Line > end.Line)
      mark.Line -= removed;
    else if (mark.Line > start.Line)
      mark.Line = start.Line;
  }
  const int first = start.Line - 1;
  for (std::size_t i = 0; i < listeners_.size(); ++i) {
    TEditorListener* l = listeners_[i];
    if (removed == 0) {
      l->LinesChanged(first, 1);
    } else if (start.Column == 1 && end.Column == 1) {
      l->LinesDeleted(first, removed);
    } else {
      l->LinesDeleted(first + 1, removed);
      l->LinesChanged(first, 1);
    }
    if (removed > 0 && start.Column == 1 && end.Column == 1) {
      l->LinesReplaced(first, removed, 0);
    } else {
      l->LinesReplaced(first, 1 + removed, 1);
    }
  }
  Notify(scText | scCaret | scSelection | scModified);
}

// ---------------------------------------------------------------- undo

TSelectionState TEditorModel::SelectionState() const {
  return {caret_, anchor_, selEnd_, selMode_};
}

void TEditorModel::RestoreSelection(const TSelectionState& state) {
  caret_ = ClampCaret(state.Caret);
  anchor_ = ClampCaret(state.BlockBegin);
  selEnd_ = ClampCaret(state.BlockEnd);
  selMode_ = state.Mode;
  desiredDisplayColumn_ = 0;
  EnsureCaretVisible();
  Notify(scCaret | scSelection);
}

void TEditorModel::RecordChange(TUndoItem&& item) {
  if (undoBlockDepth_ == 0) return;  // InsertText and DeleteText always open a block
  openGroup_.Items.push_back(std::move(item));
}

void TEditorModel::BeginUndoBlock() {
  if (undoBlockDepth_++ > 0) return;
  openGroup_ = TUndoGroup{};
  openGroup_.Command = command_;
  openGroup_.Before = SelectionState();
}

void TEditorModel::EndUndoBlock() {
  if (undoBlockDepth_ == 0 || --undoBlockDepth_ > 0) return;
  const std::uint64_t joinTo = std::exchange(joinUndoId_, 0);
  if (openGroup_.Items.empty()) return;
  openGroup_.After = SelectionState();
  const bool typing = openGroup_.Command == ecChar || openGroup_.Command == ecDeleteLastChar ||
                      openGroup_.Command == ecDeleteChar;
  if (!undo_.JoinLast(joinTo, std::move(openGroup_)))
    undo_.Add(std::move(openGroup_), typing && HasOption(eoGroupUndo));
  openGroup_ = TUndoGroup{};
  Notify(scModified);
}

void TEditorModel::ApplyUndoGroup(TUndoGroup& group, bool undo) {
  // An item's long text may be kept by the buffer instead of the item (its Text is then empty):
  // it is handed back and forth without copies as the item is undone and redone.
  auto insert = [this](TUndoItem& item) { InsertText(item.Start, item.Text, &item.Text); };
  auto remove = [this](TUndoItem& item) {
    DeleteText(item.Start, item.End, item.Text.empty() ? &item.Text : nullptr);
  };
  recording_ = false;
  const TSelectionMode mode = selMode_;
  if (undo) {
    for (auto it = group.Items.rbegin(); it != group.Items.rend(); ++it) {
      it->Reason == TChangeReason::crInsert ? remove(*it) : insert(*it);
    }
  } else {
    for (TUndoItem& item : group.Items) {
      item.Reason == TChangeReason::crInsert ? insert(item) : remove(item);
    }
  }
  selMode_ = mode;
  recording_ = true;
}

void TEditorModel::Undo() {
  if (readOnly_ || !undo_.CanUndo() || undoBlockDepth_ > 0) return;
  UpdateScope scope(*this);
  TUndoGroup group = undo_.PopUndo();
  ApplyUndoGroup(group, true);
  RestoreSelection(group.Before);
  undo_.PushRedo(std::move(group));
  Notify(scModified);
}

void TEditorModel::Redo() {
  if (readOnly_ || !undo_.CanRedo() || undoBlockDepth_ > 0) return;
  UpdateScope scope(*this);
  TUndoGroup group = undo_.PopRedo();
  ApplyUndoGroup(group, false);
  RestoreSelection(group.After);
  undo_.PushUndo(std::move(group));
  Notify(scModified);
}

void TEditorModel::ClearUndo() {
  undo_.Clear();
  Notify(scModified);
}

void TEditorModel::AddUndoChange(TChangeReason reason, TBufferPos start, TBufferPos end,
                                 std::string_view text, TSelectionMode mode) {
  TUndoItem item{reason, start, end, {}, mode};
  utf8::NormalizeAppend(text, item.Text);
  if (undoBlockDepth_ > 0) {
    openGroup_.Items.push_back(std::move(item));
    return;
  }
  TUndoGroup group;
  group.Items.push_back(std::move(item));
  group.Before = group.After = SelectionState();
  undo_.Add(std::move(group), false);
  Notify(scModified);
}

void TEditorModel::SetModified(bool modified) {
  if (modified) {
    undo_.MarkModified();
  } else {
    undo_.MarkSaved();
  }
  Notify(scModified);
}

// ---------------------------------------------------------------- caret and view

void TEditorModel::SetCaretPos(TBufferPos pos) {
  MoveCaret(pos, false);
}

void TEditorModel::MoveCaret(TBufferPos pos, bool extend) {
  pos = ClampCaret(pos);
  if (extend) {
    if (!SelAvail()) anchor_ = caret_;
    selEnd_ = pos;
  } else {
    anchor_ = selEnd_ = pos;
  }
  caret_ = pos;
  desiredDisplayColumn_ = 0;
  EnsureCaretVisible();
  Notify(scCaret | scSelection);
}

void TEditorModel::SetTopLine(int line) {
  line = std::clamp(line, 1, LineCount());
  if (line == topLine_) return;
  topLine_ = line;
  Notify(scTopLine);
}

void TEditorModel::SetLinesInWindow(int lines, bool scroll) {
  linesInWindow_ = std::max(lines, 0);
  if (scroll) EnsureCaretVisible();
}

void TEditorModel::JumpTo(TBufferPos pos) {
  pos = ClampCaret(pos);
  // The top line first, so that moving the caret finds its line in the window.
  if (linesInWindow_ > 0 && (pos.Line < topLine_ || pos.Line >= topLine_ + linesInWindow_)) {
    const int lastTop = std::max(1, LineCount() - linesInWindow_ + 1);
    SetTopLine(std::clamp(pos.Line - linesInWindow_ / 2, 1, lastTop));
  }
  SetCaretPos(pos);
}

void TEditorModel::ShowCaretInContext() {
  if (linesInWindow_ <= 0) return;
  if (caret_.Line >= topLine_ && caret_.Line < topLine_ + linesInWindow_) return;
  const int lastTop = std::max(1, LineCount() - linesInWindow_ + 1);
  SetTopLine(std::clamp(caret_.Line - linesInWindow_ / 2, 1, lastTop));
}

void TEditorModel::EnsureCaretVisible() {
  if (linesInWindow_ <= 0) return;
  if (caret_.Line < topLine_) {
    SetTopLine(caret_.Line);
  } else if (caret_.Line >= topLine_ + linesInWindow_) {
    SetTopLine(caret_.Line - linesInWindow_ + 1);
  }
}

// ---------------------------------------------------------------- editing state

void TEditorModel::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  Notify(scReadOnly);
}

void TEditorModel::SetInsertMode(bool insert) {
  insertMode_ = insert;
  Notify(scInsertMode);
}

void TEditorModel::SetOptions(TEditorOptions options) {
  options_ = options;
  if (!HasOption(eoScrollPastEol)) {
    caret_ = ClampCaret(caret_);
    anchor_ = ClampCaret(anchor_);
    selEnd_ = ClampCaret(selEnd_);
  }
  Notify(scOptions | scCaret);
}

void TEditorModel::SetTabWidth(int width) {
  tabWidth_ = std::clamp(width, 1, 256);
  Notify(scOptions);
}

void TEditorModel::SetMaxScrollWidth(int columns) {
  maxScrollWidth_ = std::max(columns, 1);
}

void TEditorModel::SetClipboard(TClipboard* clipboard) {
  clipboard_ = clipboard ? clipboard : &TMemoryClipboard::Shared();
}

void TEditorModel::SetSearchEngine(TSearchEngine* engine) {
  engine_ = engine ? engine : plainEngine_.get();
}

// ---------------------------------------------------------------- bookmarks

namespace {
void CheckBookmark(int number) {
  if (number < 0 || number > 9) {
    throw std::out_of_range("Bookmark number out of range (" + std::to_string(number) + ")");
  }
}
}  // namespace

void TEditorModel::SetBookmark(int number, TBufferPos pos) {
  CheckBookmark(number);
  bookmarks_[number] = ClampPos(pos);
}

void TEditorModel::ClearBookmark(int number) {
  CheckBookmark(number);
  bookmarks_[number].reset();
}

bool TEditorModel::IsBookmark(int number) const {
  CheckBookmark(number);
  return bookmarks_[number].has_value();
}

bool TEditorModel::GetBookmark(int number, TBufferPos& pos) const {
  CheckBookmark(number);
  if (!bookmarks_[number]) return false;
  pos = *bookmarks_[number];
  return true;
}

// ---------------------------------------------------------------- line marks

void TEditorModel::SetLineMarks(std::vector<TLineMark> marks) {
  for (TLineMark& mark : marks) mark.Line = std::clamp(mark.Line, 1, std::max(1, LineCount()));
  lineMarks_ = std::move(marks);
}

const TLineMark* TEditorModel::LineMarkAt(int line) const {
  for (const TLineMark& mark : lineMarks_)
    if (mark.Line == line) return &mark;
  return nullptr;
}

}  // namespace tervil
