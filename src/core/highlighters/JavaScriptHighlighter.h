#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// JavaScript: reserved words, the built-in objects and functions as "Non-reserved Keyword",
// event handler names, numbers, strings, template strings with nested ${...} expressions,
// regular-expression literals and comments.
class TJavaScriptHighlighter : public TSyntaxHighlighter {
 public:
  TJavaScriptHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  friend class TJavaScriptLexer;
  THighlighterAttribute* comment_;
  THighlighterAttribute* event_;
  THighlighterAttribute* identifier_;
  THighlighterAttribute* builtin_;
  THighlighterAttribute* number_;
  THighlighterAttribute* regex_;
  THighlighterAttribute* keyword_;
  THighlighterAttribute* space_;
  THighlighterAttribute* string_;
  THighlighterAttribute* symbol_;
};

}  // namespace tervil
