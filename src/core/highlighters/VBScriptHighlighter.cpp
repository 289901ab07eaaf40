#include "core/highlighters/VBScriptHighlighter.h"

namespace tervil {

namespace {

const TKeywordSet& Keywords() {
  static const TKeywordSet words(
      {"and",       "as",      "boolean",  "byref",    "byte",          "byval",    "call",
       "case",      "class",   "const",    "currency", "date",          "default",  "dim",
       "do",        "double",  "each",     "else",     "elseif",        "empty",    "end",
       "eqv",       "erase",   "error",    "execute",  "executeglobal", "exit",     "explicit",
       "false",     "for",     "function", "get",      "goto",          "if",       "imp",
       "in",        "integer", "is",       "let",      "like",          "long",     "loop",
       "me",        "mod",     "new",      "next",     "not",           "nothing",  "null",
       "on",        "option",  "or",       "preserve", "private",       "property", "public",
       "randomize", "redim",   "rem",      "resume",   "select",        "set",      "single",
       "step",      "stop",    "string",   "sub",      "then",          "to",       "true",
       "until",     "variant", "wend",     "while",    "with",          "xor"},
      true);
  return words;
}

}  // namespace

TVBScriptHighlighter::TVBScriptHighlighter() : TCodeHighlighter("MS VBScript", "") {
  comment_ = AddAttribute("Comment", clGreen, fsItalic);
  identifier_ = AddAttribute("Identifier");
  number_ = AddAttribute("Number", clMaroon);
  keyword_ = AddAttribute("Reserved Word", clNavy, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clPurple);
  symbol_ = AddAttribute("Symbol");

  SetCodeDefaults();
}

THighlighterState TVBScriptHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                      std::size_t end, bool /*endsLine*/,
                                                      THighlighterState /*start*/,
                                                      std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  RunLexer(s, out, [&] { return Step(s); });
  return 0;
}

const THighlighterAttribute* TVBScriptHighlighter::Step(TScanner& s) {
  unsigned char c = s.Peek();
  if (IsBlank(c)) {
    s.SkipBlanks();
    return space_;
  }
  if (c == '\'') {
    s.SkipToEnd();
    return comment_;
  }
  if (c == '"') {
    s.Advance();
    s.SkipQuoted('"', 0, true);
    return string_;
  }
  if (c == '&' && (AsciiLower(s.Peek(1)) == 'h' || AsciiLower(s.Peek(1)) == 'o')) {
    bool hex = AsciiLower(s.Peek(1)) == 'h';
    if (hex ? IsHexDigit(s.Peek(2)) : IsOctalDigit(s.Peek(2))) {
      s.Advance(2);
      s.SkipWhile(hex ? IsHexDigit : IsOctalDigit);
      if (s.Peek() == '&') s.Advance();
      return number_;
    }
  }
  if (c == '#') {
    std::string_view rest = s.Rest();
    std::size_t close = rest.find('#', 1);
    if (close != std::string_view::npos && close > 1 && IsDigit(rest[1])) {
      s.Advance(close + 1);
      return number_;
    }
  }
  if (StartsNumber(s, c)) {
    ScanNumber(s, kDecimalNumbers);
    return number_;
  }
  if (IsWordStart(c)) {
    std::size_t start = s.pos;
    s.SkipWordChars();
    std::string_view word = s.Text(start);
    if (EqualsNoCase(word, "rem") && (s.AtEnd() || IsBlank(s.Peek()))) {
      s.SkipToEnd();
      return comment_;
    }
    return Keywords().Contains(word) ? keyword_ : identifier_;
  }
  s.AdvanceChar();
  return symbol_;
}

}  // namespace tervil
