#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// JavaScript: reserved words, the built-in objects and functions as "Non-reserved Keyword",
// event handler names, numbers, strings, template strings with nested ${...} expressions,
// regular-expression literals and comments.
class TJavaScriptHighlighter : public TCodeHighlighter {
 public:
  TJavaScriptHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  friend class TJavaScriptLexer;
  THighlighterAttribute* event_;
  THighlighterAttribute* builtin_;
  THighlighterAttribute* regex_;
};

}  // namespace tervil
