#pragma once

// The text side of the editor control's typing aids: what a keystroke adds (closing tags, list
// items, comment continuation) and which text around the caret is a variable or identifier.
// Lines are UTF-8; columns count characters from 1. Every scan is bounded, so a caret in a line
// of many megabytes costs no more than a caret in a short one.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

class THtmlTagsEditor;
class THighlighter;
struct THighlighterAttribute;

// Byte index of a column in a line (line.size() for a column beyond its end), and back.
std::size_t ByteOfColumn(std::string_view line, int column);
int ColumnOfByte(std::string_view line, std::size_t byte);

// The closing tag ("</p>") to insert after a ">" just typed, or empty. `line` is the caret's
// line with the ">" already in it and `caretColumn` the caret just after it. A tag the database
// knows is closed when it has a closing tag; an unknown name when it starts with a letter A-Z or
// a-z and the character before the ">" is a letter, digit, blank or quote. So "<br/>", "</p>",
// "<!-- -->" and "<?php ?>" get nothing.
std::string ClosingTagFor(std::string_view line, int caretColumn, const THtmlTagsEditor& tags);

// The closing tag Enter adds to an unclosed list item line ("<li>one" gives "</li>", "<option>a"
// gives "</option>"), or empty. Only blanks may come before the item.
std::string ListItemClosing(std::string_view line);

// Whether the caret stands inside a list item line just before the item's own closing tag
// ("<li>one|</li>", the closing tag inserted when the item was typed), with nothing after it.
// Enter there ends the item as Enter at the line's end does.
bool CaretBeforeItemClosing(std::string_view line, int caretColumn);

// List continuation after Enter: what to do with the new line, given the line Enter was pressed
// on and the column of the list item seen last (0 after an empty line).
struct TListStep {
  enum class TAction { None, NewItem, EndList };
  TAction Action = TAction::None;
  std::string Item;        // "<li>" or "<option>" for a new item
  int LastListColumn = 0;  // the value to keep for the next Enter
};
// An item that holds text always starts a new item; only an empty one ends the list.
TListStep ContinueList(std::string_view previousLine, int lastListColumn);

// The text Enter inserts inside a block comment ("\r\n *" after "/**", "\r\n*" with the blanks
// trimmed from a line that starts with "*"), or nothing when the rule does not apply.
std::optional<std::string> CommentContinuation(std::string_view line, std::string_view selection);

// Whether text coloured with `attribute` is written as prose, where typed words may be
// corrected: any text of a page without a highlighter or with a plain-text one, the text between
// markup tags, comments and strings of code. Names, variables and keywords of code, markup tag
// and attribute names and attribute values (addresses, class names) are not.
bool IsProseText(const THighlighter* highlighter, const THighlighterAttribute* attribute);

// Number of leading blanks and tabs (the indentation length of the brace rules).
int IndentationOf(std::string_view line);

// The expression ending at the caret: `$obj->items[2]`, `document.forms`, `a::b`, `f(x, y)`
// (identifier), or the simpler `$a->b`, `x.y` (variable). Columns [Start, End] on the line;
// Dollar is set when a "$" comes just before Start and is then part of Text.
struct TCaretWord {
  std::string Text;
  int Start = 0;
  int End = 0;
  bool Dollar = false;
};
enum class TCaretWordKind { Identifier, Variable };
TCaretWord WordBeforeCaret(std::string_view line, int caretColumn, bool extendRight,
                           TCaretWordKind kind);

// Columns (from 1) where `word` occurs in `text` as a whole variable: no word character (0-9,
// A-Z, a-z, "_") after it, and none before it unless the word begins with "$". `firstColumn`
// is the column of text[0] in its line.
std::vector<int> VariableOccurrences(std::string_view text, std::string_view word,
                                     int firstColumn = 1);

// The longest text the left-going scans look at, in bytes.
inline constexpr std::size_t kCaretScanLimit = 4096;

}  // namespace tervil
