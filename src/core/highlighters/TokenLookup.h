#pragma once

#include <string_view>

#include "core/editcomponent/Highlighter.h"

namespace tervil {

// The token covering one character of a line.
struct TTokenAt {
  bool found = false;  // false beyond the line's end or where no token covers the character
  const THighlighterAttribute* attribute = nullptr;
  int start = 0;   // byte offset of the token in the line
  int length = 0;  // bytes
};

// Tokenizes `line` from `start` and returns the token covering code point `column` (counted
// from 1).
TTokenAt TokenAtColumn(THighlighter& highlighter, std::string_view line, THighlighterState start,
                       int column);

}  // namespace tervil
