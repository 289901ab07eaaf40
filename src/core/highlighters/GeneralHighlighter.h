#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// Plain text: every character from "!" upward belongs to a word; words made of digits are
// numbers. No comments, strings or reserved words, so no construct spans lines.
class TGeneralHighlighter : public TCodeHighlighter {
 public:
  TGeneralHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;
};

// Text in which web, mail and file addresses stand out.
class TUriHighlighter : public TSyntaxHighlighter {
 public:
  TUriHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  THighlighterAttribute* identifier_;
  THighlighterAttribute* space_;
  THighlighterAttribute* symbol_;
  THighlighterAttribute* uri_;
};

}  // namespace tervil
