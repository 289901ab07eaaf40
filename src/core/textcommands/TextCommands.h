#pragma once

// The text of the commands that insert HTML into an editor or transform its selection: the HTML
// insert table (tags, entities, headers), the list rule, line comments, case changes, line
// breaking, the PHP server variables and the conversions of big selections in slices.
//
// Selections are given as the editor hands them out: UTF-8 with CR LF line breaks.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/TextProcessor.h"

namespace tervil {

// One command of the HTML toolbar, found by its tag (its index in HtmlInsertRows).
struct THtmlInsertRow {
  std::string_view action;    // htmlBold
  std::string_view caption;   // "Bold"
  std::string_view shortcut;  // "Ctrl+B" (Qt's notation), empty for none
  std::string_view hint;      // "Bold|<b></b>": short hint, "|", long hint
  std::string_view icon;      // the theme icon, or "tervil-..." for the program's own picture
};

// Tags 0 to 29, in the order of the toolbar.
std::span<const THtmlInsertRow> HtmlInsertRows();

inline constexpr int kHtmlTagOList = 12;
inline constexpr int kHtmlTagUList = 13;
inline constexpr int kHtmlTagH1 = 19;
inline constexpr int kHtmlTagH6 = 24;
inline constexpr int kHtmlTagLt = 25;
inline constexpr int kHtmlTagQuot = 28;

// What an insertion command puts in place of the selection, and where the caret goes.
struct TTextInsertion {
  static constexpr std::size_t kAfterText = static_cast<std::size_t>(-1);
  std::string text;
  // The caret's place inside `text`, counted as the editor counts offsets (characters, a line
  // break counting two); kAfterText leaves the caret after the text.
  std::size_t caret = kAfterText;
};

// Where the caret stood in the selection before the command.
enum class TCaretSide { Start, End };

// The insertion of HTML tag `tag` (0 to 29) around `selection`. With an empty selection the
// caret lands between opener and closer; with a selection it keeps its side of the selected
// text: just after the opener when it stood at the start, just before the closer at the end.
// Entities (25 to 28) and the lists leave the caret after the inserted text. An unknown tag
// gives the selection back unchanged.
TTextInsertion HtmlTagInsertion(int tag, std::string_view selection, TCaretSide side);

// Wraps `selection` in opener and closer with the caret rule of HtmlTagInsertion.
TTextInsertion WrapSelection(std::string_view opener, std::string_view closer,
                             std::string_view selection, TCaretSide side);

// The list rule: every non-blank line of the selection becomes an item (`itemTag`), the whole
// trimmed and put between <outerTag> and </outerTag>. Blank lines disappear.
std::string ListMarkup(std::string_view selection, std::string_view outerTag,
                       std::string_view itemTag);

// The length of text as the editor counts offsets: characters, a line break (CR LF, CR or LF)
// counting two.
std::size_t EditorOffsetLength(std::string_view text);

// "// " before every line of the selection. A selection ending with a line break leaves the line
// after it alone.
std::string CommentOutLines(std::string_view selection);

// Takes the "//" off every line whose first three characters, trimmed, are "//", and one blank
// after it; the line's indentation before the "//" stays. CommentOutLines followed by this gives
// the text back.
std::string RemoveLineComments(std::string_view selection);

// Upper- or lower-cases the letters A to Z only; every other character, NUL included, stays.
std::string AsciiLowerCase(std::string_view text);
std::string AsciiUpperCase(std::string_view text);

// The conversions of the selection, by the order of the Edit menu.
enum class TTextConversion {
  ToHtml,
  Unformat,
  EscapeQuotes,
  LowerCase,
  UpperCase,
  TagsLowerCase,
  TagsUpperCase,
};

// Converts text, reporting progress (0 to 100) at least every 64 KiB where the conversion can be
// cut into slices. Never loses text: bytes that are not UTF-8 pass through as they are.
std::string ConvertText(TTextConversion conversion, std::string_view text,
                        const TProgressCallback& progress = {});

// Lines broken at `width` characters with TTextProcessor::BreakLines, joined by CR LF.
std::string BreakTextLines(std::string_view lines, int width);

// The 34 PHP server variables of the variables menu, in menu order.
std::span<const std::string_view> PhpServerVariables();

// $_SERVER['name'].
std::string PhpServerVariableText(std::string_view name);

}  // namespace tervil
