#include "core/highlighters/PhpHighlighter.h"

namespace tervil {

namespace {

// Line state: bits 0-3 the mode, bits 4 and up the label id of a heredoc or nowdoc.
enum TPhpMode : THighlighterState {
  kCode = 0,
  kBlockComment,
  kDoubleQuoted,
  kSingleQuoted,
  kBacktick,
  kHeredoc,
  kNowdoc
};
constexpr THighlighterState kModeMask = 15;
constexpr int kLabelShift = 4;

const TKeywordSet& Keywords() {
  static const TKeywordSet words({"__class__",
                                  "__dir__",
                                  "__file__",
                                  "__function__",
                                  "__halt_compiler",
                                  "__line__",
                                  "__method__",
                                  "__namespace__",
                                  "__trait__",
                                  "abstract",
                                  "and",
                                  "array",
                                  "as",
                                  "break",
                                  "callable",
                                  "case",
                                  "catch",
                                  "class",
                                  "clone",
                                  "const",
                                  "continue",
                                  "declare",
                                  "default",
                                  "die",
                                  "do",
                                  "echo",
                                  "else",
                                  "elseif",
                                  "empty",
                                  "enddeclare",
                                  "endfor",
                                  "endforeach",
                                  "endif",
                                  "endswitch",
                                  "endwhile",
                                  "enum",
                                  "eval",
                                  "exit",
                                  "extends",
                                  "false",
                                  "final",
                                  "finally",
                                  "fn",
                                  "for",
                                  "foreach",
                                  "function",
                                  "global",
                                  "goto",
                                  "if",
                                  "implements",
                                  "include",
                                  "include_once",
                                  "instanceof",
                                  "insteadof",
                                  "interface",
                                  "isset",
                                  "list",
                                  "match",
                                  "namespace",
                                  "new",
                                  "null",
                                  "or",
                                  "parent",
                                  "print",
                                  "private",
                                  "protected",
                                  "public",
                                  "readonly",
                                  "require",
                                  "require_once",
                                  "return",
                                  "self",
                                  "static",
                                  "switch",
                                  "throw",
                                  "trait",
                                  "true",
                                  "try",
                                  "unset",
                                  "use",
                                  "var",
                                  "while",
                                  "xor",
                                  "yield"},
                                 true);
  return words;
}

bool IsLabelStart(unsigned char c) {
  return IsWordStart(c);
}

}  // namespace

class TPhpLexer {
 public:
  TPhpLexer(TPhpHighlighter& h, TScanner& s, TTokenWriter& out, THighlighterState state)
      : h_(h), s_(s), out_(out) {
    mode_ = state & kModeMask;
    label_ = state >> kLabelShift;
    if (mode_ > kNowdoc || ((mode_ == kHeredoc || mode_ == kNowdoc) && Label().empty())) {
      mode_ = kCode;
    }
    if (mode_ != kHeredoc && mode_ != kNowdoc) label_ = 0;
  }

  THighlighterState Run() {
    if ((mode_ == kHeredoc || mode_ == kNowdoc) && s_.Begin() == 0) FindHeredocEnd();
    RunLexer(s_, out_, [this] { return Step(); });
    if (mode_ == kCode && pendingLabel_ != 0) {
      mode_ = pendingNowdoc_ ? kNowdoc : kHeredoc;
      label_ = pendingLabel_;
    }
    if (mode_ != kHeredoc && mode_ != kNowdoc) label_ = 0;
    return mode_ | (label_ << kLabelShift);
  }

 private:
  std::string_view Label() const { return h_.labels_.Label(label_); }

  // A heredoc ends on a line holding its label (after optional blanks) and then no word
  // character.
  void FindHeredocEnd() {
    std::string_view range = s_.Range();
    std::size_t at = 0;
    while (at < range.size() && IsBlank(static_cast<unsigned char>(range[at]))) ++at;
    std::string_view label = Label();
    if (range.substr(at, label.size()) != label) return;
    std::size_t after = at + label.size();
    if (after < range.size() && IsWordChar(static_cast<unsigned char>(range[after]))) return;
    closeAt_ = s_.Begin() + at;
  }

  const THighlighterAttribute* Step() {
    switch (mode_) {
      case kBlockComment:
        if (s_.SkipPast("*/")) mode_ = kCode;
        return h_.comment_;
      case kDoubleQuoted:
        return Interpolated('"');
      case kBacktick:
        return Interpolated('`');
      case kSingleQuoted:
        return SingleQuoted();
      case kHeredoc:
      case kNowdoc:
        return HeredocLine();
      default:
        return Code();
    }
  }

  const THighlighterAttribute* HeredocLine() {
    if (closeAt_ != std::string_view::npos) {
      if (s_.pos < closeAt_) {
        s_.pos = closeAt_;
        return h_.space_;
      }
      s_.Advance(Label().size());
      closeAt_ = std::string_view::npos;
      mode_ = kCode;
      return h_.string_;
    }
    if (mode_ == kNowdoc) {
      s_.SkipToEnd();
      return h_.string_;
    }
    return Interpolated(0);
  }

  const THighlighterAttribute* SingleQuoted() {
    mode_ = s_.SkipQuoted('\'', '\\') ? kCode : kSingleQuoted;
    return h_.string_;
  }

  // Text of a double-quoted string, backtick command or heredoc (`quote` 0) up to the next
  // interpolated variable or the closing quote; or, at a variable, the variable.
  const THighlighterAttribute* Interpolated(unsigned char quote) {
    if (AtVariableInString()) return VariableInString();
    while (!s_.AtEnd()) {
      unsigned char c = s_.Peek();
      if (c == '\\') {
        s_.Advance(2);
      } else if (quote != 0 && c == quote) {
        s_.Advance();
        mode_ = kCode;
        break;
      } else if (AtVariableInString()) {
        break;
      } else {
        s_.Advance();
      }
    }
    return h_.string_;
  }

  bool AtVariableInString() const {
    unsigned char c = s_.Peek();
    unsigned char next = s_.Peek(1);
    return (c == '$' && (IsLabelStart(next) || next == '{')) || (c == '{' && next == '$');
  }

  // $name, $name->property, $name[key], {$expression} and ${name}.
  const THighlighterAttribute* VariableInString() {
    if (s_.Peek() == '{' || s_.Peek(1) == '{') {
      s_.Advance(s_.Peek() == '{' ? 1 : 2);
      int depth = 1;
      while (!s_.AtEnd() && depth > 0) {
        unsigned char c = s_.Peek();
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        s_.Advance();
      }
      return h_.variable_;
    }
    s_.Advance();
    s_.SkipWordChars();
    if (s_.Peek() == '-' && s_.Peek(1) == '>' && IsLabelStart(s_.Peek(2))) {
      s_.Advance(2);
      s_.SkipWordChars();
    } else if (s_.Peek() == '[') {
      // $name[key]: the key ends at "]"; a double quote, backtick or another "[" first means
      // there is none, so the look ahead never runs over the rest of a long line again and
      // again.
      std::size_t close = 1;
      while (s_.Peek(close) != 0 && std::string_view("]\"`[").find(static_cast<char>(
                                        s_.Peek(close))) == std::string_view::npos)
        ++close;
      if (s_.Peek(close) == ']') s_.Advance(close + 1);
    }
    return h_.variable_;
  }

  const THighlighterAttribute* Code() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return h_.space_;
    }
    if (c == '#' && s_.Peek(1) != '[') return LineComment();
    if (c == '/' && s_.Peek(1) == '/') return LineComment();
    if (c == '/' && s_.Peek(1) == '*') {
      s_.Advance(2);
      mode_ = s_.SkipPast("*/") ? kCode : kBlockComment;
      return h_.comment_;
    }
    if (c == '$') return Variable();
    if (c == '"' || c == '`') {
      s_.Advance();
      mode_ = c == '"' ? kDoubleQuoted : kBacktick;
      return Interpolated(c);
    }
    if (c == '\'') {
      s_.Advance();
      return SingleQuoted();
    }
    if (c == '<' && s_.StartsWith("<<<")) {
      if (const THighlighterAttribute* start = HeredocStart()) return start;
    }
    if (c == '<' && s_.StartsWith("<?")) {
      s_.Advance(2);
      if (s_.StartsWithNoCase("php"))
        s_.Advance(3);
      else if (s_.Peek() == '=')
        s_.Advance();
      return h_.symbol_;
    }
    if (c == '?' && s_.Peek(1) == '>') {
      s_.Advance(2);
      return h_.symbol_;
    }
    if (StartsNumber(s_, c)) {
      ScanNumber(s_, {true, true, true, '_', false});
      return h_.number_;
    }
    if (IsWordStart(c)) {
      std::size_t start = s_.pos;
      s_.SkipWordChars();
      return Keywords().Contains(s_.Text(start)) ? h_.keyword_ : h_.identifier_;
    }
    s_.AdvanceChar();
    return h_.symbol_;
  }

  // A "//" or "#" comment ends at the line end or before "?>".
  const THighlighterAttribute* LineComment() {
    s_.SkipTo("?>");
    return h_.comment_;
  }

  const THighlighterAttribute* Variable() {
    s_.SkipWhile([](unsigned char b) { return b == '$'; });
    if (s_.Peek() == '{') return h_.variable_;
    s_.SkipWordChars();
    return h_.variable_;
  }

  // <<<LABEL, <<<"LABEL" (heredoc) or <<<'LABEL' (nowdoc); the text starts on the next line.
  const THighlighterAttribute* HeredocStart() {
    std::size_t start = s_.pos;
    s_.Advance(3);
    s_.SkipWhile([](unsigned char b) { return b == ' ' || b == '\t'; });
    unsigned char quote = s_.Peek();
    if (quote == '"' || quote == '\'')
      s_.Advance();
    else
      quote = 0;
    if (!IsLabelStart(s_.Peek())) {
      s_.pos = start;
      return nullptr;
    }
    std::size_t labelStart = s_.pos;
    s_.SkipWordChars();
    std::string_view label = s_.Text(labelStart);
    if (quote != 0) {
      if (s_.Peek() != quote) {
        s_.pos = start;
        return nullptr;
      }
      s_.Advance();
    }
    pendingLabel_ = h_.labels_.Intern(label);
    pendingNowdoc_ = quote == '\'';
    return h_.string_;
  }

  TPhpHighlighter& h_;
  TScanner& s_;
  TTokenWriter& out_;
  THighlighterState mode_;
  THighlighterState label_;
  THighlighterState pendingLabel_ = 0;
  bool pendingNowdoc_ = false;
  std::size_t closeAt_ = std::string_view::npos;
};

TPhpHighlighter::TPhpHighlighter()
    : TCodeHighlighter("PHP", "PHP Files (*.php,*.php3,*.phtml,*.inc)|*.php;*.php3;*.phtml;*.inc") {
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  identifier_ = AddAttribute("Identifier", clMaroon);
  number_ = AddAttribute("Number", 0x007575);
  keyword_ = AddAttribute("Reserved Word", clBlue, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clBlack);
  symbol_ = AddAttribute("Symbol", clNavy);
  variable_ = AddAttribute("Variable", clGreen);

  SetCodeDefaults();
}

THighlighterState TPhpHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                 std::size_t end, bool /*endsLine*/,
                                                 THighlighterState start,
                                                 std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TPhpLexer(*this, s, out, start).Run();
}

}  // namespace tervil
