#pragma once

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SyntaxHighlighter.h"

namespace tervil {

// Object Pascal: case-insensitive reserved words, { }, (* *) and // comments, compiler
// directives, strings and #char codes, decimal, $hex, %binary and &octal numbers and asm blocks.
class TPascalHighlighter : public TCodeHighlighter {
 public:
  TPascalHighlighter();

  THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                  bool endsLine, THighlighterState start,
                                  std::vector<TToken>& tokens) override;

 private:
  const THighlighterAttribute* Step(TScanner& s, THighlighterState& mode, bool& assembler);
  const THighlighterAttribute* CommentStart(TScanner& s, THighlighterState& mode);
  const THighlighterAttribute* Code(TScanner& s, bool& assembler);

  THighlighterAttribute* assembler_;
  THighlighterAttribute* directive_;
};

}  // namespace tervil
