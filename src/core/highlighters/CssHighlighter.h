#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// Cascading style sheets: selectors, at-rules (with nested rule blocks for @media and its
// kind), known and unknown properties, values with colours, numbers and units, strings and
// comments.
class TCssHighlighter : public TSyntaxHighlighter {
 public:
  TCssHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  friend class TCssLexer;
  THighlighterAttribute* color_;
  THighlighterAttribute* comment_;
  THighlighterAttribute* number_;
  THighlighterAttribute* property_;
  THighlighterAttribute* keyword_;
  THighlighterAttribute* selector_;
  THighlighterAttribute* space_;
  THighlighterAttribute* string_;
  THighlighterAttribute* symbol_;
  THighlighterAttribute* undefinedProperty_;
  THighlighterAttribute* value_;
};

}  // namespace tervil
