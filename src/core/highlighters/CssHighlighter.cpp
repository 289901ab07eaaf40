#include "core/highlighters/CssHighlighter.h"

namespace tervil {

namespace {

// Line state: bits 0-1 the context, bit 2 inside a comment, bits 3-4 the quote of a string that
// continues, bit 5 "the at-rule being read opens a block of rules", bits 6-9 the block depth,
// bits 10-25 one bit per open block telling whether it holds declarations.
enum TCssContext : THighlighterState { kSelector = 0, kProperty, kValue, kAtRule };
constexpr THighlighterState kContextMask = 3;
constexpr THighlighterState kCommentFlag = 4;
constexpr int kQuoteShift = 3;
constexpr THighlighterState kRuleListFlag = 32;
constexpr int kDepthShift = 6;
constexpr THighlighterState kMaxDepth = 15;
constexpr int kBlocksShift = 10;

const TKeywordSet& Properties() {
  static const TKeywordSet words({"accent-color",
                                  "align-content",
                                  "align-items",
                                  "align-self",
                                  "all",
                                  "animation",
                                  "animation-delay",
                                  "animation-direction",
                                  "animation-duration",
                                  "animation-fill-mode",
                                  "animation-iteration-count",
                                  "animation-name",
                                  "animation-play-state",
                                  "animation-timing-function",
                                  "appearance",
                                  "aspect-ratio",
                                  "backdrop-filter",
                                  "backface-visibility",
                                  "background",
                                  "background-attachment",
                                  "background-blend-mode",
                                  "background-clip",
                                  "background-color",
                                  "background-image",
                                  "background-origin",
                                  "background-position",
                                  "background-position-x",
                                  "background-position-y",
                                  "background-repeat",
                                  "background-size",
                                  "block-size",
                                  "border",
                                  "border-block",
                                  "border-bottom",
                                  "border-bottom-color",
                                  "border-bottom-left-radius",
                                  "border-bottom-right-radius",
                                  "border-bottom-style",
                                  "border-bottom-width",
                                  "border-collapse",
                                  "border-color",
                                  "border-image",
                                  "border-image-outset",
                                  "border-image-repeat",
                                  "border-image-slice",
                                  "border-image-source",
                                  "border-image-width",
                                  "border-inline",
                                  "border-left",
                                  "border-left-color",
                                  "border-left-style",
                                  "border-left-width",
                                  "border-radius",
                                  "border-right",
                                  "border-right-color",
                                  "border-right-style",
                                  "border-right-width",
                                  "border-spacing",
                                  "border-style",
                                  "border-top",
                                  "border-top-color",
                                  "border-top-left-radius",
                                  "border-top-right-radius",
                                  "border-top-style",
                                  "border-top-width",
                                  "border-width",
                                  "bottom",
                                  "box-decoration-break",
                                  "box-shadow",
                                  "box-sizing",
                                  "break-after",
                                  "break-before",
                                  "break-inside",
                                  "caption-side",
                                  "caret-color",
                                  "clear",
                                  "clip",
                                  "clip-path",
                                  "color",
                                  "column-count",
                                  "column-fill",
                                  "column-gap",
                                  "column-rule",
                                  "column-rule-color",
                                  "column-rule-style",
                                  "column-rule-width",
                                  "column-span",
                                  "column-width",
                                  "columns",
                                  "contain",
                                  "content",
                                  "counter-increment",
                                  "counter-reset",
                                  "counter-set",
                                  "cursor",
                                  "direction",
                                  "display",
                                  "empty-cells",
                                  "filter",
                                  "flex",
                                  "flex-basis",
                                  "flex-direction",
                                  "flex-flow",
                                  "flex-grow",
                                  "flex-shrink",
                                  "flex-wrap",
                                  "float",
                                  "font",
                                  "font-display",
                                  "font-family",
                                  "font-feature-settings",
                                  "font-kerning",
                                  "font-size",
                                  "font-size-adjust",
                                  "font-stretch",
                                  "font-style",
                                  "font-variant",
                                  "font-weight",
                                  "gap",
                                  "grid",
                                  "grid-area",
                                  "grid-auto-columns",
                                  "grid-auto-flow",
                                  "grid-auto-rows",
                                  "grid-column",
                                  "grid-column-end",
                                  "grid-column-gap",
                                  "grid-column-start",
                                  "grid-gap",
                                  "grid-row",
                                  "grid-row-end",
                                  "grid-row-gap",
                                  "grid-row-start",
                                  "grid-template",
                                  "grid-template-areas",
                                  "grid-template-columns",
                                  "grid-template-rows",
                                  "hanging-punctuation",
                                  "height",
                                  "hyphens",
                                  "image-rendering",
                                  "inline-size",
                                  "inset",
                                  "isolation",
                                  "justify-content",
                                  "justify-items",
                                  "justify-self",
                                  "left",
                                  "letter-spacing",
                                  "line-break",
                                  "line-height",
                                  "list-style",
                                  "list-style-image",
                                  "list-style-position",
                                  "list-style-type",
                                  "margin",
                                  "margin-block",
                                  "margin-bottom",
                                  "margin-inline",
                                  "margin-left",
                                  "margin-right",
                                  "margin-top",
                                  "marker",
                                  "mask",
                                  "max-block-size",
                                  "max-height",
                                  "max-inline-size",
                                  "max-width",
                                  "min-block-size",
                                  "min-height",
                                  "min-inline-size",
                                  "min-width",
                                  "mix-blend-mode",
                                  "object-fit",
                                  "object-position",
                                  "opacity",
                                  "order",
                                  "orphans",
                                  "outline",
                                  "outline-color",
                                  "outline-offset",
                                  "outline-style",
                                  "outline-width",
                                  "overflow",
                                  "overflow-wrap",
                                  "overflow-x",
                                  "overflow-y",
                                  "padding",
                                  "padding-block",
                                  "padding-bottom",
                                  "padding-inline",
                                  "padding-left",
                                  "padding-right",
                                  "padding-top",
                                  "page-break-after",
                                  "page-break-before",
                                  "page-break-inside",
                                  "perspective",
                                  "perspective-origin",
                                  "place-content",
                                  "place-items",
                                  "place-self",
                                  "pointer-events",
                                  "position",
                                  "quotes",
                                  "resize",
                                  "right",
                                  "rotate",
                                  "row-gap",
                                  "scale",
                                  "scroll-behavior",
                                  "scroll-margin",
                                  "scroll-padding",
                                  "scroll-snap-align",
                                  "scroll-snap-type",
                                  "scrollbar-color",
                                  "scrollbar-width",
                                  "speak",
                                  "src",
                                  "tab-size",
                                  "table-layout",
                                  "text-align",
                                  "text-align-last",
                                  "text-decoration",
                                  "text-decoration-color",
                                  "text-decoration-line",
                                  "text-decoration-style",
                                  "text-decoration-thickness",
                                  "text-indent",
                                  "text-justify",
                                  "text-overflow",
                                  "text-shadow",
                                  "text-transform",
                                  "text-underline-offset",
                                  "text-underline-position",
                                  "top",
                                  "touch-action",
                                  "transform",
                                  "transform-origin",
                                  "transform-style",
                                  "transition",
                                  "transition-delay",
                                  "transition-duration",
                                  "transition-property",
                                  "transition-timing-function",
                                  "translate",
                                  "unicode-bidi",
                                  "unicode-range",
                                  "user-select",
                                  "vertical-align",
                                  "visibility",
                                  "white-space",
                                  "widows",
                                  "width",
                                  "will-change",
                                  "word-break",
                                  "word-spacing",
                                  "word-wrap",
                                  "writing-mode",
                                  "z-index",
                                  "zoom",
                                  "scrollbar-base-color",
                                  "scrollbar-arrow-color",
                                  "scrollbar-face-color",
                                  "scrollbar-track-color",
                                  "filter",
                                  "behavior"},
                                 true);
  return words;
}

const TKeywordSet& ColorNames() {
  static const TKeywordSet words({"aliceblue",
                                  "antiquewhite",
                                  "aqua",
                                  "aquamarine",
                                  "azure",
                                  "beige",
                                  "bisque",
                                  "black",
                                  "blanchedalmond",
                                  "blue",
                                  "blueviolet",
                                  "brown",
                                  "burlywood",
                                  "cadetblue",
                                  "chartreuse",
                                  "chocolate",
                                  "coral",
                                  "cornflowerblue",
                                  "cornsilk",
                                  "crimson",
                                  "currentcolor",
                                  "cyan",
                                  "darkblue",
                                  "darkcyan",
                                  "darkgoldenrod",
                                  "darkgray",
                                  "darkgreen",
                                  "darkgrey",
                                  "darkkhaki",
                                  "darkmagenta",
                                  "darkolivegreen",
                                  "darkorange",
                                  "darkorchid",
                                  "darkred",
                                  "darksalmon",
                                  "darkseagreen",
                                  "darkslateblue",
                                  "darkslategray",
                                  "darkslategrey",
                                  "darkturquoise",
                                  "darkviolet",
                                  "deeppink",
                                  "deepskyblue",
                                  "dimgray",
                                  "dimgrey",
                                  "dodgerblue",
                                  "firebrick",
                                  "floralwhite",
                                  "forestgreen",
                                  "fuchsia",
                                  "gainsboro",
                                  "ghostwhite",
                                  "gold",
                                  "goldenrod",
                                  "gray",
                                  "green",
                                  "greenyellow",
                                  "grey",
                                  "honeydew",
                                  "hotpink",
                                  "indianred",
                                  "indigo",
                                  "ivory",
                                  "khaki",
                                  "lavender",
                                  "lavenderblush",
                                  "lawngreen",
                                  "lemonchiffon",
                                  "lightblue",
                                  "lightcoral",
                                  "lightcyan",
                                  "lightgoldenrodyellow",
                                  "lightgray",
                                  "lightgreen",
                                  "lightgrey",
                                  "lightpink",
                                  "lightsalmon",
                                  "lightseagreen",
                                  "lightskyblue",
                                  "lightslategray",
                                  "lightslategrey",
                                  "lightsteelblue",
                                  "lightyellow",
                                  "lime",
                                  "limegreen",
                                  "linen",
                                  "magenta",
                                  "maroon",
                                  "mediumaquamarine",
                                  "mediumblue",
                                  "mediumorchid",
                                  "mediumpurple",
                                  "mediumseagreen",
                                  "mediumslateblue",
                                  "mediumspringgreen",
                                  "mediumturquoise",
                                  "mediumvioletred",
                                  "midnightblue",
                                  "mintcream",
                                  "mistyrose",
                                  "moccasin",
                                  "navajowhite",
                                  "navy",
                                  "oldlace",
                                  "olive",
                                  "olivedrab",
                                  "orange",
                                  "orangered",
                                  "orchid",
                                  "palegoldenrod",
                                  "palegreen",
                                  "paleturquoise",
                                  "palevioletred",
                                  "papayawhip",
                                  "peachpuff",
                                  "peru",
                                  "pink",
                                  "plum",
                                  "powderblue",
                                  "purple",
                                  "rebeccapurple",
                                  "red",
                                  "rosybrown",
                                  "royalblue",
                                  "saddlebrown",
                                  "salmon",
                                  "sandybrown",
                                  "seagreen",
                                  "seashell",
                                  "sienna",
                                  "silver",
                                  "skyblue",
                                  "slateblue",
                                  "slategray",
                                  "slategrey",
                                  "snow",
                                  "springgreen",
                                  "steelblue",
                                  "tan",
                                  "teal",
                                  "thistle",
                                  "tomato",
                                  "transparent",
                                  "turquoise",
                                  "violet",
                                  "wheat",
                                  "white",
                                  "whitesmoke",
                                  "yellow",
                                  "yellowgreen"},
                                 true);
  return words;
}

// At-rules whose block holds rules rather than declarations.
bool OpensRuleList(std::string_view name) {
  static const TKeywordSet names(
      {"@media", "@supports", "@document", "@-moz-document", "@layer", "@container", "@scope",
       "@starting-style", "@keyframes", "@-webkit-keyframes", "@-moz-keyframes"},
      true);
  return names.Contains(name);
}

bool IsIdentChar(unsigned char c) {
  return IsWordChar(c) || c == '-';
}

bool IsKnownProperty(std::string_view name) {
  if (name.starts_with("--")) return true;  // custom property
  if (name.size() > 1 && name[0] == '-') {
    std::size_t dash = name.find('-', 1);  // vendor prefix such as -webkit-
    if (dash != std::string_view::npos) name.remove_prefix(dash + 1);
  }
  return Properties().Contains(name);
}

}  // namespace

class TCssLexer {
 public:
  TCssLexer(TCssHighlighter& h, TScanner& s, TTokenWriter& out, THighlighterState state)
      : h_(h), s_(s), out_(out) {
    context_ = state & kContextMask;
    comment_ = (state & kCommentFlag) != 0;
    quote_ = (state >> kQuoteShift) & 3;
    ruleList_ = (state & kRuleListFlag) != 0;
    depth_ = (state >> kDepthShift) & kMaxDepth;
    blocks_ = (state >> kBlocksShift) & ((1u << kMaxDepth) - 1);
  }

  THighlighterState Run(bool endsLine) {
    endsLine_ = endsLine;
    RunLexer(s_, out_, [this] { return Step(); });
    return context_ | (comment_ ? kCommentFlag : 0) | (quote_ << kQuoteShift) |
           (ruleList_ ? kRuleListFlag : 0) | (depth_ << kDepthShift) | (blocks_ << kBlocksShift);
  }

 private:
  const THighlighterAttribute* Step() {
    if (comment_) {
      if (s_.SkipPast("*/")) comment_ = false;
      return h_.comment_;
    }
    if (quote_ != 0) return StringBody(quote_ == 1 ? '"' : '\'');
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return h_.space_;
    }
    if (c == '/' && s_.Peek(1) == '*') {
      s_.Advance(2);
      comment_ = true;
      return Step();
    }
    if (c == '"' || c == '\'') {
      s_.Advance();
      return StringBody(c);
    }
    if (c == '{' || c == '}' || c == ';') return BlockSymbol(c);
    if (c == '@' && IsIdentChar(s_.Peek(1))) return AtRule();
    switch (context_) {
      case kProperty:
        return Property();
      case kValue:
      case kAtRule:
        return Value();
      default:
        return Selector();
    }
  }

  const THighlighterAttribute* StringBody(unsigned char quote) {
    quote_ = 0;
    if (!s_.SkipQuoted(quote, '\\') && (!endsLine_ || s_.EndsWithEscape()))
      quote_ = quote == '"' ? 1 : 2;
    return h_.string_;
  }

  const THighlighterAttribute* BlockSymbol(unsigned char c) {
    s_.Advance();
    if (c == '{') {
      bool declarations = !(context_ == kAtRule && ruleList_);
      if (depth_ < kMaxDepth) {
        blocks_ = (blocks_ & ~(1u << depth_)) | ((declarations ? 1u : 0u) << depth_);
        ++depth_;
      }
      context_ = declarations ? kProperty : kSelector;
      ruleList_ = false;
    } else if (c == '}') {
      if (depth_ > 0) --depth_;
      context_ = InDeclarations() ? kProperty : kSelector;
      ruleList_ = false;
    } else {
      context_ = InDeclarations() ? kProperty : kSelector;
      ruleList_ = false;
    }
    return h_.symbol_;
  }

  bool InDeclarations() const { return depth_ > 0 && (blocks_ & (1u << (depth_ - 1))) != 0; }

  const THighlighterAttribute* AtRule() {
    std::size_t start = s_.pos;
    s_.Advance();
    s_.SkipWhile(IsIdentChar);
    ruleList_ = OpensRuleList(s_.Text(start));
    context_ = kAtRule;
    return h_.keyword_;
  }

  const THighlighterAttribute* Selector() {
    unsigned char c = s_.Peek();
    if (c == ',' || c == '>' || c == '+' || c == '~') {
      s_.Advance();
      return h_.symbol_;
    }
    s_.AdvanceChar();
    s_.SkipWhile([this](unsigned char b) {
      return !IsBlank(b) && b != '{' && b != '}' && b != ',' && b != '>' && b != '+' && b != '~' &&
             b != ';' && b != '"' && b != '\'' && !(b == '/' && s_.Peek(1) == '*');
    });
    return h_.selector_;
  }

  const THighlighterAttribute* Property() {
    unsigned char c = s_.Peek();
    if (c == ':') {
      s_.Advance();
      context_ = kValue;
      return h_.symbol_;
    }
    if (IsIdentChar(c)) {
      std::size_t start = s_.pos;
      s_.SkipWhile(IsIdentChar);
      return IsKnownProperty(s_.Text(start)) ? h_.property_ : h_.undefinedProperty_;
    }
    s_.AdvanceChar();
    return h_.symbol_;
  }

  const THighlighterAttribute* Value() {
    unsigned char c = s_.Peek();
    if (urlArgument_) return UrlArgument();
    if (c == '#') return HashValue();
    if (IsDigit(c) || (c == '.' && IsDigit(s_.Peek(1))) ||
        ((c == '-' || c == '+') && !IsIdentChar(s_.Prev()) &&
         (IsDigit(s_.Peek(1)) || (s_.Peek(1) == '.' && IsDigit(s_.Peek(2)))))) {
      return Number();
    }
    if (c == '!') {
      std::size_t start = s_.pos;
      s_.Advance();
      s_.SkipBlanks();
      if (s_.StartsWithNoCase("important")) {
        s_.Advance(9);
        return h_.keyword_;
      }
      s_.pos = start + 1;
      return h_.symbol_;
    }
    if (IsIdentChar(c)) {
      std::size_t start = s_.pos;
      s_.SkipWhile(IsIdentChar);
      std::string_view word = s_.Text(start);
      if (s_.Peek() == '(' && EqualsNoCase(word, "url")) urlArgument_ = true;
      return ColorNames().Contains(word) ? h_.color_ : h_.value_;
    }
    s_.AdvanceChar();
    return h_.symbol_;
  }

  // url( ... ): an unquoted address up to ")".
  const THighlighterAttribute* UrlArgument() {
    if (s_.Peek() == '(') {
      s_.Advance();
      return h_.symbol_;
    }
    urlArgument_ = false;
    if (s_.Peek() == '"' || s_.Peek() == '\'') return Step();
    s_.SkipWhile([](unsigned char b) { return b != ')'; });
    return h_.string_;
  }

  const THighlighterAttribute* HashValue() {
    std::size_t start = s_.pos;
    s_.Advance();
    s_.SkipWhile(IsIdentChar);
    std::size_t digits = s_.pos - start - 1;
    bool hex = digits == 3 || digits == 4 || digits == 6 || digits == 8;
    for (std::size_t i = start + 1; hex && i < s_.pos; ++i) {
      hex = IsHexDigit(static_cast<unsigned char>(s_.Range()[i - s_.Begin()]));
    }
    return hex ? h_.color_ : h_.value_;
  }

  const THighlighterAttribute* Number() {
    if (s_.Peek() == '-' || s_.Peek() == '+') s_.Advance();
    ScanNumber(s_, kDecimalNumbers);
    s_.SkipWhile([](unsigned char b) { return IsLetter(b) || b == '%'; });
    return h_.number_;
  }

  TCssHighlighter& h_;
  TScanner& s_;
  TTokenWriter& out_;
  THighlighterState context_;
  bool comment_;
  THighlighterState quote_;
  bool ruleList_;
  THighlighterState depth_;
  THighlighterState blocks_;
  bool endsLine_ = true;
  bool urlArgument_ = false;
};

TCssHighlighter::TCssHighlighter() : TSyntaxHighlighter("Cascading Style Sheet", "") {
  color_ = AddAttribute("Color", clBlue);
  comment_ = AddAttribute("Comment", clGray, fsItalic);
  number_ = AddAttribute("Number", clBlue);
  property_ = AddAttribute("Property", clNavy, fsBold);
  keyword_ = AddAttribute("Reserved Word", clMaroon, fsBold);
  selector_ = AddAttribute("Selector", clMaroon, fsPlain);
  space_ = AddAttribute("Space");
  string_ = AddAttribute("String", clBlack);
  symbol_ = AddAttribute("Symbol", clNavy);
  undefinedProperty_ = AddAttribute("Undefined Property", 0x806000, fsBold);
  value_ = AddAttribute("Value", clBlue);

  SetDefaults({.comment = comment_,
               .identifier = property_,
               .keyword = keyword_,
               .string = string_,
               .whitespace = space_,
               .symbol = symbol_});
}

THighlighterState TCssHighlighter::TokenizeRange(std::string_view line, std::size_t begin,
                                                 std::size_t end, bool endsLine,
                                                 THighlighterState start,
                                                 std::vector<TToken>& tokens) {
  TScanner s(line, begin, end);
  TTokenWriter out(tokens);
  return TCssLexer(*this, s, out, start).Run(endsLine);
}

}  // namespace tervil
