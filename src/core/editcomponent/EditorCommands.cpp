#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editcomponent/AutoComplete.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

// Lines searched upwards for a reference indentation (smart tabs, smart tab delete).
constexpr int kIndentSearchLines = 1000;

bool IsBlank(char32_t c) {
  return c == ' ' || c == '\t';
}

bool ChangesText(int command) {
  switch (command) {
    case ecDeleteLastChar:
    case ecDeleteChar:
    case ecDeleteWord:
    case ecDeleteLastWord:
    case ecDeleteBOL:
    case ecDeleteEOL:
    case ecDeleteLine:
    case ecClearAll:
    case ecLineBreak:
    case ecInsertLine:
    case ecChar:
    case ecString:
    case ecUndo:
    case ecRedo:
    case ecCut:
    case ecPaste:
    case ecBlockIndent:
    case ecBlockUnindent:
    case ecTab:
    case ecShiftTab:
    case ecAutoCompletion:
      return true;
    default:
      return false;
  }
}

std::string Blanks(int count) {
  return std::string(static_cast<std::size_t>(std::max(count, 0)), ' ');
}

}  // namespace

// ---------------------------------------------------------------- dispatch

void TEditorModel::ExecuteCommand(TEditorCommand command, char32_t ch, std::string_view text) {
  TCommandEvent event{command, ch, std::string(text), false};
  for (std::size_t i = 0; i < listeners_.size() && !event.handled; ++i) {
    listeners_[i]->BeforeCommand(event);
  }
  if (!event.handled) RunCommand(event);
  for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->AfterCommand(event);
}

void TEditorModel::RunCommand(TCommandEvent& event) {
  const int cmd = event.command;
  if (readOnly_ && ChangesText(cmd)) return;
  UpdateScope scope(*this);
  if (cmd == ecUndo || cmd == ecRedo) {
    cmd == ecUndo ? Undo() : Redo();
    return;
  }
  const int outerCommand = command_;
  command_ = cmd;
  BeginUndoBlock();
  if (cmd >= ecLeft && cmd <= ecEditorBottom) {
    MoveCommand(cmd, false);
  } else if (cmd >= ecSelLeft && cmd <= ecSelEditorBottom) {
    MoveCommand(cmd - ecSelection, true);
  }
  switch (cmd) {
    case ecSelectAll:
      SelectAll();
      break;
    case ecCopy:
      CopyToClipboard();
      break;
    case ecScrollUp:
      SetTopLine(topLine_ - 1);
      break;
    case ecScrollDown:
      SetTopLine(topLine_ + 1);
      break;
    case ecInsertMode:
      SetInsertMode(true);
      break;
    case ecOverwriteMode:
      SetInsertMode(false);
      break;
    case ecToggleMode:
      SetInsertMode(!insertMode_);
      break;
    case ecNormalSelect:
      SetSelectionMode(TSelectionMode::smNormal);
      break;
    case ecColumnSelect:
      SetSelectionMode(TSelectionMode::smColumn);
      break;
    case ecLineSelect:
      SetSelectionMode(TSelectionMode::smLine);
      break;
    case ecMatchBracket:
      FindMatchingBracket();
      break;
    case ecDeleteLastChar:
      DeleteLastChar();
      break;
    case ecDeleteChar:
      DeleteChar();
      break;
    case ecDeleteWord:
      DeleteWord(false);
      break;
    case ecDeleteLastWord:
      DeleteWord(true);
      break;
    case ecDeleteBOL:
      DeleteToLineEdge(true);
      break;
    case ecDeleteEOL:
      DeleteToLineEdge(false);
      break;
    case ecDeleteLine:
      DeleteCaretLine();
      break;
    case ecClearAll:
      SelectAll();
      DeleteSelection();
      MoveCaret({1, 1}, false);
      break;
    case ecLineBreak:
      LineBreak(true);
      break;
    case ecInsertLine:
      LineBreak(false);
      break;
    case ecChar:
      TypeChar(event.ch);
      break;
    case ecString:
      TypeText(event.text);
      break;
    case ecCut:
      CutToClipboard();
      break;
    case ecPaste:
      PasteFromClipboard();
      break;
    case ecBlockIndent:
      BlockIndent();
      break;
    case ecBlockUnindent:
      BlockUnindent();
      break;
    case ecTab:
      Tab();
      break;
    case ecShiftTab:
      ShiftTab();
      break;
    case ecAutoCompletion:
      if (autoComplete_) autoComplete_->Execute(*this);
      break;
    default:
      break;
  }
  EndUndoBlock();
  command_ = outerCommand;
}

// ---------------------------------------------------------------- caret moves

TBufferPos TEditorModel::CaretLeft(TBufferPos p) const {
  if (p.Column > 1) return {p.Column - 1, p.Line};
  if (p.Line > 1) return {LineLength(p.Line - 2) + 1, p.Line - 1};
  return p;
}

TBufferPos TEditorModel::CaretRight(TBufferPos p) const {
  const int length = LineLength(p.Line - 1);
  if (p.Column <= length || (HasOption(eoScrollPastEol) && p.Column < maxScrollWidth_)) {
    return {p.Column + 1, p.Line};
  }
  if (p.Line < LineCount()) return {1, p.Line + 1};
  return p;
}

TBufferPos TEditorModel::WordLeft(TBufferPos p) const {
  p = ClampPos(p);
  if (p.Column == 1) return p.Line > 1 ? TBufferPos{LineLength(p.Line - 2) + 1, p.Line - 1} : p;
  const std::size_t lineStart = buffer_.LineStart(static_cast<std::size_t>(p.Line - 1));
  std::size_t b = ByteOfPos(p);
  auto wordBefore = [&](std::size_t at) {
    return utf8::IsWordChar(buffer_.CharAt(buffer_.PrevChar(at)));
  };
  while (b > lineStart && !wordBefore(b)) b = buffer_.PrevChar(b);
  while (b > lineStart && wordBefore(b)) b = buffer_.PrevChar(b);
  return PosOfByte(b);
}

TBufferPos TEditorModel::WordRight(TBufferPos p) const {
  p = ClampPos(p);
  const int length = LineLength(p.Line - 1);
  if (p.Column > length) return p.Line < LineCount() ? TBufferPos{1, p.Line + 1} : p;
  const std::size_t lineEnd = buffer_.LineEnd(static_cast<std::size_t>(p.Line - 1));
  std::size_t b = ByteOfPos(p);
  while (b < lineEnd && utf8::IsWordChar(buffer_.CharAt(b))) b = buffer_.NextChar(b);
  while (b < lineEnd && !utf8::IsWordChar(buffer_.CharAt(b))) b = buffer_.NextChar(b);
  return PosOfByte(b);
}

TBufferPos TEditorModel::VerticalMove(TBufferPos p, int lines) {
  if (desiredDisplayColumn_ <= 0) desiredDisplayColumn_ = DisplayColumn(p);
  const int line = std::clamp(p.Line + lines, 1, LineCount());
  return ClampCaret({BufferColumn(line, desiredDisplayColumn_), line});
}

TBufferPos TEditorModel::HomePos(TBufferPos p) const {
  if (!HasOption(eoEnhanceHomeKey)) return {1, p.Line};
  const int firstNonBlank = static_cast<int>(utf8::CountChars(LeadingBlanks(p.Line))) + 1;
  return {p.Column == firstNonBlank ? 1 : firstNonBlank, p.Line};
}

TBufferPos TEditorModel::EndPos(TBufferPos p) const {
  const int length = LineLength(p.Line - 1);
  if (!HasOption(eoEnhanceEndKey)) return {length + 1, p.Line};
  const std::size_t lineStart = buffer_.LineStart(static_cast<std::size_t>(p.Line - 1));
  std::size_t b = buffer_.LineEnd(static_cast<std::size_t>(p.Line - 1));
  while (b > lineStart && IsBlank(static_cast<unsigned char>(buffer_.ByteAt(b - 1)))) --b;
  const int afterLastNonBlank = PosOfByte(b).Column;
  return {p.Column == afterLastNonBlank ? length + 1 : afterLastNonBlank, p.Line};
}

void TEditorModel::MoveCommand(int command, bool extend) {
  const int page = std::max(1, linesInWindow_ - 1);
  std::optional<int> lines;  // how far a vertical movement goes
  switch (command) {
    case ecUp:
      lines = -1;
      break;
    case ecDown:
      lines = 1;
      break;
    case ecPageUp:
      SetTopLine(topLine_ - page);
      lines = -page;
      break;
    case ecPageDown:
      SetTopLine(topLine_ + page);
      lines = page;
      break;
    case ecPageTop:
      lines = topLine_ - caret_.Line;
      break;
    case ecPageBottom:
      lines = topLine_ + std::max(linesInWindow_, 1) - 1 - caret_.Line;
      break;
    default:
      break;
  }
  if (lines) {
    // A vertical movement keeps the display column it started from.
    const TBufferPos target = VerticalMove(caret_, *lines);
    const int desired = desiredDisplayColumn_;
    MoveCaret(target, extend);
    desiredDisplayColumn_ = desired;
  } else if (const std::optional<TBufferPos> target = HorizontalTarget(command)) {
    MoveCaret(*target, extend);
  }
}

std::optional<TBufferPos> TEditorModel::HorizontalTarget(int command) const {
  switch (command) {
    case ecLeft:
      return CaretLeft(caret_);
    case ecRight:
      return CaretRight(caret_);
    case ecWordLeft:
      return WordLeft(caret_);
    case ecWordRight:
      return WordRight(caret_);
    case ecLineStart:
      return HomePos(caret_);
    case ecLineEnd:
      return EndPos(caret_);
    case ecEditorTop:
      return TBufferPos{1, 1};
    case ecEditorBottom:
      return EndOfText();
    default:
      return std::nullopt;
  }
}

// ---------------------------------------------------------------- typing

void TEditorModel::TypeChar(char32_t ch) {
  if (ch == '\r' || ch == '\n') {
    LineBreak(true);
    return;
  }
  if (ch < 0x20 && ch != '\t') return;  // other control characters are not typed
  if (SelAvail()) {
    DeleteSelection();
  } else if (!insertMode_ && caret_.Column <= LineLength(caret_.Line - 1)) {
    DeleteText(caret_, {caret_.Column + 1, caret_.Line});
  }
  PadToCaret();
  MoveCaret(InsertText(caret_, utf8::Encode(ch)), false);
}

void TEditorModel::TypeText(std::string_view text) {
  SetSelText(text);
}

std::string TEditorModel::LeadingBlanks(int line) const {
  const std::size_t index = static_cast<std::size_t>(std::clamp(line, 1, LineCount()) - 1);
  const std::size_t start = buffer_.LineStart(index);
  std::string blanks;
  buffer_.VisitRange(start, buffer_.LineEnd(index) - start, [&](const char* data, std::size_t n) {
    std::size_t i = 0;
    while (i < n && IsBlank(static_cast<unsigned char>(data[i]))) ++i;
    blanks.append(data, i);
    return i == n;
  });
  return blanks;
}

int TEditorModel::IndentWidth(std::string_view blanks) const {
  int width = 0;
  for (char c : blanks) width = c == '\t' ? (width / tabWidth_ + 1) * tabWidth_ : width + 1;
  return width;
}

std::string TEditorModel::IndentText(int width) const {
  if (HasOption(eoTabsToSpaces)) return Blanks(width);
  return std::string(static_cast<std::size_t>(width / tabWidth_), '\t') + Blanks(width % tabWidth_);
}

void TEditorModel::LineBreak(bool moveCaret) {
  if (SelAvail()) DeleteSelection();
  const int line = caret_.Line;
  TBufferPos at = ClampPos(caret_);
  std::string insert = "\n";
  if (HasOption(eoAutoIndent)) {
    std::string blanks = LeadingBlanks(line);
    blanks.resize(std::min(blanks.size(), static_cast<std::size_t>(at.Column - 1)));
    insert += blanks;
  }
  if (HasOption(eoTrimTrailingSpaces)) {
    const std::size_t lineStart = buffer_.LineStart(static_cast<std::size_t>(line - 1));
    std::size_t b = ByteOfPos(at);
    while (b > lineStart && IsBlank(static_cast<unsigned char>(buffer_.ByteAt(b - 1)))) --b;
    const TBufferPos trimmed = PosOfByte(b);
    DeleteText(trimmed, at);
    at = trimmed;
  }
  const TBufferPos end = InsertText(at, insert);
  MoveCaret(moveCaret ? end : at, false);
}

void TEditorModel::DeleteLastChar() {
  if (SelAvail()) {
    DeleteSelection();
    MoveCaret(caret_, false);
    return;
  }
  const int line = caret_.Line;
  const int length = LineLength(line - 1);
  if (caret_.Column > length + 1) {  // in the blank space past the line end: just move
    MoveCaret({caret_.Column - 1, line}, false);
    return;
  }
  if (caret_.Column == 1) {
    if (line > 1) DeleteText({LineLength(line - 2) + 1, line - 1}, {1, line});
    MoveCaret(caret_, false);
    return;
  }
  int from = caret_.Column - 1;
  if (HasOption(eoSmartTabDelete)) {
    const std::string blanks = LeadingBlanks(line);
    if (static_cast<int>(utf8::CountChars(blanks)) >= caret_.Column - 1) {
      // In the indentation: go back to the indentation of an earlier, shallower line.
      const int width = DisplayColumn(caret_) - 1;
      int target = 0;
      for (int l = line - 1; l >= 1 && l >= line - kIndentSearchLines; --l) {
        const std::string other = LeadingBlanks(l);
        if (other.size() == static_cast<std::size_t>(LineLength(l - 1))) continue;  // blank line
        const int w = IndentWidth(other);
        if (w < width) {
          target = w;
          break;
        }
      }
      from = std::min(from, BufferColumn(line, target + 1));
    }
  }
  DeleteText({from, line}, caret_);
  MoveCaret(caret_, false);
}

void TEditorModel::DeleteChar() {
  if (SelAvail()) {
    DeleteSelection();
  } else if (caret_.Column <= LineLength(caret_.Line - 1)) {
    DeleteText(caret_, {caret_.Column + 1, caret_.Line});
  } else if (caret_.Line < LineCount()) {
    PadToCaret();
    DeleteText(caret_, {1, caret_.Line + 1});
  }
  MoveCaret(caret_, false);
}

void TEditorModel::DeleteWord(bool backwards) {
  const TBufferPos at = ClampPos(caret_);
  if (backwards) {
    DeleteText(WordLeft(at), at);
  } else {
    DeleteText(at, WordRight(at));
  }
  MoveCaret(caret_, false);
}

void TEditorModel::DeleteToLineEdge(bool toStart) {
  const TBufferPos at = ClampPos(caret_);
  if (toStart) {
    DeleteText({1, at.Line}, at);
  } else {
    DeleteText(at, {LineLength(at.Line - 1) + 1, at.Line});
  }
  MoveCaret(caret_, false);
}

void TEditorModel::DeleteCaretLine() {
  const int line = caret_.Line;
  DeleteLine(line - 1);
  MoveCaret({1, std::min(line, LineCount())}, false);
}

// ---------------------------------------------------------------- tabs and indentation

void TEditorModel::Tab() {
  if (SelAvail() && BlockBegin().Line != BlockEnd().Line) {
    BlockIndent();
    return;
  }
  if (SelAvail()) DeleteSelection();
  const int display = DisplayColumn(caret_);
  std::string insert;
  if (HasOption(eoSmartTabs)) {
    // Go under the next word start of the nearest non-blank line above.
    for (int l = caret_.Line - 1; l >= 1 && l >= caret_.Line - kIndentSearchLines; --l) {
      const std::string text = Line(l - 1);
      if (text.find_first_not_of(" \t") == std::string::npos) continue;
      int col = 0;
      bool blankBefore = false;
      for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (utf8::IsContinuation(c)) continue;
        if (col + 1 > display && !IsBlank(c) && blankBefore) {
          insert = Blanks(col + 1 - display);
          break;
        }
        blankBefore = IsBlank(c);
        col = c == '\t' ? (col / tabWidth_ + 1) * tabWidth_ : col + 1;
      }
      break;
    }
  }
  if (insert.empty()) {
    insert = HasOption(eoTabsToSpaces) ? Blanks(tabWidth_ - (display - 1) % tabWidth_) : "\t";
  }
  PadToCaret();
  MoveCaret(InsertText(caret_, insert), false);
}

void TEditorModel::ShiftTab() {
  BlockUnindent();
}

void TEditorModel::BlockIndent() {
  const bool selection = SelAvail();
  const TBufferPos b = BlockBegin();
  const TBufferPos e = BlockEnd();
  int first = selection ? b.Line : caret_.Line;
  int last = selection ? e.Line : caret_.Line;
  if (selection && last > first && e.Column == 1) --last;
  const std::string unit = HasOption(eoTabsToSpaces) ? Blanks(tabWidth_) : std::string("\t");
  const int unitChars = static_cast<int>(unit.size());
  TSelectionState state = SelectionState();
  for (int line = first; line <= last; ++line) InsertText({1, line}, unit);
  auto adjust = [&](TBufferPos& p) {
    if (p.Line >= first && p.Line <= last && (p.Column > 1 || !selection)) p.Column += unitChars;
  };
  adjust(state.Caret);
  adjust(state.BlockBegin);
  adjust(state.BlockEnd);
  SetCaretAndSelection(state.Caret, state.BlockBegin, state.BlockEnd);
}

void TEditorModel::BlockUnindent() {
  const bool selection = SelAvail();
  const TBufferPos b = BlockBegin();
  const TBufferPos e = BlockEnd();
  int first = selection ? b.Line : caret_.Line;
  int last = selection ? e.Line : caret_.Line;
  if (selection && last > first && e.Column == 1) --last;
  TSelectionState state = SelectionState();
  std::vector<int> removed;
  for (int line = first; line <= last; ++line) {
    const std::string blanks = LeadingBlanks(line);
    int n = 0;
    if (!blanks.empty() && blanks[0] == '\t') {
      n = 1;
    } else {
      while (n < tabWidth_ && n < static_cast<int>(blanks.size()) &&
             blanks[static_cast<std::size_t>(n)] == ' ')
        ++n;
    }
    DeleteText({1, line}, {1 + n, line});
    removed.push_back(n);
  }
  auto adjust = [&](TBufferPos& p) {
    if (p.Line >= first && p.Line <= last) {
      p.Column = std::max(1, p.Column - removed[static_cast<std::size_t>(p.Line - first)]);
    }
  };
  adjust(state.Caret);
  adjust(state.BlockBegin);
  adjust(state.BlockEnd);
  SetCaretAndSelection(state.Caret, state.BlockBegin, state.BlockEnd);
}

void TEditorModel::FindMatchingBracket() {
  SetCaretPos(MatchingBracket());
}

// ---------------------------------------------------------------- clipboard

void TEditorModel::CopyToClipboard() {
  if (SelAvail()) clipboard_->SetText(SelText());
}

void TEditorModel::CutToClipboard() {
  if (!SelAvail()) return;
  clipboard_->SetText(SelText());
  if (readOnly_) return;
  UpdateScope scope(*this);
  BeginUndoBlock();
  DeleteSelection();
  MoveCaret(caret_, false);
  EndUndoBlock();
}

void TEditorModel::PasteFromClipboard() {
  if (readOnly_) return;
  SetSelText(clipboard_->Text());
}

bool TEditorModel::CanPaste() const {
  return !readOnly_ && clipboard_->HasText();
}

}  // namespace tervil
