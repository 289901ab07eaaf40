#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/Highlighter.h"

namespace tervil {

// Plain font style, as the defaults of a colour table say "plain".
constexpr int fsPlain = 0;

// Base of every highlighter of the program: owns the attributes, knows its language name, default
// file filter and default attributes, and tokenizes any byte range of a line so that a multi
// highlighter can hand it the part of a line that belongs to its language.
// Tokenizing may record words a line state refers to (heredoc labels, raw string delimiters,
// multi highlighter states), so one highlighter serves one thread at a time.
class TSyntaxHighlighter : public THighlighter {
 public:
  TSyntaxHighlighter(std::string languageName, std::string defaultFilter);
  TSyntaxHighlighter(const TSyntaxHighlighter&) = delete;
  TSyntaxHighlighter& operator=(const TSyntaxHighlighter&) = delete;

  std::string LanguageName() const override { return languageName_; }
  // "Description|*.ext1;*.ext2", or empty.
  std::string DefaultFilter() const override { return defaultFilter_; }

  // The attributes sorted by name.
  std::vector<THighlighterAttribute*> Attributes() override;
  THighlighterAttribute* FindAttribute(std::string_view name);

  const THighlighterAttribute* DefaultAttribute(THighlighterDefault kind) const override {
    return defaults_[static_cast<std::size_t>(kind)];
  }

  THighlighterState TokenizeLine(std::string_view line, THighlighterState start,
                                 std::vector<TToken>& tokens) final {
    return TokenizeRange(line, 0, line.size(), true, start, tokens);
  }

  // Appends the tokens of bytes [begin, end) of `line` (offsets stay relative to the line) and
  // returns the state after them. `endsLine` is false when an enclosing highlighter takes over
  // at `end`; constructs that cannot cross a line end then keep going in the returned state.
  // Never reads outside [begin, end).
  virtual THighlighterState TokenizeRange(std::string_view line, std::size_t begin, std::size_t end,
                                          bool endsLine, THighlighterState start,
                                          std::vector<TToken>& tokens) = 0;

 protected:
  THighlighterAttribute* AddAttribute(std::string name, TColor foreground = clNone,
                                      int style = fsPlain, TColor background = clNone);
  // The attributes that stand for each kind of text, in the order of THighlighterDefault.
  struct TDefaults {
    const THighlighterAttribute* comment;
    const THighlighterAttribute* identifier;
    const THighlighterAttribute* keyword;
    const THighlighterAttribute* string;
    const THighlighterAttribute* whitespace;
    const THighlighterAttribute* symbol;
  };
  void SetDefaults(const TDefaults& defaults) {
    defaults_ = {defaults.comment, defaults.identifier, defaults.keyword,
                 defaults.string,  defaults.whitespace, defaults.symbol};
  }

 private:
  std::string languageName_;
  std::string defaultFilter_;
  std::vector<std::unique_ptr<THighlighterAttribute>> attributes_;
  std::array<const THighlighterAttribute*, 6> defaults_{};
};

// Base of the highlighters of programming languages and plain text: the attributes all of them
// have. The derived constructor adds them, with its own colours, and calls SetCodeDefaults().
class TCodeHighlighter : public TSyntaxHighlighter {
 protected:
  using TSyntaxHighlighter::TSyntaxHighlighter;

  // Comments, identifiers, reserved words, strings, space and symbols stand for the kinds of
  // text.
  void SetCodeDefaults() {
    SetDefaults({.comment = comment_,
                 .identifier = identifier_,
                 .keyword = keyword_,
                 .string = string_,
                 .whitespace = space_,
                 .symbol = symbol_});
  }

  THighlighterAttribute* comment_ = nullptr;
  THighlighterAttribute* identifier_ = nullptr;
  THighlighterAttribute* keyword_ = nullptr;  // "Reserved Word"
  THighlighterAttribute* number_ = nullptr;
  THighlighterAttribute* space_ = nullptr;
  THighlighterAttribute* string_ = nullptr;
  THighlighterAttribute* symbol_ = nullptr;
};

}  // namespace tervil
