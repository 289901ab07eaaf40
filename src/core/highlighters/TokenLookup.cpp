#include "core/highlighters/TokenLookup.h"

#include <vector>

#include "core/highlighters/LexerTools.h"

namespace tervil {

TTokenAt TokenAtColumn(THighlighter& highlighter, std::string_view line, THighlighterState start,
                       int column) {
  TTokenAt result;
  if (column < 1) return result;
  std::size_t offset = ByteOffsetOfColumn(line, column);
  if (offset >= line.size()) return result;
  std::vector<TToken> tokens;
  highlighter.TokenizeLine(line, start, tokens);
  for (const TToken& token : tokens) {
    auto tokenStart = static_cast<std::size_t>(token.start);
    if (offset >= tokenStart && offset < tokenStart + static_cast<std::size_t>(token.length)) {
      result.found = true;
      result.attribute = token.attribute;
      result.start = token.start;
      result.length = token.length;
      break;
    }
  }
  return result;
}

}  // namespace tervil
