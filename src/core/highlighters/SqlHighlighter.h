#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// SQL: reserved words, data types and functions (case-insensitive), quoted identifiers,
// strings (which may span lines), numbers and "--", "#" and "/* */" comments.
class TSqlHighlighter : public TCodeHighlighter {
 public:
  TSqlHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  const THighlighterAttribute* Step(TScanner& s, THighlighterState& mode);
  const THighlighterAttribute* Quoted(TScanner& s, THighlighterState& mode, unsigned char quote);

  THighlighterAttribute* dataType_;
  THighlighterAttribute* delimitedIdentifier_;
  THighlighterAttribute* function_;
  THighlighterAttribute* variable_;
};

}  // namespace tervil
