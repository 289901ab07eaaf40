#include "core/highlighters/MarkupHighlighter.h"

namespace tervil {

THighlighterState TMarkupHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                    std::size_t end, bool /*endsLine*/,
                                                    THighlighterState start,
                                                    std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TokenizeMarkup(s, start, out, style_);
}

void TMarkupHighlighter::SetMarkupDefaults() {
  SetDefaults({.comment = style_.comment,
               .identifier = style_.attributeName,
               .keyword = style_.tagName,
               .string = style_.attributeValue,
               .whitespace = style_.space,
               .symbol = style_.symbol});
}

}  // namespace tervil
