#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

// Font style bits of a highlighter attribute, as stored in the settings.
enum TFontStyleBits : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A named style a highlighter gives to its tokens.
struct THighlighterAttribute {
  std::string name;
  TColor background = clNone;
  TColor foreground = clNone;
  int style = 0;  // TFontStyleBits
};

// One coloured run of a line. Offsets and lengths are bytes of the line's UTF-8 text.
struct TToken {
  int start = 0;
  int length = 0;
  const THighlighterAttribute* attribute = nullptr;  // nullptr: the editor's plain text colours
};

// Opaque state between two lines; 0 is the state before the first line of a document.
using THighlighterState = std::uint32_t;

// The token kinds for which a highlighter names a default attribute. Editing rules compare the
// attribute at a position with these by identity ("not in a string or comment").
enum class THighlighterDefault { Comment, Identifier, Keyword, String, Whitespace, Symbol };

// Splits lines into tokens. A highlighter never reads past the line it is given, so a
// document can keep one state per line and re-tokenize only what an edit touched.
class THighlighter {
 public:
  virtual ~THighlighter() = default;

  virtual std::string LanguageName() const = 0;
  virtual std::string DefaultFilter() const = 0;
  virtual bool IsMulti() const { return false; }

  virtual std::vector<THighlighterAttribute*> Attributes() = 0;

  // Appends the tokens of `line` to `tokens` and returns the state after the line.
  virtual THighlighterState TokenizeLine(std::string_view line, THighlighterState start,
                                         std::vector<TToken>& tokens) = 0;

  // The attribute this highlighter gives to tokens of `kind`; nullptr when it has none.
  virtual const THighlighterAttribute* DefaultAttribute(THighlighterDefault kind) const {
    (void)kind;
    return nullptr;
  }
  // Whether `attribute` is the `kind` default of this highlighter or, for a multi highlighter,
  // of one of the highlighters it embeds. nullptr (no token) never is.
  virtual bool IsDefaultAttribute(const THighlighterAttribute* attribute,
                                  THighlighterDefault kind) const {
    return attribute != nullptr && attribute == DefaultAttribute(kind);
  }
};

}  // namespace tervil
