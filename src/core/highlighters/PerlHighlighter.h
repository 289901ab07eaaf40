#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// Perl: variables with their sigils, strings and the quote-like operators (q, qq, qw, qx, m,
// qr, s, tr, y) with any delimiters, regular expressions, here-documents, POD blocks,
// __END__ data, numbers, comments and reserved words.
class TPerlHighlighter : public TCodeHighlighter {
 public:
  TPerlHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  friend class TPerlLexer;
  THighlighterAttribute* invalid_;
  THighlighterAttribute* variable_;
  TLabelTable labels_;
};

}  // namespace tervil
