#pragma once

// Finding the HTML tag that matches the one whose name is at the caret: from "<div" forwards to
// its "</div", from "</div" backwards to its "<div". Only tags of the same name count, and
// names inside strings and comments are ignored. The scan reads at most kTagScanLimit bytes of
// text, so a missing or far-away partner costs a bounded time on any document.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

inline constexpr std::size_t kTagScanLimit = 256 * 1024;
// The most tags of the same name the search counts before it gives up: each is checked for
// being in a string or comment, which asks the highlighter about its line.
inline constexpr int kTagCountLimit = 100;

// What the search reads: the number of lines, a line (index from 0), and whether the character
// at a position (column, line from 1) is in a string or comment.
struct TTagText {
  std::function<int()> LineCount;
  std::function<std::string(int index)> Line;
  std::function<bool(TBufferPos pos)> InStringOrComment;
};

// The start of the matching tag's name for a caret at `caret`, or (0, 0) when the caret is not
// in a tag name or the partner is not found within the scan and count limits.
TBufferPos FindMatchingTag(const TTagText& text, TBufferPos caret);

// The tag name at the caret and the column where it starts (0 when the caret is in no tag
// name), and whether it belongs to a closing tag.
struct TTagNameAtCaret {
  std::string Name;
  int Start = 0;
  bool Closing = false;
};
TTagNameAtCaret TagNameAtCaret(std::string_view line, int caretColumn);

}  // namespace tervil
