#pragma once

#include "core/highlighters/MarkupLexer.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// Base of the markup highlighters: the derived constructor fills in style_ and then calls
// SetMarkupDefaults().
class TMarkupHighlighter : public TSyntaxHighlighter {
 public:
  using TSyntaxHighlighter::TSyntaxHighlighter;

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 protected:
  // Comments, attribute names, tag names, attribute values, space and symbols stand for the
  // kinds of text.
  void SetMarkupDefaults();

  TMarkupStyle style_;
};

}  // namespace tervil
