#include "core/highlighters/JavaScriptHighlighter.h"

#include <array>
#include <vector>

namespace tervil {

namespace {

// Line state: bits 0-2 the mode, bit 3 set when a "/" would be a division, bits 4-6 the number
// of open ${...} holes of template strings, then 3 bits per hole counting its open braces.
enum TJsMode : THighlighterState {
  kCode = 0,
  kBlockComment,
  kTemplate,
  kDoubleContinued,
  kSingleContinued
};
constexpr THighlighterState kModeMask = 7;
constexpr THighlighterState kNoRegexFlag = 8;
constexpr int kDepthShift = 4;
constexpr THighlighterState kMaxDepth = 7;
constexpr int kBracesShift = 7;
constexpr THighlighterState kMaxBraces = 7;

const TKeywordSet& Keywords() {
  static const TKeywordSet words(
      {"abstract", "async",        "await",   "boolean", "break",      "byte",      "case",
       "catch",    "char",         "class",   "const",   "continue",   "debugger",  "default",
       "delete",   "do",           "double",  "else",    "enum",       "export",    "extends",
       "false",    "final",        "finally", "float",   "for",        "function",  "goto",
       "if",       "implements",   "import",  "in",      "instanceof", "int",       "interface",
       "let",      "long",         "native",  "new",     "null",       "of",        "package",
       "private",  "protected",    "public",  "return",  "short",      "static",    "super",
       "switch",   "synchronized", "this",    "throw",   "throws",     "transient", "true",
       "try",      "typeof",       "var",     "void",    "volatile",   "while",     "with",
       "yield"},
      false);
  return words;
}

// Keywords after which a value follows, so that "/" starts a regular expression.
bool KeywordEndsValue(std::string_view word) {
  return word == "this" || word == "super" || word == "true" || word == "false" || word == "null";
}

const TKeywordSet& Builtins() {
  static const TKeywordSet words({"AggregateError",
                                  "Array",
                                  "ArrayBuffer",
                                  "BigInt",
                                  "BigInt64Array",
                                  "BigUint64Array",
                                  "Boolean",
                                  "DataView",
                                  "Date",
                                  "Error",
                                  "EvalError",
                                  "Float32Array",
                                  "Float64Array",
                                  "Function",
                                  "Infinity",
                                  "Int16Array",
                                  "Int32Array",
                                  "Int8Array",
                                  "Intl",
                                  "JSON",
                                  "Map",
                                  "Math",
                                  "NaN",
                                  "Number",
                                  "Object",
                                  "Promise",
                                  "Proxy",
                                  "RangeError",
                                  "ReferenceError",
                                  "Reflect",
                                  "RegExp",
                                  "Set",
                                  "String",
                                  "Symbol",
                                  "SyntaxError",
                                  "TypeError",
                                  "URIError",
                                  "Uint16Array",
                                  "Uint32Array",
                                  "Uint8Array",
                                  "Uint8ClampedArray",
                                  "WeakMap",
                                  "WeakSet",
                                  "XMLHttpRequest",
                                  "alert",
                                  "anchors",
                                  "appendChild",
                                  "apply",
                                  "arguments",
                                  "atob",
                                  "blur",
                                  "body",
                                  "btoa",
                                  "call",
                                  "charAt",
                                  "charCodeAt",
                                  "clearInterval",
                                  "clearTimeout",
                                  "click",
                                  "close",
                                  "concat",
                                  "confirm",
                                  "console",
                                  "constructor",
                                  "cookie",
                                  "createElement",
                                  "createTextNode",
                                  "decodeURI",
                                  "decodeURIComponent",
                                  "document",
                                  "elements",
                                  "encodeURI",
                                  "encodeURIComponent",
                                  "escape",
                                  "eval",
                                  "fetch",
                                  "focus",
                                  "forms",
                                  "fromCharCode",
                                  "getAttribute",
                                  "getElementById",
                                  "getElementsByClassName",
                                  "getElementsByName",
                                  "getElementsByTagName",
                                  "hasOwnProperty",
                                  "history",
                                  "images",
                                  "indexOf",
                                  "innerHTML",
                                  "isFinite",
                                  "isNaN",
                                  "join",
                                  "lastIndexOf",
                                  "length",
                                  "links",
                                  "localStorage",
                                  "location",
                                  "log",
                                  "navigator",
                                  "open",
                                  "parent",
                                  "parseFloat",
                                  "parseInt",
                                  "pop",
                                  "prompt",
                                  "prototype",
                                  "push",
                                  "querySelector",
                                  "querySelectorAll",
                                  "removeChild",
                                  "replace",
                                  "requestAnimationFrame",
                                  "screen",
                                  "self",
                                  "sessionStorage",
                                  "setAttribute",
                                  "setInterval",
                                  "setTimeout",
                                  "shift",
                                  "slice",
                                  "sort",
                                  "splice",
                                  "split",
                                  "style",
                                  "submit",
                                  "substr",
                                  "substring",
                                  "toLowerCase",
                                  "toString",
                                  "toUpperCase",
                                  "top",
                                  "undefined",
                                  "unescape",
                                  "unshift",
                                  "value",
                                  "valueOf",
                                  "window",
                                  "write",
                                  "writeln",
                                  "addEventListener",
                                  "removeEventListener",
                                  "preventDefault",
                                  "stopPropagation"},
                                 false);
  return words;
}

const TKeywordSet& Events() {
  static const TKeywordSet words({"onabort",
                                  "onafterprint",
                                  "onbeforeprint",
                                  "onbeforeunload",
                                  "onblur",
                                  "oncanplay",
                                  "onchange",
                                  "onclick",
                                  "oncontextmenu",
                                  "oncopy",
                                  "oncut",
                                  "ondblclick",
                                  "ondrag",
                                  "ondragend",
                                  "ondragenter",
                                  "ondragleave",
                                  "ondragover",
                                  "ondragstart",
                                  "ondrop",
                                  "onended",
                                  "onerror",
                                  "onfocus",
                                  "onhashchange",
                                  "oninput",
                                  "oninvalid",
                                  "onkeydown",
                                  "onkeypress",
                                  "onkeyup",
                                  "onload",
                                  "onloadeddata",
                                  "onmessage",
                                  "onmousedown",
                                  "onmouseenter",
                                  "onmouseleave",
                                  "onmousemove",
                                  "onmouseout",
                                  "onmouseover",
                                  "onmouseup",
                                  "onmousewheel",
                                  "onoffline",
                                  "ononline",
                                  "onpaste",
                                  "onpause",
                                  "onplay",
                                  "onpopstate",
                                  "onprogress",
                                  "onreadystatechange",
                                  "onreset",
                                  "onresize",
                                  "onscroll",
                                  "onsearch",
                                  "onselect",
                                  "onstorage",
                                  "onsubmit",
                                  "ontimeupdate",
                                  "ontoggle",
                                  "ontouchend",
                                  "ontouchmove",
                                  "ontouchstart",
                                  "onunload",
                                  "onwheel"},
                                 true);
  return words;
}

bool IsJsWordStart(unsigned char c) {
  return IsWordStart(c) || c == '$';
}
bool IsJsWordChar(unsigned char c) {
  return IsWordChar(c) || c == '$';
}

}  // namespace

class TJavaScriptLexer {
 public:
  TJavaScriptLexer(TJavaScriptHighlighter& h, TScanner& s, TTokenWriter& out,
                   THighlighterState state)
      : h_(h), s_(s), out_(out) {
    mode_ = state & kModeMask;
    if (mode_ > kSingleContinued) mode_ = kCode;
    regexAllowed_ = (state & kNoRegexFlag) == 0;
    depth_ = (state >> kDepthShift) & kMaxDepth;
    braces_ = state >> kBracesShift;
  }

  THighlighterState Run(bool endsLine) {
    endsLine_ = endsLine;
    RunLexer(s_, out_, [this] { return Step(); });
    return mode_ | (regexAllowed_ ? 0 : kNoRegexFlag) | (depth_ << kDepthShift) |
           ((braces_ & ((1u << (3 * depth_)) - 1)) << kBracesShift);
  }

 private:
  const THighlighterAttribute* Step() {
    switch (mode_) {
      case kBlockComment:
        if (s_.SkipPast("*/")) mode_ = kCode;
        return h_.comment_;
      case kTemplate:
        return TemplateBody();
      case kDoubleContinued:
        return StringBody('"');
      case kSingleContinued:
        return StringBody('\'');
      default:
        return Code();
    }
  }

  const THighlighterAttribute* Code() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return h_.space_;
    }
    if (c == '/') {
      if (s_.Peek(1) == '/') {
        s_.SkipToEnd();
        return h_.comment_;
      }
      if (s_.Peek(1) == '*') {
        s_.Advance(2);
        mode_ = kBlockComment;
        if (s_.SkipPast("*/")) mode_ = kCode;
        return h_.comment_;
      }
      if (regexAllowed_ && SkipRegex()) {
        regexAllowed_ = false;
        return h_.regex_;
      }
    }
    if (c == '"' || c == '\'') {
      s_.Advance();
      return StringBody(c);
    }
    if (c == '`') {
      s_.Advance();
      mode_ = kTemplate;
      return TemplateBody();
    }
    if (StartsNumber(s_, c)) {
      ScanNumber(s_, {true, true, true, '_', true});
      regexAllowed_ = false;
      return h_.number_;
    }
    if (IsJsWordStart(c)) return Word();
    return Punctuation(c);
  }

  const THighlighterAttribute* Word() {
    std::size_t start = s_.pos;
    s_.SkipWhile(IsJsWordChar);
    std::string_view word = s_.Text(start);
    if (Keywords().Contains(word)) {
      regexAllowed_ = !KeywordEndsValue(word);
      return h_.keyword_;
    }
    regexAllowed_ = false;
    if (Builtins().Contains(word)) return h_.builtin_;
    if (Events().Contains(word)) return h_.event_;
    return h_.identifier_;
  }

  const THighlighterAttribute* Punctuation(unsigned char c) {
    s_.AdvanceChar();
    regexAllowed_ = !(c == ')' || c == ']');
    if (c == '{' && depth_ > 0) {
      THighlighterState count = Braces();
      if (count < kMaxBraces) SetBraces(count + 1);
    } else if (c == '}' && depth_ > 0) {
      THighlighterState count = Braces();
      if (count == 0) {
        --depth_;
        mode_ = kTemplate;
      } else {
        SetBraces(count - 1);
      }
    }
    return h_.symbol_;
  }

  THighlighterState Braces() const { return (braces_ >> (3 * (depth_ - 1))) & kMaxBraces; }
  void SetBraces(THighlighterState count) {
    int shift = 3 * static_cast<int>(depth_ - 1);
    braces_ = (braces_ & ~(kMaxBraces << shift)) | (count << shift);
  }

  // At "/": a regular expression literal ends on the same line; otherwise "/" is a symbol.
  bool SkipRegex() {
    const std::size_t start = s_.pos;
    s_.Advance();
    if (ScanRegexBody(false)) {
      s_.SkipWhile(IsLetter);
      return true;
    }
    // Every place this scan passed leads to the line's end without a closing "/": a later scan
    // that reaches one of them fails at once, so no part of a line is scanned twice.
    s_.pos = start + 1;
    ScanRegexBody(true);
    s_.pos = start;
    return false;
  }

  // Moves past the "/" that closes the regular expression whose body starts at s.pos and
  // returns true; false when the line ends first or the scan meets a place known to fail.
  // `markFailed` records each place passed as one that fails.
  bool ScanRegexBody(bool markFailed) {
    bool inClass = false;
    while (!s_.AtEnd()) {
      const std::size_t at = s_.pos - s_.Begin();
      if (markFailed) {
        if (failedAt_[inClass].size() <= at) failedAt_[inClass].resize(s_.End() - s_.Begin());
        if (failedAt_[inClass][at]) return false;
        failedAt_[inClass][at] = true;
      } else if (at < failedAt_[inClass].size() && failedAt_[inClass][at]) {
        return false;
      }
      unsigned char c = s_.Peek();
      if (c == '\\') {
        s_.Advance(2);
        continue;
      }
      s_.Advance();
      if (c == '[') {
        inClass = true;
      } else if (c == ']') {
        inClass = false;
      } else if (c == '/' && !inClass) {
        return true;
      }
    }
    return false;
  }

  const THighlighterAttribute* StringBody(unsigned char quote) {
    mode_ = kCode;
    regexAllowed_ = false;
    if (!s_.SkipQuoted(quote, '\\') && (!endsLine_ || s_.EndsWithEscape()))
      mode_ = quote == '"' ? kDoubleContinued : kSingleContinued;
    return h_.string_;
  }

  const THighlighterAttribute* TemplateBody() {
    while (!s_.AtEnd()) {
      unsigned char c = s_.Peek();
      if (c == '\\') {
        s_.Advance(2);
      } else if (c == '`') {
        s_.Advance();
        mode_ = kCode;
        regexAllowed_ = false;
        break;
      } else if (c == '$' && s_.Peek(1) == '{' && depth_ < kMaxDepth) {
        s_.Advance(2);
        ++depth_;
        SetBraces(0);
        mode_ = kCode;
        regexAllowed_ = true;
        break;
      } else {
        s_.Advance();
      }
    }
    return h_.string_;
  }

  TJavaScriptHighlighter& h_;
  TScanner& s_;
  TTokenWriter& out_;
  // Places of the range (outside and inside a character class) from which a regular
  // expression scan is known to reach the line's end without closing.
  std::array<std::vector<bool>, 2> failedAt_;
  THighlighterState mode_;
  bool regexAllowed_;
  THighlighterState depth_;
  THighlighterState braces_;
  bool endsLine_ = true;
};

TJavaScriptHighlighter::TJavaScriptHighlighter() : TCodeHighlighter("JavaScript", "") {
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  event_ = AddAttribute("Event", 0x00336A, fsBold);
  identifier_ = AddAttribute("Identifier", 0x002359);
  builtin_ = AddAttribute("Non-reserved Keyword", 0x003673, fsBold);
  number_ = AddAttribute("Number", clBlack);
  regex_ = AddAttribute("Regular Expression", clPurple);
  keyword_ = AddAttribute("Reserved Word", clNavy, fsBold);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clBlack);
  symbol_ = AddAttribute("Symbol", clNavy);

  SetCodeDefaults();
}

THighlighterState TJavaScriptHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                        std::size_t end, bool endsLine,
                                                        THighlighterState start,
                                                        std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TJavaScriptLexer(*this, s, out, start).Run(endsLine);
}

}  // namespace tervil
