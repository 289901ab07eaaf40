// The PHP tokenizer of the structure analyser.

#include "core/phpcss/PhpLexer.h"

#include <algorithm>

namespace tervil {
namespace {

// Strings inside "{$...}" inside strings nest; beyond this depth "{$" is read as plain text, so
// that a hostile text cannot exhaust the stack.
constexpr int kMaxNesting = 32;

bool IsIdentStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool IsIdentChar(unsigned char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

class TPhpLexer {
 public:
  explicit TPhpLexer(std::string_view text) : t_(text), n_(text.size()) {}

  std::vector<TPhpToken> Run() {
    std::vector<TPhpToken> tokens;
    tokens.reserve(n_ / 6 + 16);
    std::size_t p = 0;
    bool inPhp = FindOpenTag(0) == n_;  // a snippet without any opening tag is all code
    while (p < n_) {
      if (!inPhp) {
        p = FindOpenTag(p);
        if (p >= n_) break;
        tokens.push_back({p, p + OpenTagLength(p), TPhpTokenKind::OpenTag});
        p = tokens.back().End;
        inPhp = true;
        continue;
      }
      if (static_cast<unsigned char>(t_[p]) <= ' ') {
        ++p;
        continue;
      }
      TPhpToken token{p, p, TPhpTokenKind::Symbol};
      token.End = Lex(p, token.Kind, 0);
      tokens.push_back(token);
      if (token.Kind == TPhpTokenKind::CloseTag) inPhp = false;
      p = token.End;
    }
    return tokens;
  }

 private:
  char At(std::size_t p) const { return p < n_ ? t_[p] : '\0'; }

  // "<?php", "<?=" or "<?" followed by white space: the opening tags PHP reads as such.
  std::size_t OpenTagLength(std::size_t p) const {
    if (At(p + 2) == '=') return 3;
    if (p + 5 <= n_ && LowerAscii(t_[p + 2]) == 'p' && LowerAscii(t_[p + 3]) == 'h' &&
        LowerAscii(t_[p + 4]) == 'p' &&
        (p + 5 == n_ || static_cast<unsigned char>(t_[p + 5]) <= ' '))
      return 5;
    if (p + 2 == n_ || static_cast<unsigned char>(t_[p + 2]) <= ' ') return 2;
    return 0;
  }

  std::size_t FindOpenTag(std::size_t from) const {
    for (std::size_t p = t_.find("<?", from); p != std::string_view::npos; p = t_.find("<?", p + 1))
      if (OpenTagLength(p) > 0) return p;
    return n_;
  }

  // Reads the token that starts at p (not white space); returns its end.
  std::size_t Lex(std::size_t p, TPhpTokenKind& kind, int nesting) {
    const char c = t_[p];
    const char d = At(p + 1);
    kind = TPhpTokenKind::Symbol;
    if (c == '?' && d == '>') {
      kind = TPhpTokenKind::CloseTag;
      return p + 2;
    }
    if (c == '#' && d == '[' && nesting < kMaxNesting) {
      kind = TPhpTokenKind::Attribute;
      return SkipBracketed(p + 1, '[', ']', nesting + 1);
    }
    if (c == '#' || (c == '/' && d == '/')) {
      kind = TPhpTokenKind::Comment;
      return SkipLineComment(p);
    }
    if (c == '/' && d == '*') {
      kind = TPhpTokenKind::Comment;
      const std::size_t close = t_.find("*/", p + 2);
      return close == std::string_view::npos ? n_ : close + 2;
    }
    if (c == '\'' || c == '"' || c == '`') {
      kind = TPhpTokenKind::String;
      return SkipQuoted(p + 1, c, nesting);
    }
    if (c == '<' && d == '<' && At(p + 2) == '<') {
      const std::size_t end = SkipHeredoc(p, nesting);
      if (end > p) {
        kind = TPhpTokenKind::String;
        return end;
      }
    }
    if (c == '$' && IsIdentStart(static_cast<unsigned char>(d))) {
      kind = TPhpTokenKind::Variable;
      return SkipIdent(p + 1);
    }
    if (IsIdentStart(static_cast<unsigned char>(c)) ||
        (c == '\\' && IsIdentStart(static_cast<unsigned char>(d)))) {
      kind = TPhpTokenKind::Word;
      return SkipName(p);
    }
    if (c >= '0' && c <= '9') {
      kind = TPhpTokenKind::Number;
      return SkipNumber(p);
    }
    return p + SymbolLength(p);
  }

  std::size_t SymbolLength(std::size_t p) const {
    const std::string_view rest = t_.substr(p, 3);
    if (rest == "?->" || rest == "...") return 3;
    const std::string_view pair = rest.substr(0, 2);
    if (pair == "::" || pair == "->" || pair == "=>") return 2;
    return 1;
  }

  std::size_t SkipIdent(std::size_t p) const {
    while (p < n_ && IsIdentChar(static_cast<unsigned char>(t_[p]))) ++p;
    return p;
  }

  // A name with namespace separators: "Foo\Bar", "\Foo", "namespace\Foo".
  std::size_t SkipName(std::size_t p) const {
    while (p < n_) {
      if (IsIdentChar(static_cast<unsigned char>(t_[p]))) {
        ++p;
      } else if (t_[p] == '\\' && IsIdentStart(static_cast<unsigned char>(At(p + 1)))) {
        p += 2;
      } else {
        break;
      }
    }
    return p;
  }

  std::size_t SkipNumber(std::size_t p) const {
    while (p < n_) {
      const auto c = static_cast<unsigned char>(t_[p]);
      if (IsIdentChar(c) || (c == '.' && At(p + 1) >= '0' && At(p + 1) <= '9')) {
        ++p;
      } else {
        break;
      }
    }
    return p;
  }

  // A line comment ends before its line break or before a "?>" that closes the PHP block.
  std::size_t SkipLineComment(std::size_t p) const {
    while (p < n_ && !IsLineBreak(t_[p]) && !(t_[p] == '?' && At(p + 1) == '>')) ++p;
    return p;
  }

  // From just after the opening quote to just after the closing one (or the end of the text).
  std::size_t SkipQuoted(std::size_t p, char quote, int nesting) {
    const bool interpolates = quote != '\'' && nesting < kMaxNesting;
    while (p < n_) {
      const char c = t_[p];
      if (c == '\\') {
        p = std::min(p + 2, n_);
      } else if (c == quote) {
        return p + 1;
      } else if (interpolates && c == '{' && At(p + 1) == '$') {
        p = SkipBracketed(p, '{', '}', nesting + 1);
      } else if (interpolates && c == '$' && At(p + 1) == '{') {
        p = SkipBracketed(p + 1, '{', '}', nesting + 1);
      } else {
        ++p;
      }
    }
    return n_;
  }

  // From the opening bracket at p to just after its matching closer, reading the code between as
  // tokens so that brackets inside strings and comments do not count.
  std::size_t SkipBracketed(std::size_t p, char open, char close, int nesting) {
    int depth = 0;
    while (p < n_) {
      if (static_cast<unsigned char>(t_[p]) <= ' ') {
        ++p;
        continue;
      }
      TPhpTokenKind kind;
      const std::size_t end = Lex(p, kind, nesting);
      if (kind == TPhpTokenKind::Symbol && end == p + 1) {
        if (t_[p] == open) ++depth;
        if (t_[p] == close && --depth == 0) return end;
      }
      p = end;
    }
    return n_;
  }

  // A heredoc or nowdoc starting with "<<<" at p; returns its end, or p when the text there is no
  // heredoc opener. The closing marker may be indented and followed by any character that cannot
  // continue a name.
  std::size_t SkipHeredoc(std::size_t p, int nesting) {
    std::size_t q = p + 3;
    while (At(q) == ' ' || At(q) == '\t') ++q;
    const char quote = (At(q) == '\'' || At(q) == '"') ? t_[q] : '\0';
    if (quote) ++q;
    if (!IsIdentStart(static_cast<unsigned char>(At(q)))) return p;
    const std::size_t idStart = q;
    q = SkipIdent(q);
    const std::string_view id = t_.substr(idStart, q - idStart);
    if (quote && At(q++) != quote) return p;
    if (!IsLineBreak(At(q))) return p;
    q = SkipLineBreak(q);
    const bool interpolates = quote != '\'' && nesting < kMaxNesting;
    while (q < n_) {
      std::size_t m = q;
      while (At(m) == ' ' || At(m) == '\t') ++m;
      if (t_.substr(m, id.size()) == id &&
          !IsIdentChar(static_cast<unsigned char>(At(m + id.size()))))
        return m + id.size();
      q = SkipHeredocLine(q, interpolates, nesting);
      if (q < n_) q = SkipLineBreak(q);
    }
    return n_;
  }

  // From a line start of a heredoc body to the line break that ends the line.
  std::size_t SkipHeredocLine(std::size_t p, bool interpolates, int nesting) {
    while (p < n_ && !IsLineBreak(t_[p])) {
      const char c = t_[p];
      if (interpolates && c == '\\' && !IsLineBreak(At(p + 1))) {
        p = std::min(p + 2, n_);
      } else if (interpolates && c == '{' && At(p + 1) == '$') {
        p = SkipBracketed(p, '{', '}', nesting + 1);
      } else if (interpolates && c == '$' && At(p + 1) == '{') {
        p = SkipBracketed(p + 1, '{', '}', nesting + 1);
      } else {
        ++p;
      }
    }
    return p;
  }

  std::size_t SkipLineBreak(std::size_t p) const {
    if (At(p) == '\r' && At(p + 1) == '\n') return p + 2;
    return p + 1;
  }

  std::string_view t_;
  std::size_t n_;
};

}  // namespace

std::vector<TPhpToken> TokenizePhp(std::string_view text) {
  return TPhpLexer(text).Run();
}

bool IsPhpWord(std::string_view text, const TPhpToken& token, std::string_view lowerWord) {
  if (token.Kind != TPhpTokenKind::Word || token.End - token.Start != lowerWord.size())
    return false;
  for (std::size_t i = 0; i < lowerWord.size(); ++i)
    if (LowerAscii(text[token.Start + i]) != lowerWord[i]) return false;
  return true;
}

bool IsPhpSymbol(std::string_view text, const TPhpToken& token, std::string_view symbol) {
  return token.Kind == TPhpTokenKind::Symbol &&
         text.substr(token.Start, token.End - token.Start) == symbol;
}

}  // namespace tervil
