#pragma once

// A PHP tokenizer for the structure analyser. It cuts the text of a PHP document into the tokens
// that matter for finding declarations: words, variables, symbols, and whole strings, comments
// and attributes as single tokens, so that nothing inside them is ever read as code. White space
// and text outside PHP blocks produce no token.
//
// It follows PHP's own rules where they decide what is code: escapes in quoted strings, "{$...}"
// interpolation, heredoc and nowdoc with indented closing markers, "#[" attributes, and "?>"
// ending a line comment. When the text holds no "<?" at all, the whole text is read as PHP code
// (a snippet); otherwise the text before the first "<?" is outside PHP, as PHP reads it.
//
// Any text is accepted: unterminated strings, comments and heredocs run to the end of the text,
// and the work is linear in the length of the text.
//
// What the structure analyser never looks into is left out, so that the tokens of a large
// document take little memory: the body of a function, method or closure comes as its two braces
// only, and a "__halt_compiler();" statement ends the tokens (what follows it is data).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tervil {

enum class TPhpTokenKind : std::uint8_t {
  Word,       // identifier or keyword, namespaced names included ("Foo\Bar", "\Foo")
  Variable,   // "$" followed by a name
  Symbol,     // punctuation: one character, or "::", "->", "?->", "=>", "..."
  String,     // quoted string, heredoc, nowdoc or backtick command, quotes included
  Number,     // numeric literal
  Comment,    // "//", "#" or "/* */" comment; a line comment ends before its line break
  Attribute,  // "#[" ... "]" with everything inside
  OpenTag,    // "<?php", "<?=" or "<?"
  CloseTag,   // "?>"
};

// Eight bytes a token: its kind follows from its text (PhpTokenKind). Texts are at most
// INT_MAX bytes long.
struct TPhpToken {
  std::uint32_t Start = 0;  // byte offset of the first byte
  std::uint32_t End = 0;    // byte offset just after the last byte
};

// A list of tokens kept in blocks of fixed size: it grows without ever copying what it holds, so
// a large document never needs room for its tokens twice.
class TPhpTokenList {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  TPhpToken& operator[](std::size_t i) { return blocks_[i >> kShift][i & kMask]; }
  const TPhpToken& operator[](std::size_t i) const { return blocks_[i >> kShift][i & kMask]; }
  void push_back(const TPhpToken& token) {
    if ((size_ & kMask) == 0)
      blocks_.push_back(std::make_unique_for_overwrite<TPhpToken[]>(kMask + 1));
    blocks_.back()[size_ & kMask] = token;
    ++size_;
  }
  // Frees the blocks that hold only tokens before `index`; those tokens must not be read again.
  void ReleaseBefore(std::size_t index) {
    for (; released_ < (index >> kShift) && released_ < blocks_.size(); ++released_)
      blocks_[released_].reset();
  }

 private:
  static constexpr unsigned kShift = 15;  // 32768 tokens, 256 KB a block
  static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<TPhpToken[]>> blocks_;
  std::size_t size_ = 0;
  std::size_t released_ = 0;  // blocks freed by ReleaseBefore
};

// The tokens of `text` in order. Offsets are byte offsets into `text`. When `cancel` is raised
// the reading stops early and the tokens read so far are returned.
TPhpTokenList TokenizePhp(std::string_view text, const std::atomic<bool>* cancel = nullptr);

// The kind of a token of `text`.
TPhpTokenKind PhpTokenKind(std::string_view text, const TPhpToken& token);

// Whether the token is the word `lowerWord`, compared without regard to ASCII case (PHP keywords
// are case-insensitive). `lowerWord` must be lower case.
bool IsPhpWord(std::string_view text, const TPhpToken& token, std::string_view lowerWord);

// Whether the token is the symbol `symbol`, exactly.
bool IsPhpSymbol(std::string_view text, const TPhpToken& token, std::string_view symbol);

}  // namespace tervil
