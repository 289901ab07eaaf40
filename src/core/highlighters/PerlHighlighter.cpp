#include "core/highlighters/PerlHighlighter.h"

namespace tervil {

namespace {

// Line state: bits 0-2 the mode, bit 3 set when "/" would be a division. In a quoted text,
// bits 4-11 hold the closing delimiter, 12-17 the nesting depth of bracket delimiters, 18 a
// second part still to come (s///, tr///) and 19 "waiting for the opening delimiter of the
// second part". In a here-document bits 4 and up hold the label id.
enum TPerlMode : THighlighterState {
  kCode = 0,
  kPod,
  kEndData,
  kQuote,
  kHeredoc,
  kIndentedHeredoc
};
constexpr THighlighterState kModeMask = 7;
constexpr THighlighterState kNoRegexFlag = 8;
constexpr int kPayloadShift = 4;
constexpr int kDepthShift = 12;
constexpr THighlighterState kMaxDepth = 63;
constexpr THighlighterState kSecondPartFlag = 1u << 18;
constexpr THighlighterState kAwaitOpenerFlag = 1u << 19;

const TKeywordSet& Keywords() {
  static const TKeywordSet words(
      {"BEGIN",   "END",       "__FILE__", "__LINE__",  "__PACKAGE__", "abs",     "and",
       "bless",   "binmode",   "caller",   "chdir",     "chomp",       "chop",    "chr",
       "close",   "closedir",  "cmp",      "continue",  "defined",     "delete",  "die",
       "do",      "each",      "else",     "elsif",     "eof",         "eq",      "eval",
       "exec",    "exists",    "exit",     "for",       "foreach",     "ge",      "glob",
       "goto",    "grep",      "gt",       "if",        "index",       "int",     "join",
       "keys",    "last",      "lc",       "lcfirst",   "le",          "length",  "local",
       "lt",      "map",       "mkdir",    "my",        "ne",          "next",    "no",
       "not",     "oct",       "open",     "opendir",   "or",          "ord",     "our",
       "package", "pop",       "pos",      "print",     "printf",      "push",    "readdir",
       "redo",    "ref",       "rename",   "require",   "return",      "reverse", "rindex",
       "rmdir",   "say",       "scalar",   "shift",     "sort",        "splice",  "split",
       "sprintf", "stat",      "sub",      "substr",    "system",      "uc",      "ucfirst",
       "undef",   "unless",    "unlink",   "unshift",   "until",       "use",     "values",
       "wait",    "wantarray", "warn",     "while",     "x",           "xor",     "lock",
       "hex",     "sqrt",      "time",     "localtime", "sleep",       "chmod",   "kill",
       "local",   "state",     "given",    "when",      "default",     "qw"},
      false);
  return words;
}

// Perl source outside strings and comments is ASCII; other bytes are invalid there.
bool IsPerlWordStart(unsigned char c) {
  return c < 0x80 && IsWordStart(c);
}
bool IsPerlWordChar(unsigned char c) {
  return c < 0x80 && IsWordChar(c);
}

bool IsBracketOpen(unsigned char c) {
  return c == '(' || c == '[' || c == '{' || c == '<';
}
unsigned char CloseOf(unsigned char open) {
  switch (open) {
    case '(':
      return ')';
    case '[':
      return ']';
    case '{':
      return '}';
    case '<':
      return '>';
    default:
      return open;
  }
}
unsigned char OpenOf(unsigned char close) {
  switch (close) {
    case ')':
      return '(';
    case ']':
      return '[';
    case '}':
      return '{';
    case '>':
      return '<';
    default:
      return close;
  }
}

bool IsQuoteDelimiter(unsigned char c) {
  return c > ' ' && c < 0x7F && !IsPerlWordChar(c) && c != '=' && c != ',' && c != ';' &&
         c != ')' && c != ']' && c != '}' && c != '>';
}

// How many delimited parts a quote-like operator has, 0 for other words.
int QuoteParts(std::string_view word) {
  if (word == "q" || word == "qq" || word == "qw" || word == "qx" || word == "m" || word == "qr")
    return 1;
  if (word == "s" || word == "tr" || word == "y") return 2;
  return 0;
}

bool IsSpecialVariableChar(unsigned char c) {
  return c != 0 && std::string_view("&`'+!@/\\,;.0<>[]^$-*?|\"~=%:").find(static_cast<char>(c)) !=
                       std::string_view::npos;
}

}  // namespace

class TPerlLexer {
 public:
  TPerlLexer(TPerlHighlighter& h, TScanner& s, TTokenWriter& out, THighlighterState state)
      : h_(h), s_(s), out_(out) {
    mode_ = state & kModeMask;
    if (mode_ > kIndentedHeredoc) mode_ = kCode;
    regexAllowed_ = (state & kNoRegexFlag) == 0;
    payload_ = state >> kPayloadShift;
    if (mode_ == kQuote) {
      close_ = payload_ & 0xFF;
      depth_ = (state >> kDepthShift) & kMaxDepth;
      secondPart_ = (state & kSecondPartFlag) != 0;
      awaitOpener_ = (state & kAwaitOpenerFlag) != 0;
      if (close_ == 0 && !awaitOpener_) mode_ = kCode;
    }
    if ((mode_ == kHeredoc || mode_ == kIndentedHeredoc) && h_.labels_.Label(payload_).empty())
      mode_ = kCode;
  }

  THighlighterState Run() {
    if (s_.Begin() == 0) LineStart();
    RunLexer(s_, out_, [this] { return Step(); });
    if (mode_ == kCode && pendingLabel_ != 0) {
      mode_ = pendingIndented_ ? kIndentedHeredoc : kHeredoc;
      return mode_ | (pendingLabel_ << kPayloadShift);
    }
    switch (mode_) {
      case kQuote:
        return mode_ | (close_ << kPayloadShift) | (depth_ << kDepthShift) |
               (secondPart_ ? kSecondPartFlag : 0) | (awaitOpener_ ? kAwaitOpenerFlag : 0);
      case kHeredoc:
      case kIndentedHeredoc:
        return mode_ | (payload_ << kPayloadShift);
      case kCode:
        return mode_ | (regexAllowed_ ? 0 : kNoRegexFlag);
      default:
        return mode_;
    }
  }

 private:
  // Whole-line constructs: POD blocks, __END__, the end of a here-document.
  void LineStart() {
    std::string_view line = s_.Range();
    if (mode_ == kPod) {
      wholeLine_ = h_.comment_;
      if (line.starts_with("=cut") && (line.size() == 4 || IsBlank(line[4]))) mode_ = kCode;
    } else if (mode_ == kEndData) {
      wholeLine_ = h_.comment_;
    } else if (mode_ == kHeredoc || mode_ == kIndentedHeredoc) {
      wholeLine_ = h_.string_;
      std::string_view text = line;
      if (mode_ == kIndentedHeredoc) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
      }
      if (text == h_.labels_.Label(payload_)) mode_ = kCode;
    } else if (mode_ == kCode && line.size() > 1 && line[0] == '=' && IsLetter(line[1])) {
      wholeLine_ = h_.comment_;
      if (!line.starts_with("=cut")) mode_ = kPod;
    } else if (mode_ == kCode && (IsWholeWord(line, "__END__") || IsWholeWord(line, "__DATA__"))) {
      wholeLine_ = h_.comment_;
      mode_ = kEndData;
    }
  }

  static bool IsWholeWord(std::string_view line, std::string_view word) {
    return line.starts_with(word) &&
           (line.size() == word.size() || !IsPerlWordChar(line[word.size()]));
  }

  const THighlighterAttribute* Step() {
    if (wholeLine_ != nullptr) {
      s_.SkipToEnd();
      return wholeLine_;
    }
    if (mode_ == kQuote) return QuoteBody();
    return Code();
  }

  const THighlighterAttribute* Code() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return h_.space_;
    }
    if (c == '#') {
      s_.SkipToEnd();
      return h_.comment_;
    }
    if (c == '$') return ScalarVariable();
    if ((c == '@' || (c == '%' && regexAllowed_)) && StartsName(s_.Peek(1))) return Container();
    if (c == '"' || c == '\'' || c == '`') return StartQuote(c, false);
    if (c == '/' && regexAllowed_) return StartQuote(c, false);
    if (c == '<' && s_.Peek(1) == '<') {
      if (const THighlighterAttribute* heredoc = HeredocStart()) return heredoc;
    }
    if (StartsNumber(s_, c)) {
      ScanNumber(s_, {true, true, false, '_', false});
      regexAllowed_ = false;
      return h_.number_;
    }
    if (IsPerlWordStart(c)) return Word();
    if (c < ' ' || c >= 0x7F) {
      s_.AdvanceChar();
      return h_.invalid_;
    }
    s_.Advance();
    regexAllowed_ = !(c == ')' || c == ']' || c == '}');
    return h_.symbol_;
  }

  static bool StartsName(unsigned char c) {
    return IsPerlWordStart(c) || c == ':' || c == '$' || c == '{' || c == '_';
  }

  const THighlighterAttribute* ScalarVariable() {
    s_.Advance();
    regexAllowed_ = false;
    if (s_.Peek() == '#' && (StartsName(s_.Peek(1)))) s_.Advance();
    while (s_.Peek() == '$' && StartsName(s_.Peek(1))) s_.Advance();
    return Name(true);
  }

  const THighlighterAttribute* Container() {
    s_.Advance();
    regexAllowed_ = false;
    while (s_.Peek() == '$') s_.Advance();
    return Name(false);
  }

  // The name after a sigil: word characters with "::", {name}, digits or one special character.
  const THighlighterAttribute* Name(bool allowSpecial) {
    unsigned char c = s_.Peek();
    if (c == '{') {
      // ${name}: only name characters up to the "}", so the look ahead stops at the first
      // other character.
      std::size_t close = 1;
      while (IsPerlWordChar(s_.Peek(close)) || s_.Peek(close) == '^' || s_.Peek(close) == ':')
        ++close;
      if (close > 1 && s_.Peek(close) == '}') s_.Advance(close + 1);
    } else if (IsPerlWordStart(c) || c == ':') {
      s_.SkipWhile([](unsigned char b) { return IsPerlWordChar(b) || b == ':'; });
    } else if (IsDigit(c)) {
      s_.SkipWhile(IsDigit);
    } else if (allowSpecial && IsSpecialVariableChar(c)) {
      s_.Advance(c == '^' && IsLetter(s_.Peek(1)) ? 2 : 1);
    }
    return h_.variable_;
  }

  const THighlighterAttribute* Word() {
    std::size_t start = s_.pos;
    s_.SkipWhile([](unsigned char b) { return IsPerlWordChar(b) || b == ':'; });
    std::string_view word = s_.Text(start);
    if (int parts = QuoteParts(word); parts > 0 && !IsHashKeyOrMethod(start)) {
      if (const THighlighterAttribute* quote = QuoteOperator(parts)) return quote;
    }
    if (Keywords().Contains(word)) {
      regexAllowed_ = true;
      return h_.keyword_;
    }
    regexAllowed_ = false;
    return h_.identifier_;
  }

  // "s => 1", "{s}", "->s" and "-s $file" use the word as a name, not as an operator.
  bool IsHashKeyOrMethod(std::size_t start) const {
    std::string_view before = s_.Range().substr(0, start - s_.Begin());
    if (before.ends_with("->") || before.ends_with("-")) return true;
    std::string_view rest = s_.Rest();
    std::size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i])) ++i;
    return rest.substr(i).starts_with("=>") || (before.ends_with("{") && rest.starts_with("}"));
  }

  const THighlighterAttribute* QuoteOperator(int parts) {
    std::size_t at = 0;
    while (IsBlank(s_.Peek(at))) ++at;
    unsigned char delimiter = s_.Peek(at);
    if (!IsQuoteDelimiter(delimiter) || (at > 0 && !IsBracketOpen(delimiter)) ||
        (delimiter == '#' && at > 0))
      return nullptr;
    s_.Advance(at);
    return StartQuote(delimiter, parts == 2);
  }

  const THighlighterAttribute* StartQuote(unsigned char open, bool twoParts) {
    s_.Advance();
    mode_ = kQuote;
    close_ = CloseOf(open);
    depth_ = 0;
    secondPart_ = twoParts;
    awaitOpener_ = false;
    return QuoteBody();
  }

  const THighlighterAttribute* QuoteBody() {
    while (!s_.AtEnd() && mode_ == kQuote) {
      if (awaitOpener_) {
        s_.SkipBlanks();
        if (s_.AtEnd()) break;
        unsigned char open = s_.Peek();
        if (!IsQuoteDelimiter(open)) {
          mode_ = kCode;
          break;
        }
        s_.Advance();
        close_ = CloseOf(open);
        awaitOpener_ = false;
        continue;
      }
      unsigned char c = s_.Peek();
      s_.Advance(c == '\\' ? 2 : 1);
      if (c == '\\') continue;
      unsigned char open = OpenOf(close_);
      if (open != close_ && c == open) {
        if (depth_ < kMaxDepth) ++depth_;
      } else if (c == close_) {
        if (depth_ > 0) {
          --depth_;
        } else if (secondPart_) {
          secondPart_ = false;
          awaitOpener_ = open != close_;
        } else {
          s_.SkipWhile(IsLetter);
          mode_ = kCode;
          regexAllowed_ = false;
        }
      }
    }
    return h_.string_;
  }

  // <<"EOF", <<'EOF', <<EOF and <<~EOF; the text starts on the next line.
  const THighlighterAttribute* HeredocStart() {
    std::size_t start = s_.pos;
    s_.Advance(2);
    bool indented = s_.Peek() == '~';
    if (indented) s_.Advance();
    unsigned char quote = s_.Peek();
    if (quote == '"' || quote == '\'') {
      s_.Advance();
    } else if (IsPerlWordStart(quote)) {
      quote = 0;
    } else {
      s_.pos = start;
      return nullptr;
    }
    std::size_t labelStart = s_.pos;
    if (quote != 0) {
      s_.SkipWhile([quote](unsigned char b) { return b != quote; });
    } else {
      s_.SkipWhile(IsPerlWordChar);
    }
    std::string_view label = s_.Text(labelStart);
    if (quote != 0) {
      if (s_.Peek() != quote) {
        s_.pos = start;
        return nullptr;
      }
      s_.Advance();
    }
    if (!label.empty()) {
      pendingLabel_ = h_.labels_.Intern(label);
      pendingIndented_ = indented;
    }
    regexAllowed_ = false;
    return h_.string_;
  }

  TPerlHighlighter& h_;
  TScanner& s_;
  TTokenWriter& out_;
  THighlighterState mode_;
  bool regexAllowed_;
  THighlighterState payload_;
  THighlighterState close_ = 0;
  THighlighterState depth_ = 0;
  bool secondPart_ = false;
  bool awaitOpener_ = false;
  const THighlighterAttribute* wholeLine_ = nullptr;
  THighlighterState pendingLabel_ = 0;
  bool pendingIndented_ = false;
};

TPerlHighlighter::TPerlHighlighter()
    : TCodeHighlighter("Perl", "Perl Files (*.pl,*.pm,*.cgi)|*.pl;*.pm;*.cgi") {
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  identifier_ = AddAttribute("Identifier", 0x002359);
  invalid_ = AddAttribute("Invalid Symbol", clRed);
  keyword_ = AddAttribute("Reserved Word", clBlue, fsBold);
  number_ = AddAttribute("Number", 0x006060);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clBlack);
  symbol_ = AddAttribute("Symbol", clNavy);
  variable_ = AddAttribute("Variable", 0x004400, fsPlain);

  SetCodeDefaults();
}

THighlighterState TPerlHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                  std::size_t end, bool /*endsLine*/,
                                                  THighlighterState start,
                                                  std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TPerlLexer(*this, s, out, start).Run();
}

}  // namespace tervil
