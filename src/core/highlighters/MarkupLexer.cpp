#include "core/highlighters/MarkupLexer.h"

namespace tervil {

namespace {

enum TMarkupMode : THighlighterState {
  kText = 0,
  kInTag,
  kAfterEquals,
  kValueDouble,
  kValueSingle,
  kComment,
  kDeclaration,
  kDeclarationSubset,
  kProcessing,
  kCData,
  kModeCount
};

bool IsNameStart(unsigned char c) {
  return IsLetter(c) || c == '_' || c == ':' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
  return IsWordChar(c) || c == '-' || c == ':' || c == '.';
}
bool IsAttributeNameChar(unsigned char c) {
  return !IsBlank(c) && c != '>' && c != '/' && c != '=' && c != '"' && c != '\'' && c != '<';
}

class TMarkupLexer {
 public:
  TMarkupLexer(TScanner& s, TTokenWriter& out, const TMarkupStyle& style, THighlighterState mode)
      : s_(s), out_(out), style_(style), mode_(mode < kModeCount ? mode : kText) {}

  THighlighterState Run() {
    RunLexer(s_, out_, [this] { return Step(); });
    return mode_;
  }

 private:
  const THighlighterAttribute* Step() {
    switch (mode_) {
      case kInTag:
        return InTag();
      case kAfterEquals:
        return AfterEquals();
      case kValueDouble:
        return Value('"');
      case kValueSingle:
        return Value('\'');
      case kComment:
        return Until("-->", kText, style_.comment);
      case kDeclaration:
        return Declaration();
      case kDeclarationSubset:
        return Until("]", kDeclaration, style_.declaration);
      case kProcessing:
        return Until(style_.xml ? "?>" : ">", kText, style_.processing);
      case kCData:
        return Until("]]>", kText, style_.cdata);
      default:
        return Text();
    }
  }

  const THighlighterAttribute* Until(std::string_view terminator, TMarkupMode next,
                                     const THighlighterAttribute* attribute) {
    if (s_.SkipPast(terminator)) mode_ = next;
    return attribute;
  }

  const THighlighterAttribute* Text() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return style_.space;
    }
    if (c == '<') {
      if (const THighlighterAttribute* markup = OpenMarkup()) return markup;
    } else if (c == '&' && SkipEntity()) {
      return style_.entity;
    }
    s_.Advance();
    s_.SkipWhile([](unsigned char b) { return b != '<' && b != '&' && !IsBlank(b); });
    return style_.text;
  }

  // At "<": a tag, comment, declaration, processing instruction or CDATA section, or nullptr
  // when the "<" is plain text.
  const THighlighterAttribute* OpenMarkup() {
    if (s_.StartsWith("<!--")) {
      s_.Advance(4);
      mode_ = kComment;
      return Until("-->", kText, style_.comment);
    }
    if (style_.xml && s_.StartsWith("<![CDATA[")) {
      s_.Advance(9);
      mode_ = kCData;
      return Until("]]>", kText, style_.cdata);
    }
    if (s_.StartsWith("<!")) {
      s_.Advance(2);
      mode_ = kDeclaration;
      return style_.declaration;
    }
    if (s_.StartsWith("<?")) {
      s_.Advance(2);
      mode_ = kProcessing;
      return Until(style_.xml ? "?>" : ">", kText, style_.processing);
    }
    std::size_t nameAt = s_.Peek(1) == '/' ? 2 : 1;
    if (!IsNameStart(s_.Peek(nameAt))) return nullptr;
    s_.Advance(nameAt);
    mode_ = kInTag;
    return style_.symbol;
  }

  bool SkipEntity() {
    std::size_t start = s_.pos;
    s_.Advance();
    if (s_.Peek() == '#') {
      s_.Advance();
      if (AsciiLower(s_.Peek()) == 'x' && IsHexDigit(s_.Peek(1))) {
        s_.Advance();
        s_.SkipWhile(IsHexDigit);
      } else if (IsDigit(s_.Peek())) {
        s_.SkipWhile(IsDigit);
      } else {
        s_.pos = start;
        return false;
      }
    } else if (IsLetter(s_.Peek())) {
      s_.SkipWhile([](unsigned char c) { return IsLetter(c) || IsDigit(c); });
    } else {
      s_.pos = start;
      return false;
    }
    if (s_.Peek() == ';') s_.Advance();
    return true;
  }

  const THighlighterAttribute* InTag() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return style_.space;
    }
    if (IsNameStart(c) && (s_.Prev() == '<' || s_.Prev() == '/') && TagNameFollowsOpener()) {
      return TagName();
    }
    switch (c) {
      case '>':
        s_.Advance();
        mode_ = kText;
        return style_.symbol;
      case '/':
        s_.Advance();
        if (s_.Peek() == '>') {
          s_.Advance();
          mode_ = kText;
        }
        return style_.symbol;
      case '=':
        s_.Advance();
        mode_ = kAfterEquals;
        return style_.symbol;
      case '"':
      case '\'':
        return QuotedValue(c);
      case '<':
        // A tag left open: the next one starts here.
        if (const THighlighterAttribute* markup = OpenMarkup()) return markup;
        s_.Advance();
        return style_.symbol;
      default:
        s_.SkipWhile(IsAttributeNameChar);
        return style_.attributeName;
    }
  }

  // The previous bytes of the range are "<" or "</" that opened this tag.
  bool TagNameFollowsOpener() const {
    std::string_view before = s_.Range().substr(0, s_.pos - s_.Begin());
    return before.ends_with("<") || before.ends_with("</");
  }

  const THighlighterAttribute* TagName() {
    std::size_t start = s_.pos;
    s_.SkipWhile(IsNameChar);
    if (style_.knownTags == nullptr || style_.knownTags->Contains(s_.Text(start)))
      return style_.tagName;
    return style_.unknownTagName;
  }

  const THighlighterAttribute* AfterEquals() {
    unsigned char c = s_.Peek();
    if (IsBlank(c)) {
      s_.SkipBlanks();
      return style_.space;
    }
    if (c == '"' || c == '\'') return QuotedValue(c);
    mode_ = kInTag;
    if (c == '>') {
      s_.Advance();
      mode_ = kText;
      return style_.symbol;
    }
    s_.SkipWhile([](unsigned char b) { return !IsBlank(b) && b != '>'; });
    return style_.attributeValue;
  }

  const THighlighterAttribute* QuotedValue(unsigned char quote) {
    s_.Advance();
    mode_ = quote == '"' ? kValueDouble : kValueSingle;
    return Value(quote);
  }

  const THighlighterAttribute* Value(unsigned char quote) {
    if (s_.SkipQuoted(quote, 0)) mode_ = kInTag;
    return style_.attributeValue;
  }

  const THighlighterAttribute* Declaration() {
    s_.SkipWhile([](unsigned char c) { return c != '>' && c != '['; });
    if (s_.Peek() == '>') {
      s_.Advance();
      mode_ = kText;
    } else if (s_.Peek() == '[') {
      s_.Advance();
      mode_ = kDeclarationSubset;
    }
    return style_.declaration;
  }

  TScanner& s_;
  TTokenWriter& out_;
  const TMarkupStyle& style_;
  THighlighterState mode_;
};

}  // namespace

THighlighterState TokenizeMarkup(TScanner& s, THighlighterState state, TTokenWriter& out,
                                 const TMarkupStyle& style) {
  return TMarkupLexer(s, out, style, state).Run();
}

}  // namespace tervil
