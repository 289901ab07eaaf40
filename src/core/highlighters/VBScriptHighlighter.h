#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// VBScript: case-insensitive reserved words, "'" and Rem comments, strings with doubled
// quotes, decimal, &H and &O numbers and #date# literals. No construct spans lines.
class TVBScriptHighlighter : public TCodeHighlighter {
 public:
  TVBScriptHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  const THighlighterAttribute* Step(TScanner& s);
};

}  // namespace tervil
