#include "core/editor/TypingRules.h"

#include <algorithm>

#include "core/editcomponent/Highlighter.h"
#include "core/tags/TagsEditor.h"

namespace tervil {

namespace {

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '_';
}

// The part of `line` that ends at byte `end` and is at most kCaretScanLimit long, starting on a
// character boundary, with the column of its first character.
struct TWindow {
  std::string_view text;
  int firstColumn = 1;
};
TWindow WindowBefore(std::string_view line, std::size_t end) {
  end = std::min(end, line.size());
  std::size_t start = end > kCaretScanLimit ? end - kCaretScanLimit : 0;
  while (start < end && IsContinuation(line[start])) ++start;
  return {line.substr(start, end - start), start == 0 ? 1 : ColumnOfByte(line, start)};
}

std::string_view TrimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// Index of the first character that is not a space (only spaces count), or npos.
std::size_t FirstNonSpace(std::string_view line) {
  return line.find_first_not_of(' ');
}

bool ItemAt(std::string_view line, std::size_t at, std::string_view item) {
  return at != std::string_view::npos && line.substr(at, item.size()) == item;
}

// Whether the item that starts at `at` holds more than blanks and its closing tag.
bool ItemHoldsText(std::string_view line, std::size_t at, std::string_view item,
                   std::string_view closing) {
  std::string_view content = line.substr(at + item.size());
  const std::size_t end = content.rfind(closing);
  if (end != std::string_view::npos) content = content.substr(0, end);
  return content.find_first_not_of(" \t") != std::string_view::npos;
}

// Whether character `c` at index i of `s` may be taken by the left-going scan at depth 0.
bool AcceptedAtTop(std::string_view s, std::size_t i, TCaretWordKind kind) {
  const char c = s[i];
  const char before = i > 0 ? s[i - 1] : '\0';
  const char after = i + 1 < s.size() ? s[i + 1] : '\0';
  if (IsWordChar(c) || c == '.') return true;
  if (c == '-') return after == '>';
  if (c == '>') return kind == TCaretWordKind::Variable || before == '-';
  if (kind == TCaretWordKind::Variable) return false;
  if (c == ':') return before == ':' || after == ':';
  return c == '(' || c == ')' || c == '[' || c == ']';
}

}  // namespace

std::size_t ByteOfColumn(std::string_view line, int column) {
  std::size_t byte = 0;
  for (int c = 1; c < column && byte < line.size(); ++c) {
    ++byte;
    while (byte < line.size() && IsContinuation(line[byte])) ++byte;
  }
  return byte;
}

int ColumnOfByte(std::string_view line, std::size_t byte) {
  byte = std::min(byte, line.size());
  int column = 1;
  for (std::size_t i = 0; i < byte; ++i) {
    if (!IsContinuation(line[i])) ++column;
  }
  return column;
}

std::string ClosingTagFor(std::string_view line, int caretColumn, const THtmlTagsEditor& tags) {
  const std::size_t caret = ByteOfColumn(line, caretColumn);
  if (caret < 2 || caret > line.size() || line[caret - 1] != '>') return {};
  const TWindow window = WindowBefore(line, caret);
  const int gtColumn = ColumnOfByte(window.text, window.text.size() - 1);
  const std::string name = tags.GetTagNameBefore(window.text, gtColumn);
  if (name.empty()) return {};
  const int index = tags.IndexOfTag(name);
  bool close = false;
  if (index >= 0) {
    close = tags.HasClosingTag(index);
  } else {
    const char before = line[caret - 2];
    close =
        (IsLetter(before) || IsDigit(before) || before == ' ' || before == '"' || before == '\'') &&
        IsLetter(name.front());
  }
  return close ? "</" + name + ">" : std::string();
}

std::string ListItemClosing(std::string_view line) {
  const std::size_t p = FirstNonSpace(line);
  std::string closing;
  if (ItemAt(line, p, "<li>") && line.find("</li>") == std::string_view::npos) closing += "</li>";
  if (ItemAt(line, p, "<option>") && line.find("</option>") == std::string_view::npos)
    closing += "</option>";
  return closing;
}

TListStep ContinueList(std::string_view previousLine, int lastListColumn) {
  TListStep step;
  if (previousLine.empty()) return step;  // LastListColumn 0
  const std::size_t at = FirstNonSpace(previousLine);
  const int p = at == std::string_view::npos ? static_cast<int>(previousLine.size()) + 1
                                             : static_cast<int>(at) + 1;
  const auto length = static_cast<long long>(previousLine.size());
  const auto consider = [&](std::string_view item, std::string_view closing, int bare) {
    if (!ItemAt(previousLine, at, item)) return;
    // An item that holds text is never taken for an empty one, whatever its length says.
    const bool filled = length > static_cast<long long>(lastListColumn) + bare ||
                        ItemHoldsText(previousLine, at, item, closing);
    step.Action = filled ? TListStep::TAction::NewItem : TListStep::TAction::EndList;
    step.Item = filled ? std::string(item) : std::string();
  };
  consider("<li>", "</li>", 8);
  consider("<option>", "</option>", 16);
  step.LastListColumn = p;
  return step;
}

bool CaretBeforeItemClosing(std::string_view line, int caretColumn) {
  const std::size_t p = FirstNonSpace(line);
  const std::size_t caret = ByteOfColumn(line, caretColumn);
  if (p == std::string_view::npos || caret >= line.size()) return false;
  const std::string_view rest = TrimBlanks(line.substr(caret));
  return (ItemAt(line, p, "<li>") && caret >= p + 4 && rest == "</li>") ||
         (ItemAt(line, p, "<option>") && caret >= p + 8 && rest == "</option>");
}

std::optional<std::string> CommentContinuation(std::string_view line, std::string_view selection) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || line.back() == '/') return std::nullopt;
  const std::string blanks(line.size() - trimmed.size(), ' ');
  if (trimmed.front() == '*') return "\r\n" + blanks + std::string(selection) + "*";
  if (trimmed.substr(0, 3) == "/**") return "\r\n" + blanks + std::string(selection) + " *";
  return std::nullopt;
}

bool IsProseText(const THighlighter* highlighter, const THighlighterAttribute* attribute) {
  if (highlighter == nullptr) return true;
  const std::string language = highlighter->LanguageName();
  if (language == "General" || language == "URI") return true;
  if (attribute == nullptr) return false;
  if (attribute->name == "Text") return true;  // between markup tags
  if (highlighter->IsDefaultAttribute(attribute, THighlighterDefault::Comment)) return true;
  return highlighter->IsDefaultAttribute(attribute, THighlighterDefault::String) &&
         attribute->name != "Value";  // a markup attribute value
}

int IndentationOf(std::string_view line) {
  const auto first = line.find_first_not_of(" \t");
  return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

TCaretWord WordBeforeCaret(std::string_view line, int caretColumn, bool extendRight,
                           TCaretWordKind kind) {
  TCaretWord result;
  if (line.empty() || caretColumn < 1) return result;
  const std::size_t caret = ByteOfColumn(line, caretColumn);
  if (caret >= line.size() && ColumnOfByte(line, line.size()) + 1 < caretColumn) return result;
  std::size_t end = caret;  // one past the last byte taken
  if (extendRight) {
    while (end < line.size() && end - caret < kCaretScanLimit && IsWordChar(line[end])) ++end;
  }
  const TWindow window = WindowBefore(line, caret);
  const std::string_view s = window.text;
  std::size_t start = s.size();
  const char before = s.empty() ? '\0' : s.back();
  const char at = caret < line.size() ? line[caret] : '\0';
  const bool skip = kind == TCaretWordKind::Identifier &&
                    (before == '-' || before == '.' || before == ':' || before == '>') &&
                    !IsLetter(at);
  int parens = 0;
  int brackets = 0;
  for (std::size_t i = s.size(); !skip && i-- > 0;) {
    const char c = s[i];
    if (parens == 0 && brackets == 0 && !AcceptedAtTop(s, i, kind)) break;
    if (kind == TCaretWordKind::Identifier) {
      if (c == ')') ++parens;
      if (c == '(') --parens;
      if (c == ']') ++brackets;
      if (c == '[') --brackets;
      if (parens < 0 || brackets < 0) break;
    }
    start = i;
  }
  const std::size_t startByte = caret - (s.size() - start);
  if (startByte >= end) return result;
  result.Text = std::string(line.substr(startByte, end - startByte));
  result.Start = window.firstColumn + ColumnOfByte(s, start) - 1;
  result.End = result.Start + ColumnOfByte(result.Text, result.Text.size()) - 2;
  if (start > 0 && s[start - 1] == '$') {
    result.Dollar = true;
    result.Text.insert(0, 1, '$');
  }
  return result;
}

std::vector<int> VariableOccurrences(std::string_view text, std::string_view word,
                                     int firstColumn) {
  std::vector<int> columns;
  if (word.empty()) return columns;
  const bool dollar = word.front() == '$';
  int column = firstColumn;
  std::size_t counted = 0;  // bytes up to which `column` is known
  for (std::size_t at = text.find(word); at != std::string_view::npos;
       at = text.find(word, at + word.size())) {
    const std::size_t after = at + word.size();
    if (after < text.size() && IsWordChar(text[after])) continue;
    if (at > 0 && !dollar && IsWordChar(text[at - 1])) continue;
    column += ColumnOfByte(text.substr(counted, at - counted), at - counted) - 1;
    counted = at;
    columns.push_back(column);
  }
  return columns;
}

}  // namespace tervil
