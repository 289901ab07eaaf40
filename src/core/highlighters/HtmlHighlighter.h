#pragma once

#include "core/highlighters/MarkupLexer.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// HTML: tags (known and unknown names), attributes and their values, entities, comments and
// the document type declaration.
class THtmlHighlighter : public TSyntaxHighlighter {
 public:
  THtmlHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  TMarkupStyle style_;
};

}  // namespace tervil
