#include "core/highlighters/PascalHighlighter.h"

namespace tervil {

namespace {

// Line state: bits 0-2 the mode, bit 3 inside an asm block.
enum TPascalMode : THighlighterState {
  kCode = 0,
  kBraceComment,
  kParenComment,
  kBraceDirective,
  kParenDirective
};
constexpr THighlighterState kModeMask = 7;
constexpr THighlighterState kAsmFlag = 8;

const TKeywordSet& Keywords() {
  static const TKeywordSet words({"absolute",
                                  "abstract",
                                  "and",
                                  "array",
                                  "as",
                                  "asm",
                                  "assembler",
                                  "begin",
                                  "case",
                                  "cdecl",
                                  "class",
                                  "const",
                                  "constructor",
                                  "default",
                                  "destructor",
                                  "dispinterface",
                                  "div",
                                  "do",
                                  "downto",
                                  "dynamic",
                                  "else",
                                  "end",
                                  "except",
                                  "export",
                                  "exports",
                                  "external",
                                  "file",
                                  "finalization",
                                  "finally",
                                  "for",
                                  "forward",
                                  "function",
                                  "goto",
                                  "if",
                                  "implementation",
                                  "in",
                                  "inherited",
                                  "initialization",
                                  "inline",
                                  "interface",
                                  "is",
                                  "label",
                                  "library",
                                  "message",
                                  "mod",
                                  "nil",
                                  "not",
                                  "object",
                                  "of",
                                  "on",
                                  "or",
                                  "out",
                                  "overload",
                                  "override",
                                  "packed",
                                  "private",
                                  "procedure",
                                  "program",
                                  "property",
                                  "protected",
                                  "public",
                                  "published",
                                  "raise",
                                  "read",
                                  "record",
                                  "register",
                                  "reintroduce",
                                  "repeat",
                                  "resourcestring",
                                  "safecall",
                                  "set",
                                  "shl",
                                  "shr",
                                  "stdcall",
                                  "stored",
                                  "string",
                                  "then",
                                  "threadvar",
                                  "to",
                                  "try",
                                  "type",
                                  "unit",
                                  "until",
                                  "uses",
                                  "var",
                                  "virtual",
                                  "while",
                                  "with",
                                  "write",
                                  "xor",
                                  "strict",
                                  "sealed",
                                  "static",
                                  "helper",
                                  "reference",
                                  "operator",
                                  "deprecated",
                                  "platform"},
                                 true);
  return words;
}

// A number whose base a one-character prefix at s.pos gives: $1F, %101, &17.
bool ScanAfterPrefix(TScanner& s, bool (*isDigit)(unsigned char)) {
  if (!isDigit(s.Peek(1))) return false;
  s.Advance();
  s.SkipWhile(isDigit);
  return true;
}

}  // namespace

TPascalHighlighter::TPascalHighlighter() : TCodeHighlighter("Object Pascal", "") {
  assembler_ = AddAttribute("Assembler", clGreen);
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  directive_ = AddAttribute("Directive", clTeal);
  identifier_ = AddAttribute("Identifier");
  number_ = AddAttribute("Number", clNavy);
  keyword_ = AddAttribute("Reserved Word", clNavy, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clNavy);
  symbol_ = AddAttribute("Symbol");

  SetCodeDefaults();
}

THighlighterState TPascalHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                    std::size_t end, bool /*endsLine*/,
                                                    THighlighterState start,
                                                    std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  THighlighterState mode = start & kModeMask;
  if (mode > kParenDirective) mode = kCode;
  bool assembler = (start & kAsmFlag) != 0;
  RunLexer(s, out, [&] { return Step(s, mode, assembler); });
  return mode | (assembler ? kAsmFlag : 0);
}

const THighlighterAttribute* TPascalHighlighter::Step(TScanner& s, THighlighterState& mode,
                                                      bool& assembler) {
  switch (mode) {
    case kBraceComment:
    case kBraceDirective:
    case kParenComment:
    case kParenDirective: {
      bool directive = mode == kBraceDirective || mode == kParenDirective;
      bool brace = mode == kBraceComment || mode == kBraceDirective;
      if (s.SkipPast(brace ? "}" : "*)")) mode = kCode;
      return directive ? directive_ : comment_;
    }
    default:
      break;
  }
  if (IsBlank(s.Peek())) {
    s.SkipBlanks();
    return space_;
  }
  if (const THighlighterAttribute* comment = CommentStart(s, mode)) return comment;
  return Code(s, assembler);
}

const THighlighterAttribute* TPascalHighlighter::CommentStart(TScanner& s,
                                                              THighlighterState& mode) {
  unsigned char c = s.Peek();
  if (c == '/' && s.Peek(1) == '/') {
    s.SkipToEnd();
    return comment_;
  }
  if (c == '{') {
    bool directive = s.Peek(1) == '$';
    s.Advance();
    mode = s.SkipPast("}") ? kCode : directive ? kBraceDirective : kBraceComment;
    return directive ? directive_ : comment_;
  }
  if (c == '(' && s.Peek(1) == '*') {
    bool directive = s.Peek(2) == '$';
    s.Advance(2);
    mode = s.SkipPast("*)") ? kCode : directive ? kParenDirective : kParenComment;
    return directive ? directive_ : comment_;
  }
  return nullptr;
}

const THighlighterAttribute* TPascalHighlighter::Code(TScanner& s, bool& assembler) {
  unsigned char c = s.Peek();
  if (IsWordStart(c)) {
    std::size_t start = s.pos;
    s.SkipWordChars();
    std::string_view word = s.Text(start);
    if (assembler) {
      if (!EqualsNoCase(word, "end")) return assembler_;
      assembler = false;
      return keyword_;
    }
    if (EqualsNoCase(word, "asm")) assembler = true;
    return Keywords().Contains(word) ? keyword_ : identifier_;
  }
  if (assembler) {
    s.AdvanceChar();
    s.SkipWhile([](unsigned char b) {
      return !IsBlank(b) && !IsWordStart(b) && b != '{' && b != '(' && b != '/';
    });
    return assembler_;
  }
  if (c == '\'' || (c == '#' && (IsDigit(s.Peek(1)) || s.Peek(1) == '$'))) {
    // A string is a run of quoted parts and #nn character codes.
    while (s.Peek() == '\'' || (s.Peek() == '#' && (IsDigit(s.Peek(1)) || s.Peek(1) == '$'))) {
      if (s.Peek() == '\'') {
        s.Advance();
        s.SkipQuoted('\'', 0, true);
      } else {
        s.Advance(s.Peek(1) == '$' ? 2 : 1);
        s.SkipWhile(IsHexDigit);
      }
    }
    return string_;
  }
  if ((c == '$' && ScanAfterPrefix(s, IsHexDigit)) ||
      (c == '%' && ScanAfterPrefix(s, IsBinaryDigit)) ||
      (c == '&' && ScanAfterPrefix(s, IsOctalDigit))) {
    return number_;
  }
  if (c == '&' && IsWordStart(s.Peek(1))) {
    s.Advance();
    s.SkipWordChars();
    return identifier_;
  }
  if (IsDigit(c)) {
    ScanNumber(s, kDecimalNumbers);
    return number_;
  }
  s.AdvanceChar();
  return symbol_;
}

}  // namespace tervil
