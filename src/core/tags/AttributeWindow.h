#pragma once

// The rules of the HTML attribute window that need no window: which tag the caret is in (with a
// bounded look at the caret's line, so that a huge line costs no more than a short one), the
// colour of a row's text, the text of a tag inserted from the tag list, and the path written for
// a chosen file.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/common/Color.h"
#include "core/tags/TagsEditor.h"

namespace tervil {

class TEditorModel;

// The tag around the caret of an editor.
struct TCaretTag {
  HtmlTag tag;       // an empty name when the caret is in no built-in tag
  std::string text;  // from the "<" to the ">" (or as far as was looked)
  // False when the tag reaches beyond what was looked at: its values are not all known, so they
  // must not be edited.
  bool complete = true;
};

// How far the look at the caret's line goes on either side of the caret (and past the tag's "<").
inline constexpr std::size_t kTagScanLimit = 1u << 21;  // 2 MiB: a 1 MB attribute value fits

// The tag at the caret (as GetTagAt and GetTagText of the tag database find it on the caret's
// line), reading at most `limit` bytes before the caret and `limit` bytes after it.
TCaretTag TagAtCaret(const THtmlTagsEditor& tags, const TEditorModel& editor,
                     std::size_t limit = kTagScanLimit);

// The text colour of a row of the attribute grid: red for a deprecated tag or an attribute whose
// info is "deprecated", green for event attributes ("on..." longer than two characters), blue
// for "style" and "class" (a later rule wins); clNone for the normal text colour.
TColor AttributeTextColor(bool tagDeprecated, std::string_view info, std::string_view name);

// What inserting a tag from the tag list puts after the selected text, and how far the caret
// then moves back (between the opening and the closing tag).
struct TTagInsertion {
  std::string text;
  int caretBack = 0;
};
TTagInsertion TagInsertion(std::string_view name, bool hasClosingTag);

// The path written into a tag for `file` chosen for the page saved as `pageFile`: relative to the
// page's folder ("img/a.png", "../img/a.png"), or the file name alone for a page without a file.
// Separators are "/".
std::string PagePathOf(std::string_view pageFile, std::string_view file);

}  // namespace tervil
