#include "core/highlighters/GeneralHighlighter.h"

namespace tervil {

namespace {

bool IsTextChar(unsigned char c) {
  return c >= '!';
}

}  // namespace

TGeneralHighlighter::TGeneralHighlighter() : TCodeHighlighter("General", "") {
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  identifier_ = AddAttribute("Identifier");
  number_ = AddAttribute("Number");
  keyword_ = AddAttribute("Reserved Word", clNone, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String");
  symbol_ = AddAttribute("Symbol");
  SetCodeDefaults();
}

THighlighterState TGeneralHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                     std::size_t end, bool /*endsLine*/,
                                                     THighlighterState /*start*/,
                                                     std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  RunLexer(s, out, [&]() -> const THighlighterAttribute* {
    unsigned char c = s.Peek();
    if (IsBlank(c)) {
      s.SkipBlanks();
      return space_;
    }
    if (!IsTextChar(c)) {
      s.Advance();
      return symbol_;
    }
    std::size_t start = s.pos;
    s.SkipWhile(IsTextChar);
    std::string_view word = s.Text(start);
    bool digits = true;
    for (char b : word) digits = digits && IsDigit(static_cast<unsigned char>(b));
    return digits ? number_ : identifier_;
  });
  return 0;
}

namespace {

constexpr std::string_view kSchemes[] = {"http://", "https://", "ftp://", "file://",
                                         "mailto:", "news:",    "www."};

bool StartsUri(const TScanner& s) {
  for (std::string_view scheme : kSchemes) {
    if (s.StartsWithNoCase(scheme) && s.Rest().size() > scheme.size() &&
        IsTextChar(static_cast<unsigned char>(s.Rest()[scheme.size()])))
      return true;
  }
  return false;
}

bool IsUriChar(unsigned char c) {
  return c > ' ' && c != '"' && c != '<' && c != '>';
}

bool IsTrailingPunctuation(char c) {
  return c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?' || c == ')' ||
         c == '\'';
}

}  // namespace

TUriHighlighter::TUriHighlighter() : TSyntaxHighlighter("URI", "") {
  identifier_ = AddAttribute("Identifier");
  space_ = AddAttribute("Space");
  symbol_ = AddAttribute("Symbol");
  uri_ = AddAttribute("URI", clBlue, fsUnderline);
  SetDefaults({.comment = identifier_,
               .identifier = identifier_,
               .keyword = uri_,
               .string = identifier_,
               .whitespace = space_,
               .symbol = symbol_});
}

THighlighterState TUriHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                 std::size_t end, bool /*endsLine*/,
                                                 THighlighterState /*start*/,
                                                 std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  RunLexer(s, out, [&]() -> const THighlighterAttribute* {
    unsigned char c = s.Peek();
    if (IsBlank(c)) {
      s.SkipBlanks();
      return space_;
    }
    bool wordStart = !IsWordChar(s.Prev());
    if (wordStart && StartsUri(s)) {
      std::size_t start = s.pos;
      s.SkipWhile(IsUriChar);
      while (s.pos > start + 1 && IsTrailingPunctuation(s.Text(start).back())) --s.pos;
      return uri_;
    }
    if (IsWordChar(c)) {
      s.SkipWordChars();
      return identifier_;
    }
    s.AdvanceChar();
    return symbol_;
  });
  return 0;
}

}  // namespace tervil
