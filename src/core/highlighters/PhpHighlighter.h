#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// PHP code: keywords, variables, numbers, comments, single- and double-quoted strings (which
// may span lines; double-quoted ones interpolate variables), heredoc and nowdoc texts.
class TPhpHighlighter : public TCodeHighlighter {
 public:
  TPhpHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  friend class TPhpLexer;
  THighlighterAttribute* variable_;
  TLabelTable labels_;
};

}  // namespace tervil
