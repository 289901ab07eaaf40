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

// Words that end the header of a function before its body: a return type never holds them.
constexpr std::string_view kNotInHeader[] = {
    "function", "fn",     "class",     "interface", "trait", "enum",     "const",    "case",
    "new",      "public", "protected", "private",   "var",   "readonly", "abstract", "final"};

bool IsSingle(std::string_view text, std::size_t start, std::size_t end, char c) {
  return end == start + 1 && text[start] == c;
}

class TPhpLexer {
 public:
  TPhpLexer(std::string_view text, const std::atomic<bool>* cancel)
      : t_(text), n_(text.size()), cancel_(cancel) {}

  TPhpTokenList Run() {
    TPhpTokenList tokens;
    std::size_t p = 0;
    bool inPhp = FindOpenTag(0) == n_;  // a snippet without any opening tag is all code
    std::size_t steps = 0;
    while (p < n_) {
      if (cancel_ && (++steps & 0xFFF) == 0 && cancel_->load(std::memory_order_relaxed)) break;
      if (!inPhp) {
        p = FindOpenTag(p);
        if (p >= n_) break;
        const std::size_t end = p + OpenTagLength(p);
        Emit(tokens, p, end, TPhpTokenKind::OpenTag);
        p = end;
        inPhp = true;
        continue;
      }
      if (static_cast<unsigned char>(t_[p]) <= ' ') {
        ++p;
        continue;
      }
      TPhpTokenKind kind = TPhpTokenKind::Symbol;
      const std::size_t end = Lex(p, kind, 0);
      if (kind == TPhpTokenKind::CloseTag) inPhp = false;
      if (!Emit(tokens, p, end, kind)) break;
      p = end;
    }
    return tokens;
  }

 private:
  // Where the reading of a function's header stands.
  enum class THeader { None, Keyword, Name, Parameters, AfterParameters };

  bool IsWordToken(std::size_t start, std::size_t end, std::string_view lowerWord) const {
    if (end - start != lowerWord.size()) return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
      if (LowerAscii(t_[start + i]) != lowerWord[i]) return false;
    return true;
  }

  bool EndsHeader(std::size_t start, std::size_t end) const {
    for (const auto word : kNotInHeader)
      if (IsWordToken(start, end, word)) return true;
    return false;
  }

  // Keeps the token [start, end) unless it lies in a function body; follows function headers
  // and "__halt_compiler();". Returns false when the tokens end there.
  bool Emit(TPhpTokenList& tokens, std::size_t start, std::size_t end, TPhpTokenKind kind) {
    const bool symbol = kind == TPhpTokenKind::Symbol;
    if (bodyDepth_ > 0) {
      if (symbol && IsSingle(t_, start, end, '{')) ++bodyDepth_;
      if (symbol && IsSingle(t_, start, end, '}') && --bodyDepth_ == 0)
        tokens.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
      return true;
    }
    tokens.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
    if (kind == TPhpTokenKind::Comment || kind == TPhpTokenKind::Attribute) return true;
    const bool word = kind == TPhpTokenKind::Word;
    const bool open = symbol && IsSingle(t_, start, end, '(');
    const bool close = symbol && IsSingle(t_, start, end, ')');
    if (!FollowHalt(start, end, kind, word, open, close)) return false;
    switch (header_) {
      case THeader::None:
        break;
      case THeader::Keyword:
        if (symbol && IsSingle(t_, start, end, '&')) break;
        header_ = word ? THeader::Name : open ? THeader::Parameters : THeader::None;
        parens_ = 1;
        break;
      case THeader::Name:
        header_ = open ? THeader::Parameters : THeader::None;
        parens_ = 1;
        break;
      case THeader::Parameters:
        if (open) ++parens_;
        if (close && --parens_ == 0) header_ = THeader::AfterParameters;
        break;
      case THeader::AfterParameters:
        // "use (...)", ": type" and then the body.
        if (parens_ > 0) {
          if (open) ++parens_;
          if (close) --parens_;
        } else if (symbol && IsSingle(t_, start, end, '{')) {
          header_ = THeader::None;
          bodyDepth_ = 1;
        } else if (open) {
          parens_ = 1;
        } else if (!(word && !EndsHeader(start, end)) && !close &&
                   !(symbol && end == start + 1 &&
                     std::string_view("?|&:").find(t_[start]) != std::string_view::npos)) {
          header_ = THeader::None;
        }
        break;
    }
    if (word && IsWordToken(start, end, "function") && !AfterMemberAccess()) {
      header_ = THeader::Keyword;
      parens_ = 0;
    }
    lastCodeStart_ = start;
    lastCodeEnd_ = end;
    lastCodeKind_ = kind;
    return true;
  }

  bool AfterMemberAccess() const {
    const std::string_view last = t_.substr(lastCodeStart_, lastCodeEnd_ - lastCodeStart_);
    return lastCodeKind_ == TPhpTokenKind::Symbol &&
           (last == "->" || last == "?->" || last == "::");
  }

  // "__halt_compiler" "(" ")" ";" as a statement of its own ends the PHP code: what follows is
  // data. Returns false after the statement's end.
  bool FollowHalt(std::size_t start, std::size_t end, TPhpTokenKind kind, bool word, bool open,
                  bool close) {
    const bool symbol = kind == TPhpTokenKind::Symbol;
    switch (halt_) {
      case 1:
        halt_ = open ? 2 : 0;
        break;
      case 2:
        halt_ = close ? 3 : 0;
        break;
      case 3:
        if ((symbol && IsSingle(t_, start, end, ';')) || kind == TPhpTokenKind::CloseTag)
          return false;
        halt_ = 0;
        break;
      default:
        break;
    }
    if (word && IsWordToken(start, end, "__halt_compiler")) {
      const bool statementStart =
          !haveCode_ || lastCodeKind_ == TPhpTokenKind::OpenTag ||
          lastCodeKind_ == TPhpTokenKind::CloseTag ||
          (lastCodeKind_ == TPhpTokenKind::Symbol && lastCodeEnd_ == lastCodeStart_ + 1 &&
           std::string_view(";{}").find(t_[lastCodeStart_]) != std::string_view::npos);
      if (statementStart) halt_ = 1;
    }
    haveCode_ = true;
    return true;
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
  const std::atomic<bool>* cancel_;  // raised: stop reading
  THeader header_ = THeader::None;
  int parens_ = 0;
  std::size_t bodyDepth_ = 0;  // the braces open in a function body being left out
  int halt_ = 0;               // how much of "__halt_compiler();" was read
  bool haveCode_ = false;
  std::size_t lastCodeStart_ = 0, lastCodeEnd_ = 0;
  TPhpTokenKind lastCodeKind_ = TPhpTokenKind::Symbol;
};

}  // namespace

TPhpTokenList TokenizePhp(std::string_view text, const std::atomic<bool>* cancel) {
  return TPhpLexer(text, cancel).Run();
}

TPhpTokenKind PhpTokenKind(std::string_view text, const TPhpToken& token) {
  const std::size_t length = token.End - token.Start;
  if (length == 0) return TPhpTokenKind::Symbol;
  const char c = text[token.Start];
  const char d = token.Start + 1 < text.size() ? text[token.Start + 1] : '\0';
  switch (c) {
    case '?':
      return length == 2 && d == '>' ? TPhpTokenKind::CloseTag : TPhpTokenKind::Symbol;
    case '<':
      if (length == 1) return TPhpTokenKind::Symbol;
      return d == '?' ? TPhpTokenKind::OpenTag : TPhpTokenKind::String;
    case '#':
      return d == '[' ? TPhpTokenKind::Attribute : TPhpTokenKind::Comment;
    case '/':
      return length >= 2 && (d == '/' || d == '*') ? TPhpTokenKind::Comment : TPhpTokenKind::Symbol;
    case '\'':
    case '"':
    case '`':
      return TPhpTokenKind::String;
    case '$':
      return length > 1 ? TPhpTokenKind::Variable : TPhpTokenKind::Symbol;
    case '\\':
      return length > 1 ? TPhpTokenKind::Word : TPhpTokenKind::Symbol;
    default:
      break;
  }
  if (IsIdentStart(static_cast<unsigned char>(c))) return TPhpTokenKind::Word;
  if (c >= '0' && c <= '9') return TPhpTokenKind::Number;
  return TPhpTokenKind::Symbol;
}

bool IsPhpWord(std::string_view text, const TPhpToken& token, std::string_view lowerWord) {
  if (token.End - token.Start != lowerWord.size() ||
      PhpTokenKind(text, token) != TPhpTokenKind::Word)
    return false;
  for (std::size_t i = 0; i < lowerWord.size(); ++i)
    if (LowerAscii(text[token.Start + i]) != lowerWord[i]) return false;
  return true;
}

bool IsPhpSymbol(std::string_view text, const TPhpToken& token, std::string_view symbol) {
  return text.substr(token.Start, token.End - token.Start) == symbol &&
         PhpTokenKind(text, token) == TPhpTokenKind::Symbol;
}

}  // namespace tervil
