#pragma once

// The tag at a column of one line of text: finding it, naming it, and rewriting one of its
// attributes. A tag that spans lines is not found. Text is UTF-8; columns count characters
// from 1.
//
// Every scan starts at the character before column `pos` (after `pos` has been reduced to the
// line length) and goes left: a ">" ends it without a tag, a "<" is the tag's start. So a caret
// right after a tag's ">" is not inside the tag, unless that ">" is the last character of the
// line.

#include <optional>
#include <string>
#include <string_view>

namespace tervil {

// The tag text from its "<" up to and including the first ">" after it (to the end of the line
// when there is none), or empty when no tag is found.
std::string TagTextAt(std::string_view line, int pos);

// The column of the tag's "<", or 0.
int TagStartAt(std::string_view line, int pos);

// The tag's name: after the "<" and any spaces (skipped only up to `pos`), up to the first
// space, ">" or "<", whichever ends it first. Empty when no tag is found.
std::string TagNameAt(std::string_view line, int pos);

// The line with attribute `name` of the tag around `pos` set to `value`, or nothing when the line
// would not change. Attributes are found by reading them one after the other from the tag's
// name on (see THtmlTagsEditor::GetAttribute), never inside another attribute's value:
// - an attribute the tag lacks is inserted after the tag's name (before a "/" that closes the
//   tag) as name="value" (an empty value inserts nothing);
// - an existing attribute keeps its quote style and spacing and gets the new value (an unquoted
//   value is quoted when the tag's ">" ends it or the new value holds a blank, ">" or quote); an
//   empty value removes it with the blank before it, so its neighbours stay apart;
// - double quotes in the value become single quotes;
// - a value equal to the current one, an empty name, or no tag at `pos` changes nothing.
std::optional<std::string> SetAttributeInLine(std::string_view line, int pos, std::string_view name,
                                              std::string_view value);

}  // namespace tervil
