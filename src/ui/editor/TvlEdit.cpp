#include "ui/editor/TvlEdit.h"

#include <algorithm>

#include "core/editcomponent/Highlighter.h"
#include "core/editor/TagMatching.h"
#include "core/editor/TypingRules.h"

namespace tervil {

namespace {

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// How far back the brace rule looks for the last non-blank character before the caret.
constexpr std::size_t kBlankScanLimit = 1 << 20;

}  // namespace

TTvlEdit::TTvlEdit(QWidget* parent) : TTextEditor(parent) {}

void TTvlEdit::SetBracketColor(TColor color) {
  bracketColor_ = color;
  Repaint();
}

void TTvlEdit::SetVariableColor(TColor color) {
  variableColor_ = color;
  Repaint();
}

void TTvlEdit::Insert(const std::string& text) {
  SetSelText(SelText() + text);
}

bool TTvlEdit::IsAttribute(TBufferPos pos, THighlighterDefault kind) {
  const THighlighterAttribute* attribute = nullptr;
  if (!Highlighter() || !GetHighlighterAttriAtRowCol(pos, attribute)) return false;
  return Highlighter()->IsDefaultAttribute(attribute, kind);
}

bool TTvlEdit::InStringOrComment(TBufferPos pos) {
  return IsAttribute(pos, THighlighterDefault::String) ||
         IsAttribute(pos, THighlighterDefault::Comment);
}

bool TTvlEdit::BeforeCaretInCode() {
  const TBufferPos caret = CaretXY();
  return !InStringOrComment({std::max(caret.Column - 1, 1), caret.Line});
}

void TTvlEdit::EndLinkedTag() {
  if (!linked_.active) return;
  viewport()->update(LinkedTagRect());
  linked_.active = false;
}

// ---------------------------------------------------------------- keys

// Keys are taken as the characters and keys a user types on any layout: Enter is Return or the
// keypad's Enter, "}" is the character typed (AltGr+0 on some layouts, an input method's
// commit), handled where the character arrives.
void TTvlEdit::KeyDown(TKeyInfo& key) {
  if (ContinueComment(key)) {
    key.Key = 0;
    EndLinkedTag();
    return;
  }
  const bool ctrl = key.Modifiers & Qt::ControlModifier;
  if (!ctrl) EndLinkedTag();
  if (ctrl && !(key.Modifiers & Qt::ShiftModifier) && key.Key == Qt::Key_Space) CtrlSpace(key);
  if ((key.Key == Qt::Key_Tab || key.Key == Qt::Key_Backtab) && SelAvail() && !ReadOnly()) {
    const bool shift = key.Key == Qt::Key_Backtab || (key.Modifiers & Qt::ShiftModifier);
    ExecuteCommand(shift ? ecBlockUnindent : ecBlockIndent);
    key.Key = 0;
  }
  // Left in column 1 goes to the end of the line above: the component's own Left does that.
  if (IsEnter(key.Key) && !ReadOnly()) ListItemOnEnter();
  TTextEditor::KeyDown(key);
}

bool TTvlEdit::ContinueComment(const TKeyInfo& key) {
  if (!IsEnter(key.Key) || ReadOnly() || !Highlighter()) return false;
  const TBufferPos caret = CaretXY();
  const std::string line = LineText();
  const int length = static_cast<int>(ColumnOfByte(line, line.size())) - 1;
  const TBufferPos before = caret.Column > 1 ? TBufferPos{caret.Column - 1, caret.Line}
                                             : TBufferPos{length - 1, caret.Line};
  if (before.Column < 1 || !IsAttribute(before, THighlighterDefault::Comment)) return false;
  const auto text = CommentContinuation(line, SelText());
  if (!text) return false;
  SetSelText(*text);
  return true;
}

void TTvlEdit::CtrlSpace(TKeyInfo& key) {
  TBufferPos pos = CaretXY();
  if (pos.Column > 1) --pos.Column;
  if (Highlighter()) {
    const THighlighterAttribute* attribute = nullptr;
    const bool found = GetHighlighterAttriAtRowCol(pos, attribute);
    THighlighter& h = *Highlighter();
    const bool completion = !found ||
                            h.IsDefaultAttribute(attribute, THighlighterDefault::Identifier) ||
                            h.IsDefaultAttribute(attribute, THighlighterDefault::Whitespace) ||
                            h.IsDefaultAttribute(attribute, THighlighterDefault::Symbol) ||
                            attribute->name == "Non-reserved Keyword";
    const std::string line = LineText();
    const std::size_t at = ByteOfColumn(line, pos.Column);
    // Just after the end of a tag (but not after "->") is HTML text, not code.
    const bool refused =
        pos.Column > 1 && at + 1 < line.size() && line[at] == '>' && line[at - 1] != '-';
    if (completion && !refused) {
      const bool javaScript = h.LanguageName() == "JavaScript";
      if (javaScript && JSHelper) JSHelper();
      if (!javaScript && CompletionProposal) CompletionProposal();
      key.Key = 0;
      return;
    }
  }
  if (!ReadOnly()) Insert("&nbsp;");
  key.Key = 0;
}

void TTvlEdit::ListItemOnEnter() {
  const std::string line = LineText();
  if (line.empty()) return;
  // Enter just before the item's own closing tag ends the item, as Enter at the line's end does:
  // the item keeps its text and its closing tag, and the next item starts below.
  if (continueLists_ && !SelAvail() && CaretBeforeItemClosing(line, CaretX()))
    SetCaretXY({CaretLineLength() + 1, CaretY()});
  const std::string closing = ListItemClosing(line);
  if (!closing.empty()) Insert(closing);
}

void TTvlEdit::KeyPress(char32_t& ch) {
  if (ch == U'}' && autoIndent_ && Highlighter() && !ReadOnly() && BeforeCaretInCode())
    BraceOnClose();
  EndLinkedTag();
  TTextEditor::KeyPress(ch);
  if (ch == U'>' && autoClose_ && tags_ != nullptr && !ReadOnly()) CloseTypedTag();
}

void TTvlEdit::BraceOnClose() {
  if (!IsBlank(LineText()) && LineText().find('{') == std::string::npos)
    ExecuteCommand(ecLineBreak);
  const TBufferPos caret = CaretXY();
  const std::string line = LineText();
  if (!IsBlank(line) || caret.Line < 2) return;
  const int indent = IndentationOf(Line(caret.Line - 2));
  if (caret.Column < indent) return;
  // The "}" goes one tab width to the left; the blanks the line break left after that column
  // go too, so the line holds no trailing blanks.
  const int target = std::max(1, caret.Column - TabWidth());
  Model().SetCaretAndSelection({target, caret.Line}, {target, caret.Line},
                               {static_cast<int>(line.size()) + 1, caret.Line});
  if (SelAvail()) SetSelText({});
  SetCaretXY({target, caret.Line});
}

void TTvlEdit::CloseTypedTag() {
  const TBufferPos caret = CaretXY();
  const std::string closing = ClosingTagFor(LineText(), caret.Column, *tags_);
  if (closing.empty()) return;
  linked_.insertedAt = caret;
  linked_.start = Model().RowColToCharIndex(caret);
  Insert(closing);
  linked_.end = Model().RowColToCharIndex(CaretXY());
  linked_.text = closing;
  const int nameLength = ColumnOfByte(closing, closing.size()) - 1;
  linked_.caret = {CaretX() - nameLength, caret.Line};
  SetCaretXY(linked_.caret);
  linked_.active = true;
  Repaint();
}

void TTvlEdit::KeyUp(TKeyInfo& key) {
  if (IsEnter(key.Key) && !ReadOnly()) {
    if (autoIndent_ && Highlighter() && BeforeCaretInCode()) BraceIndentAfterEnter();
    if (continueLists_) ContinueListAfterEnter();
  }
  TTextEditor::KeyUp(key);
}

void TTvlEdit::BraceIndentAfterEnter() {
  const TBufferPos caret = CaretXY();
  if (!IsBlank(LineText())) return;
  const TTextBuffer& buffer = Model().Buffer();
  const std::size_t at = Model().ByteOfPos(caret);
  const std::size_t limit = at > kBlankScanLimit ? at - kBlankScanLimit : 0;
  char last = ' ';
  for (std::size_t b = at; b > limit; --b) {
    const char c = buffer.ByteAt(b - 1);
    if (c >= 33 && c <= 126) {
      last = c;
      break;
    }
  }
  // The auto-indent gave the new line the indentation of the "{" line; one tab width deeper.
  if (last == '{') Insert(std::string(static_cast<std::size_t>(TabWidth()), ' '));
}

void TTvlEdit::ContinueListAfterEnter() {
  const TBufferPos caret = CaretXY();
  if (caret.Line < 2) return;
  const TListStep step = ContinueList(Line(caret.Line - 2), lastListColumn_);
  lastListColumn_ = step.LastListColumn;
  if (step.Action == TListStep::TAction::NewItem) Insert(step.Item);
  if (step.Action == TListStep::TAction::EndList) {
    // An empty item ends the list: it goes, and the caret stays on the new (indented) line.
    Model().DeleteLine(caret.Line - 2);
    SetCaretXY({caret.Column, caret.Line - 1});
  }
}

// ---------------------------------------------------------------- state and hooks

void TTvlEdit::StatusChanged(TStatusChanges changes) {
  if (linked_.active && Model().BlockBegin() != linked_.caret) EndLinkedTag();
  TTextEditor::StatusChanged(changes);
}

void TTvlEdit::GutterClicked(Qt::MouseButton button, QPoint point, int line) {
  if (button == Qt::LeftButton) {
    TEditorModel& model = Model();
    int free = -1;
    bool cleared = false;
    for (int n = 0; n < 10 && !cleared; ++n) {
      TBufferPos pos;
      if (!model.GetBookmark(n, pos)) {
        if (free < 0) free = n;
      } else if (pos.Line == line) {
        model.ClearBookmark(n);
        cleared = true;
      }
    }
    if (!cleared && free >= 0) model.SetBookmark(free, {1, line});
    InvalidateGutter();
  }
  TTextEditor::GutterClicked(button, point, line);
}

void TTvlEdit::TextDropped(TTextEditor* source, bool move) {
  TTextEditor::TextDropped(source, move);
  // A drag between two editor controls moves the text (Ctrl held makes it a copy).
  auto* other = dynamic_cast<TTvlEdit*>(source);
  if (other != nullptr && other != this && move && !other->ReadOnly()) {
    other->Model().SetSelText({});
  }
}

void TTvlEdit::CommandProcessed(TCommandEvent& event) {
  if (event.command == ecMatchBracket && !event.handled) {
    event.handled = true;
    GoToMatchingBracket();
  }
  TTextEditor::CommandProcessed(event);
}

void TTvlEdit::GoToMatchingBracket() {
  TBufferPos target = Model().MatchingBracket();
  if (target == TBufferPos{0, 0}) target = FindMatchingTag();
  if (target == TBufferPos{0, 0}) target = {1, 1};  // the start of the text
  SetCaretXY(target);
}

// ---------------------------------------------------------------- words at the caret

bool TTvlEdit::TakesIdentifiers(bool variable) const {
  const THighlighter* h = Highlighter();
  if (h == nullptr) return false;
  if (variable && h->IsMulti()) return false;
  const std::string name = h->LanguageName();
  for (const char* excluded : {"SQL", "XML", "General", "CSS", "HTML", "PHP"}) {
    if (name == excluded) return false;
  }
  return !(variable && name == "URI");
}

std::string TTvlEdit::TextAroundCaret(int& firstColumn) {
  const TBufferPos caret = CaretXY();
  const int reach = static_cast<int>(kCaretScanLimit) + 1;
  const TBufferPos from = Model().ClampPos({std::max(1, caret.Column - reach), caret.Line});
  const TBufferPos to = Model().ClampPos({caret.Column + reach, caret.Line});
  firstColumn = from.Column;
  const std::size_t begin = Model().ByteOfPos(from);
  return Model().Buffer().Range(begin, Model().ByteOfPos(to) - begin);
}

int TTvlEdit::CaretLineLength() const {
  return static_cast<int>(Model().Buffer().LineChars(static_cast<std::size_t>(CaretY() - 1)));
}

std::string TTvlEdit::IdentifierAtCaret(bool extendRight) {
  const TBufferPos caret = CaretXY();
  int first = 1;
  const std::string around = TextAroundCaret(first);
  const TCaretWord word =
      WordBeforeCaret(around, caret.Column - first + 1, extendRight, TCaretWordKind::Identifier);
  if (word.Text.empty() || word.Dollar) return word.Text;
  if (!TakesIdentifiers(false)) return {};
  const THighlighterAttribute* attribute = nullptr;
  const int length = CaretLineLength();
  const TBufferPos at{std::min(caret.Column, std::max(length, 1)), caret.Line};
  if (!GetHighlighterAttriAtRowCol(at, attribute)) return {};
  if (Highlighter()->IsDefaultAttribute(attribute, THighlighterDefault::Identifier) ||
      attribute->name == "Non-reserved Keyword" || attribute->name == "Symbol")
    return word.Text;
  return {};
}

std::string TTvlEdit::VariableAtCaret(bool extendRight) {
  const TBufferPos caret = CaretXY();
  int first = 1;
  const std::string around = TextAroundCaret(first);
  const TCaretWord word =
      WordBeforeCaret(around, caret.Column - first + 1, extendRight, TCaretWordKind::Variable);
  if (word.Text.empty() || word.Dollar) return word.Text;
  if (!TakesIdentifiers(true)) return {};
  const THighlighterAttribute* attribute = nullptr;
  const int length = CaretLineLength();
  const TBufferPos at{std::min(caret.Column, std::max(length, 1)), caret.Line};
  if (!GetHighlighterAttriAtRowCol(at, attribute)) return {};
  const bool javaScript = Highlighter()->LanguageName() == "JavaScript";
  if (Highlighter()->IsDefaultAttribute(attribute, THighlighterDefault::Identifier) ||
      (javaScript && (attribute->name == "Non-reserved Keyword" || attribute->name == "Symbol")))
    return word.Text;
  return {};
}

TBufferPos TTvlEdit::FindMatchingTag() {
  // Most carets are in no tag name: that is seen around the caret, without reading its line.
  int first = 1;
  if (TagNameAtCaret(TextAroundCaret(first), CaretX() - first + 1).Name.empty()) return {0, 0};
  TTagText text;
  text.LineCount = [this] { return LineCount(); };
  text.Line = [this](int index) { return Line(index); };
  text.InStringOrComment = [this](TBufferPos pos) { return InStringOrComment(pos); };
  return tervil::FindMatchingTag(text, CaretXY());
}

}  // namespace tervil
