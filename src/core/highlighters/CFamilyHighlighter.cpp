#include "core/highlighters/CFamilyHighlighter.h"

namespace tervil {

namespace {

// Line state: bits 0-2 the mode, bit 3 "inside a preprocessor directive", bits 4 and up the
// mode's payload (raw string delimiter id, quote count of a text block).
enum TCMode : THighlighterState {
  kCode = 0,
  kBlockComment,
  kDocComment,
  kStringContinued,
  kVerbatim,
  kRawString,
  kTextBlock,
  kAsmBlock
};
constexpr THighlighterState kModeMask = 7;
constexpr THighlighterState kDirectiveFlag = 8;
constexpr int kPayloadShift = 4;

enum class TAsmPending { None, Block, Line };

bool IsAsciiPunct(unsigned char c) {
  return c > ' ' && c < 0x7F && !IsWordChar(c);
}

bool IsRawDelimiterChar(unsigned char c) {
  return c > ' ' && c < 0x7F && c != '(' && c != ')' && c != '\\';
}

}  // namespace

class TCFamilyLexer {
 public:
  TCFamilyLexer(TCFamilyHighlighter& h, TScanner& s, TTokenWriter& out, THighlighterState state)
      : h_(h),
        syntax_(h.syntax_),
        s_(s),
        out_(out),
        mode_(state & kModeMask),
        directive_((state & kDirectiveFlag) != 0),
        payload_(state >> kPayloadShift) {}

  THighlighterState Run(bool endsLine) {
    lineStart_ = s_.Begin() == 0;
    RunLexer(s_, out_, [this] { return Step(); });
    if (directive_ && endsLine && mode_ == kCode) directive_ = s_.EndsWithEscape();
    if (mode_ != kRawString && mode_ != kTextBlock) payload_ = 0;
    return mode_ | (directive_ ? kDirectiveFlag : 0) | (payload_ << kPayloadShift);
  }

 private:
  const THighlighterAttribute* Step() {
    switch (mode_) {
      case kBlockComment:
        return Comment(h_.comment_);
      case kDocComment:
        return Comment(h_.documentation_ ? h_.documentation_ : h_.comment_);
      case kStringContinued:
        return StringBody('"');
      case kVerbatim:
        if (s_.SkipQuoted('"', 0, true)) mode_ = kCode;
        return h_.string_;
      case kRawString:
        return RawStringBody();
      case kTextBlock:
        return TextBlockBody();
      case kAsmBlock:
        if (s_.SkipTo("}")) mode_ = kCode;
        return h_.assembler_;
      default:
        return directive_ ? Directive() : Code();
    }
  }

  const THighlighterAttribute* Comment(const THighlighterAttribute* attribute) {
    if (s_.SkipPast("*/")) mode_ = kCode;
    return attribute;
  }

  // A "//" comment or the start of a "/*" one; nullptr when s.pos starts neither.
  const THighlighterAttribute* CommentStart() {
    if (s_.Peek() != '/') return nullptr;
    if (s_.Peek(1) == '/') {
      s_.SkipToEnd();
      return h_.comment_;
    }
    if (s_.Peek(1) != '*') return nullptr;
    bool doc = syntax_.docComments && s_.Peek(2) == '*' && s_.Peek(3) != '/';
    s_.Advance(2);
    mode_ = doc ? kDocComment : kBlockComment;
    return Comment(doc ? h_.documentation_ : h_.comment_);
  }

  const THighlighterAttribute* Directive() {
    if (IsBlank(s_.Peek())) {
      s_.SkipBlanks();
      return h_.space_;
    }
    if (const THighlighterAttribute* comment = CommentStart()) return comment;
    s_.Advance();
    while (!s_.AtEnd() && !(s_.Peek() == '/' && (s_.Peek(1) == '/' || s_.Peek(1) == '*'))) {
      s_.Advance();
    }
    return h_.preprocessor_;
  }

  const THighlighterAttribute* Code() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return h_.space_;
    }
    bool atLineStart = lineStart_;
    lineStart_ = false;
    if (asmPending_ == TAsmPending::Line) {
      asmPending_ = TAsmPending::None;
      s_.SkipToEnd();
      return h_.assembler_;
    }
    if (asmPending_ == TAsmPending::Block && c == '{') {
      asmPending_ = TAsmPending::None;
      s_.Advance();
      mode_ = kAsmBlock;
      return h_.symbol_;
    }
    asmPending_ = TAsmPending::None;
    if (const THighlighterAttribute* comment = CommentStart()) return comment;
    if (c == '#' && atLineStart && syntax_.preprocessor) {
      directive_ = true;
      s_.Advance();
      s_.SkipBlanks();
      s_.SkipWordChars();
      return h_.preprocessor_;
    }
    if (c == '"') return StringStart();
    if (c == '\'') {
      s_.Advance();
      s_.SkipQuoted('\'', '\\');
      return h_.string_;
    }
    if (syntax_.verbatimStrings && (c == '@' || c == '$')) {
      if (const THighlighterAttribute* special = CSharpSpecial()) return special;
    }
    if (c == '@' && syntax_.annotations && IsWordStart(s_.Peek(1))) {
      s_.Advance();
      s_.SkipWhile([](unsigned char b) { return IsWordChar(b) || b == '.'; });
      return h_.annotation_;
    }
    if (StartsNumber(s_, c)) {
      ScanNumber(s_, syntax_.numbers);
      return h_.number_;
    }
    if (IsWordStart(c)) return Word();
    if (IsAsciiPunct(c)) {
      s_.Advance();
      return h_.symbol_;
    }
    s_.AdvanceChar();
    return h_.symbol_;
  }

  const THighlighterAttribute* StringStart() {
    if (!syntax_.textBlocks && !syntax_.verbatimStrings) {
      s_.Advance();
      return StringBody('"');
    }
    std::size_t quotes = 0;
    while (s_.Peek(quotes) == '"') ++quotes;
    if (quotes >= 3) {
      s_.Advance(quotes);
      mode_ = kTextBlock;
      payload_ = static_cast<THighlighterState>(syntax_.textBlocks ? 3 : quotes);
      return TextBlockBody();
    }
    s_.Advance();
    return StringBody('"');
  }

  const THighlighterAttribute* StringBody(unsigned char quote) {
    mode_ = kCode;
    if (!s_.SkipQuoted(quote, '\\') && syntax_.lineContinuation && s_.EndsWithEscape())
      mode_ = kStringContinued;
    return h_.string_;
  }

  // Inside """ ... """: up to a run of `payload_` quotes.
  const THighlighterAttribute* TextBlockBody() {
    std::size_t needed = payload_ < 3 ? 3 : payload_;
    while (!s_.AtEnd()) {
      unsigned char c = s_.Peek();
      if (c == '\\' && syntax_.textBlocks) {
        s_.Advance(2);
        continue;
      }
      if (c != '"') {
        s_.Advance();
        continue;
      }
      std::size_t run = 0;
      while (s_.Peek(run) == '"') ++run;
      s_.Advance(run);
      if (run >= needed) {
        mode_ = kCode;
        break;
      }
    }
    return h_.string_;
  }

  // C#: @"verbatim", $"interpolated", $@"..." and @$"...", $"""raw""" and @identifier.
  const THighlighterAttribute* CSharpSpecial() {
    unsigned char next = s_.Peek(1);
    bool verbatim = (s_.Peek() == '@' && (next == '"' || (next == '$' && s_.Peek(2) == '"'))) ||
                    (s_.Peek() == '$' && next == '@' && s_.Peek(2) == '"');
    if (verbatim) {
      s_.Advance(next == '"' ? 2 : 3);
      mode_ = kVerbatim;
      if (s_.SkipQuoted('"', 0, true)) mode_ = kCode;
      return h_.string_;
    }
    if (s_.Peek() == '$') {
      std::size_t dollars = 0;
      while (s_.Peek(dollars) == '$') ++dollars;
      s_.Advance(dollars);
      // Dollars that open no string are symbols, taken as one run so none is read twice.
      return s_.Peek() == '"' ? StringStart() : h_.symbol_;
    }
    if (IsWordStart(next)) {
      s_.Advance();
      s_.SkipWordChars();
      return h_.identifier_;
    }
    return nullptr;
  }

  const THighlighterAttribute* Word() {
    std::size_t start = s_.pos;
    s_.SkipWordChars();
    std::string_view word = s_.Text(start);
    unsigned char next = s_.Peek();
    if (syntax_.rawStrings && next == '"' &&
        (word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR")) {
      if (const THighlighterAttribute* raw = RawStringStart()) return raw;
    }
    if (syntax_.rawStrings && (next == '"' || next == '\'') &&
        (word == "u8" || word == "u" || word == "U" || word == "L")) {
      s_.Advance();
      s_.SkipQuoted(next, '\\');
      return h_.string_;
    }
    if (syntax_.keywords->Contains(word)) {
      if (syntax_.asmBlocks && (word == "asm" || word == "__asm" || word == "_asm"))
        asmPending_ = AsmAfterKeyword();
      return h_.keyword_;
    }
    return h_.identifier_;
  }

  TAsmPending AsmAfterKeyword() const {
    std::string_view rest = s_.Rest();
    std::size_t i = 0;
    while (i < rest.size() && IsBlank(static_cast<unsigned char>(rest[i]))) ++i;
    if (i == rest.size()) return TAsmPending::None;
    if (rest[i] == '{') return TAsmPending::Block;
    if (rest[i] == '(' || rest.substr(i).starts_with("volatile") ||
        rest.substr(i).starts_with("__volatile__") || rest.substr(i).starts_with("goto"))
      return TAsmPending::None;
    return TAsmPending::Line;
  }

  // At the quote after R: R"delim( ... )delim".
  const THighlighterAttribute* RawStringStart() {
    std::size_t length = 0;
    while (length <= 16 && IsRawDelimiterChar(s_.Peek(1 + length))) ++length;
    if (length > 16 || s_.Peek(1 + length) != '(') return nullptr;
    std::string_view delimiter = s_.Rest().substr(1, length);
    payload_ = delimiter.empty() ? 0 : h_.rawDelimiters_.Intern(delimiter);
    s_.Advance(2 + length);
    mode_ = kRawString;
    return RawStringBody();
  }

  const THighlighterAttribute* RawStringBody() {
    std::string terminator = ")";
    terminator += h_.rawDelimiters_.Label(payload_);
    terminator += '"';
    if (s_.SkipPast(terminator)) mode_ = kCode;
    return h_.string_;
  }

  TCFamilyHighlighter& h_;
  const TCFamilySyntax& syntax_;
  TScanner& s_;
  TTokenWriter& out_;
  THighlighterState mode_;
  bool directive_;
  THighlighterState payload_;
  bool lineStart_ = false;
  TAsmPending asmPending_ = TAsmPending::None;
};

TCFamilyHighlighter::TCFamilyHighlighter(std::string languageName, std::string defaultFilter,
                                         const TCFamilySyntax& syntax)
    : TCodeHighlighter(std::move(languageName), std::move(defaultFilter)), syntax_(syntax) {
  if (syntax.annotations) annotation_ = AddAttribute("Annotation", clGray);
  if (syntax.asmBlocks) assembler_ = AddAttribute("Assembler", clGreen);
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  if (syntax.docComments) documentation_ = AddAttribute("Documentation", clTeal, fsItalic);
  identifier_ = AddAttribute("Identifier");
  number_ = AddAttribute("Number", clBlue);
  if (syntax.preprocessor) preprocessor_ = AddAttribute("Preprocessor", clOlive);
  keyword_ = AddAttribute("Reserved Word", clNavy, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clBlue);
  symbol_ = AddAttribute("Symbol");
  if (!assembler_) assembler_ = identifier_;
  if (!preprocessor_) preprocessor_ = symbol_;
  if (!annotation_) annotation_ = symbol_;

  SetCodeDefaults();
}

THighlighterState TCFamilyHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                     std::size_t end, bool endsLine,
                                                     THighlighterState start,
                                                     std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TCFamilyLexer(*this, s, out, start).Run(endsLine);
}

namespace {

const TKeywordSet& JavaKeywords() {
  static const TKeywordSet words(
      {"abstract",  "assert",    "boolean", "break",      "byte",         "case",       "catch",
       "char",      "class",     "const",   "continue",   "default",      "do",         "double",
       "else",      "enum",      "extends", "false",      "final",        "finally",    "float",
       "for",       "goto",      "if",      "implements", "import",       "instanceof", "int",
       "interface", "long",      "native",  "new",        "null",         "package",    "permits",
       "private",   "protected", "public",  "record",     "return",       "sealed",     "short",
       "static",    "strictfp",  "super",   "switch",     "synchronized", "this",       "throw",
       "throws",    "transient", "true",    "try",        "var",          "void",       "volatile",
       "while",     "yield"},
      false);
  return words;
}

const TKeywordSet& CppKeywords() {
  static const TKeywordSet words({"alignas",
                                  "alignof",
                                  "and",
                                  "and_eq",
                                  "asm",
                                  "__asm",
                                  "_asm",
                                  "auto",
                                  "bitand",
                                  "bitor",
                                  "bool",
                                  "break",
                                  "case",
                                  "catch",
                                  "char",
                                  "char8_t",
                                  "char16_t",
                                  "char32_t",
                                  "class",
                                  "co_await",
                                  "co_return",
                                  "co_yield",
                                  "compl",
                                  "concept",
                                  "const",
                                  "consteval",
                                  "constexpr",
                                  "constinit",
                                  "const_cast",
                                  "continue",
                                  "decltype",
                                  "default",
                                  "delete",
                                  "do",
                                  "double",
                                  "dynamic_cast",
                                  "else",
                                  "enum",
                                  "explicit",
                                  "export",
                                  "extern",
                                  "false",
                                  "float",
                                  "for",
                                  "friend",
                                  "goto",
                                  "if",
                                  "inline",
                                  "int",
                                  "long",
                                  "mutable",
                                  "namespace",
                                  "new",
                                  "noexcept",
                                  "not",
                                  "not_eq",
                                  "nullptr",
                                  "operator",
                                  "or",
                                  "or_eq",
                                  "private",
                                  "protected",
                                  "public",
                                  "register",
                                  "reinterpret_cast",
                                  "requires",
                                  "restrict",
                                  "return",
                                  "short",
                                  "signed",
                                  "sizeof",
                                  "static",
                                  "static_assert",
                                  "static_cast",
                                  "struct",
                                  "switch",
                                  "template",
                                  "this",
                                  "thread_local",
                                  "throw",
                                  "true",
                                  "try",
                                  "typedef",
                                  "typeid",
                                  "typename",
                                  "union",
                                  "unsigned",
                                  "using",
                                  "virtual",
                                  "void",
                                  "volatile",
                                  "wchar_t",
                                  "while",
                                  "xor",
                                  "xor_eq",
                                  "_Bool",
                                  "_Complex",
                                  "_Imaginary",
                                  "_Alignas",
                                  "_Alignof",
                                  "_Atomic",
                                  "_Generic",
                                  "_Noreturn",
                                  "_Static_assert",
                                  "_Thread_local",
                                  "__int64",
                                  "__cdecl",
                                  "__stdcall",
                                  "__fastcall",
                                  "__declspec",
                                  "NULL",
                                  "final",
                                  "override"},
                                 false);
  return words;
}

const TKeywordSet& CSharpKeywords() {
  static const TKeywordSet words(
      {"abstract", "add",        "alias",    "as",      "ascending", "async",    "await",
       "base",     "bool",       "break",    "by",      "byte",      "case",     "catch",
       "char",     "checked",    "class",    "const",   "continue",  "decimal",  "default",
       "delegate", "descending", "do",       "double",  "dynamic",   "else",     "enum",
       "equals",   "event",      "explicit", "extern",  "false",     "finally",  "fixed",
       "float",    "for",        "foreach",  "from",    "get",       "global",   "goto",
       "group",    "if",         "implicit", "in",      "init",      "int",      "interface",
       "internal", "into",       "is",       "join",    "let",       "lock",     "long",
       "nameof",   "namespace",  "new",      "null",    "object",    "on",       "operator",
       "orderby",  "out",        "override", "params",  "partial",   "private",  "protected",
       "public",   "readonly",   "record",   "ref",     "remove",    "required", "return",
       "sbyte",    "sealed",     "select",   "set",     "short",     "sizeof",   "stackalloc",
       "static",   "string",     "struct",   "switch",  "this",      "throw",    "true",
       "try",      "typeof",     "uint",     "ulong",   "unchecked", "unsafe",   "ushort",
       "using",    "value",      "var",      "virtual", "void",      "volatile", "when",
       "where",    "while",      "yield"},
      false);
  return words;
}

TCFamilySyntax JavaSyntax() {
  TCFamilySyntax syntax;
  syntax.keywords = &JavaKeywords();
  syntax.numbers = {true, true, false, '_', true};
  syntax.textBlocks = true;
  syntax.docComments = true;
  syntax.annotations = true;
  return syntax;
}

TCFamilySyntax CppSyntax() {
  TCFamilySyntax syntax;
  syntax.keywords = &CppKeywords();
  syntax.numbers = {true, true, false, '\'', true};
  syntax.preprocessor = true;
  syntax.lineContinuation = true;
  syntax.rawStrings = true;
  syntax.asmBlocks = true;
  return syntax;
}

TCFamilySyntax CSharpSyntax() {
  TCFamilySyntax syntax;
  syntax.keywords = &CSharpKeywords();
  syntax.numbers = {true, true, false, '_', true};
  syntax.preprocessor = true;
  syntax.verbatimStrings = true;
  return syntax;
}

}  // namespace

TJavaHighlighter::TJavaHighlighter() : TCFamilyHighlighter("Java", "", JavaSyntax()) {
  comment_->foreground = clGray;
  keyword_->foreground = clBlue;
  number_->foreground = 0x006060;
  space_->foreground = clNone;
  space_->background = clNone;
  string_->foreground = clPurple;
}

TCppHighlighter::TCppHighlighter()
    : TCFamilyHighlighter("C/C++", "C++ Files (*.c,*.cpp,*.h,*.hpp)|*.c;*.cpp;*.h;*.hpp",
                          CppSyntax()) {
  assembler_->foreground = clGreen;
  keyword_->foreground = clNavy;
}

TCSharpHighlighter::TCSharpHighlighter() : TCFamilyHighlighter("C#", "", CSharpSyntax()) {
  comment_->foreground = clGreen;
  identifier_->foreground = 0xE1924A;
  keyword_->foreground = clBlue;
  keyword_->style = fsPlain;
  string_->foreground = clMaroon;
}

}  // namespace tervil
