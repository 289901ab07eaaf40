#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find('\n', start);
    if (at == std::string_view::npos) break;
    lines.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

TBufferPos TEditorModel::BlockBegin() const {
  return std::min(anchor_, selEnd_);
}
TBufferPos TEditorModel::BlockEnd() const {
  return std::max(anchor_, selEnd_);
}

void TEditorModel::SetBlockBegin(TBufferPos pos) {
  anchor_ = selEnd_ = ClampCaret(pos);
  Notify(scSelection);
}

void TEditorModel::SetBlockEnd(TBufferPos pos) {
  selEnd_ = ClampCaret(pos);
  Notify(scSelection);
}

void TEditorModel::SetCaretAndSelection(TBufferPos caret, TBufferPos anchor, TBufferPos end) {
  caret_ = ClampCaret(caret);
  anchor_ = ClampCaret(anchor);
  selEnd_ = ClampCaret(end);
  desiredDisplayColumn_ = 0;
  EnsureCaretVisible();
  Notify(scCaret | scSelection);
}

bool TEditorModel::SelAvail() const {
  if (selMode_ == TSelectionMode::smColumn) {
    return DisplayColumn(anchor_) != DisplayColumn(selEnd_);
  }
  return anchor_ != selEnd_;
}

void TEditorModel::SetSelStart(std::int64_t offset) {
  const TBufferPos pos = CharIndexToRowCol(offset);
  SetCaretAndSelection(pos, pos, pos);
}

void TEditorModel::SetSelEnd(std::int64_t offset) {
  const TBufferPos pos = CharIndexToRowCol(offset);
  SetCaretAndSelection(pos, BlockBegin(), pos);
}

void TEditorModel::SelectAll() {
  SetCaretAndSelection(EndOfText(), {1, 1}, EndOfText());
}

void TEditorModel::SetSelectionMode(TSelectionMode mode) {
  selMode_ = mode;
  Notify(scSelection);
}

std::string TEditorModel::SelText() const {
  if (!SelAvail()) return {};
  const TBufferPos b = BlockBegin();
  const TBufferPos e = BlockEnd();
  switch (selMode_) {
    case TSelectionMode::smColumn:
      return ColumnText();
    case TSelectionMode::smLine: {
      const std::size_t from = buffer_.LineStart(static_cast<std::size_t>(b.Line - 1));
      const std::size_t to = e.Line < LineCount()
                                 ? buffer_.LineStart(static_cast<std::size_t>(e.Line))
                                 : buffer_.ByteCount();
      return WithCrLf(buffer_.Range(from, to - from));
    }
    case TSelectionMode::smNormal:
      break;
  }
  const std::size_t from = ByteOfPos(b);
  return WithCrLf(buffer_.Range(from, ByteOfPos(e) - from));
}

std::string TEditorModel::ColumnText() const {
  const int left = std::min(DisplayColumn(anchor_), DisplayColumn(selEnd_));
  const int right = std::max(DisplayColumn(anchor_), DisplayColumn(selEnd_));
  const int first = std::min(anchor_.Line, selEnd_.Line);
  const int last = std::max(anchor_.Line, selEnd_.Line);
  std::string out;
  for (int line = first; line <= last; ++line) {
    if (line > first) out += "\r\n";
    const std::size_t from = ByteOfPos({BufferColumn(line, left), line});
    out += buffer_.Range(from, ByteOfPos({BufferColumn(line, right), line}) - from);
  }
  return out;
}

void TEditorModel::DeleteColumnBlock() {
  const int left = std::min(DisplayColumn(anchor_), DisplayColumn(selEnd_));
  const int right = std::max(DisplayColumn(anchor_), DisplayColumn(selEnd_));
  const int first = std::min(anchor_.Line, selEnd_.Line);
  const int last = std::max(anchor_.Line, selEnd_.Line);
  for (int line = first; line <= last; ++line) {
    DeleteText({BufferColumn(line, left), line}, {BufferColumn(line, right), line});
  }
  const TBufferPos at = ClampCaret({BufferColumn(first, left), first});
  caret_ = anchor_ = selEnd_ = at;
}

void TEditorModel::DeleteSelection() {
  if (!SelAvail()) return;
  const TBufferPos b = BlockBegin();
  const TBufferPos e = BlockEnd();
  switch (selMode_) {
    case TSelectionMode::smColumn:
      DeleteColumnBlock();
      return;
    case TSelectionMode::smLine:
      if (e.Line < LineCount()) {
        DeleteText({1, b.Line}, {1, e.Line + 1});
      } else if (b.Line > 1) {
        DeleteText({LineLength(b.Line - 2) + 1, b.Line - 1}, EndOfText());
      } else {
        DeleteText({1, 1}, EndOfText());
      }
      caret_ = anchor_ = selEnd_ = ClampPos({1, b.Line});
      return;
    case TSelectionMode::smNormal:
      DeleteText(b, e);
      caret_ = anchor_ = selEnd_ = ClampPos(b);
      return;
  }
}

TBufferPos TEditorModel::PadToCaret() {
  const int length = LineLength(caret_.Line - 1);
  if (caret_.Column <= length + 1) return caret_;
  const TSelectionState state = SelectionState();
  InsertText({length + 1, caret_.Line},
             std::string(static_cast<std::size_t>(caret_.Column - length - 1), ' '));
  caret_ = state.Caret;  // the blanks end at the caret, which keeps its place
  anchor_ = state.BlockBegin;
  selEnd_ = state.BlockEnd;
  return caret_;
}

TBufferPos TEditorModel::InsertColumnText(TBufferPos at, std::string_view text) {
  const int display = DisplayColumn(at);
  TBufferPos end = at;
  const std::vector<std::string_view> pieces = SplitLines(text);
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const int line = at.Line + static_cast<int>(k);
    if (line > LineCount()) InsertText(EndOfText(), "\n");
    const int column = BufferColumn(line, display);
    const int length = LineLength(line - 1);
    if (column > length + 1) {
      InsertText({length + 1, line},
                 std::string(static_cast<std::size_t>(column - length - 1), ' '));
    }
    end = InsertText({column, line}, pieces[k]);
  }
  return end;
}

void TEditorModel::SetSelText(std::string_view text) {
  UpdateScope scope(*this);
  BeginUndoBlock();
  std::string normalized;
  utf8::NormalizeAppend(text, normalized);
  const bool column =
      selMode_ == TSelectionMode::smColumn && normalized.find('\n') != std::string::npos;
  if (SelAvail()) {
    DeleteSelection();
  } else {
    PadToCaret();
  }
  const TBufferPos at = caret_;
  const TBufferPos end = column ? InsertColumnText(at, normalized) : InsertText(at, normalized);
  caret_ = anchor_ = selEnd_ = end;
  desiredDisplayColumn_ = 0;
  EnsureCaretVisible();
  EndUndoBlock();
  Notify(scCaret | scSelection);
}

}  // namespace tervil
