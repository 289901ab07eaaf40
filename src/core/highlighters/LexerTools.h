#pragma once

// The lexing machinery the highlighters share: character classes, a keyword set, a label table
// for states that must remember a word (heredoc labels, raw string delimiters), a scanner that
// never reads outside its range and a token writer that merges neighbouring runs.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/editcomponent/Highlighter.h"

namespace tervil {

namespace charclass {

enum : std::uint8_t { kLetter = 1, kDigit = 2, kHex = 4, kBlank = 8, kHigh = 16, kUnderscore = 32 };

struct TTable {
  std::uint8_t bits[256];
};

constexpr TTable MakeTable() {
  TTable t{};
  for (int c = 0; c < 256; ++c) {
    std::uint8_t b = 0;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) b |= kLetter;
    if (c >= '0' && c <= '9') b |= kDigit | kHex;
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) b |= kHex;
    if (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n') b |= kBlank;
    if (c >= 0x80) b |= kHigh;
    if (c == '_') b |= kUnderscore;
    t.bits[c] = b;
  }
  return t;
}

inline constexpr TTable kTable = MakeTable();

inline bool Has(unsigned char c, std::uint8_t bits) {
  return (kTable.bits[c] & bits) != 0;
}

}  // namespace charclass

inline bool IsLetter(unsigned char c) {
  return charclass::Has(c, charclass::kLetter);
}
inline bool IsDigit(unsigned char c) {
  return charclass::Has(c, charclass::kDigit);
}
inline bool IsHexDigit(unsigned char c) {
  return charclass::Has(c, charclass::kHex);
}
inline bool IsOctalDigit(unsigned char c) {
  return c >= '0' && c <= '7';
}
inline bool IsBinaryDigit(unsigned char c) {
  return c == '0' || c == '1';
}
inline bool IsBlank(unsigned char c) {
  return charclass::Has(c, charclass::kBlank);
}
// Letters, "_" and every byte of a non-ASCII character start a word.
inline bool IsWordStart(unsigned char c) {
  return charclass::Has(c, charclass::kLetter | charclass::kUnderscore | charclass::kHigh);
}
inline bool IsWordChar(unsigned char c) {
  return charclass::Has(
      c, charclass::kLetter | charclass::kDigit | charclass::kUnderscore | charclass::kHigh);
}
inline unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
bool EqualsNoCase(std::string_view a, std::string_view b);

// A fixed set of words, looked up without allocating; optionally ignoring ASCII case.
class TKeywordSet {
 public:
  TKeywordSet(std::initializer_list<std::string_view> words, bool ignoreCase);
  bool Contains(std::string_view word) const;
  bool IgnoresCase() const { return ignoreCase_; }

 private:
  std::uint32_t Hash(std::string_view word) const;

  bool ignoreCase_;
  std::size_t minLength_ = SIZE_MAX;
  std::size_t maxLength_ = 0;
  std::vector<std::string> words_;
  std::vector<std::int32_t> slots_;  // index into words_, -1 for empty
  std::uint32_t mask_ = 0;
};

// Gives small numbers to words a line state has to carry. Id 0 means "no word".
class TLabelTable {
 public:
  static constexpr std::uint32_t kMaxId = (1u << 20) - 1;
  // Returns the id of `label`, or 0 when the table is full.
  std::uint32_t Intern(std::string_view label);
  // The label of `id`; empty for 0 and for ids never given out.
  std::string_view Label(std::uint32_t id) const;

 private:
  std::vector<std::string> labels_{std::string()};
  std::unordered_map<std::string, std::uint32_t> ids_;
};

// Reads bytes [begin, end) of one line and nothing else.
class TScanner {
 public:
  TScanner(std::string_view line, std::size_t begin, std::size_t end)
      : data_(line.data()), begin_(begin), end_(end < line.size() ? end : line.size()) {
    if (begin_ > end_) begin_ = end_;
    pos = begin_;
  }

  std::size_t pos;

  std::size_t Begin() const { return begin_; }
  std::size_t End() const { return end_; }
  bool AtEnd() const { return pos >= end_; }
  bool AtBegin() const { return pos == begin_; }
  // The byte `ahead` places after the current one, 0 beyond the range.
  unsigned char Peek(std::size_t ahead = 0) const {
    return pos + ahead < end_ ? static_cast<unsigned char>(data_[pos + ahead]) : 0;
  }
  // The byte before the current one, 0 at the start of the range.
  unsigned char Prev() const {
    return pos > begin_ ? static_cast<unsigned char>(data_[pos - 1]) : 0;
  }
  std::string_view Rest() const { return {data_ + pos, end_ - pos}; }
  std::string_view Text(std::size_t from) const { return {data_ + from, pos - from}; }
  // The whole range, for rules that look at the start of the line.
  std::string_view Range() const { return {data_ + begin_, end_ - begin_}; }

  bool StartsWith(std::string_view s) const { return Rest().substr(0, s.size()) == s; }
  bool StartsWithNoCase(std::string_view s) const {
    return s.size() <= end_ - pos && EqualsNoCase(Rest().substr(0, s.size()), s);
  }

  void Advance(std::size_t n = 1) { pos = (n < end_ - pos) ? pos + n : end_; }
  // Moves over one character, all bytes of a UTF-8 sequence together.
  void AdvanceChar();
  void SkipToEnd() { pos = end_; }
  void SkipBlanks() {
    while (pos < end_ && IsBlank(static_cast<unsigned char>(data_[pos]))) ++pos;
  }
  void SkipWordChars() {
    while (pos < end_ && IsWordChar(static_cast<unsigned char>(data_[pos]))) ++pos;
  }
  template <class Pred>
  void SkipWhile(Pred pred) {
    while (pos < end_ && pred(static_cast<unsigned char>(data_[pos]))) ++pos;
  }
  // Moves past the next `terminator`; without one, to the end of the range. Returns whether
  // it was found.
  bool SkipPast(std::string_view terminator);
  // Moves to the next `terminator` (or the end) without passing it.
  bool SkipTo(std::string_view terminator);
  // Inside a quoted text whose opening quote lies before pos: moves past the closing `quote`.
  // `escape` (0 for none) protects the next byte; with `doubled`, two quotes stand for one.
  // Returns false when the range ends first.
  bool SkipQuoted(unsigned char quote, unsigned char escape, bool doubled = false);
  // Whether the range ends in an odd number of backslashes: a last one that escapes the line
  // break, so that a string or directive goes on on the next line.
  bool EndsWithEscape() const;

 private:
  const char* data_;
  std::size_t begin_;
  std::size_t end_;
};

// Appends tokens, joining a token to the previous one when both have the same attribute.
class TTokenWriter {
 public:
  explicit TTokenWriter(std::vector<TToken>& tokens) : tokens_(tokens) {}
  void Add(std::size_t start, std::size_t end, const THighlighterAttribute* attribute) {
    if (end <= start) return;
    if (!tokens_.empty()) {
      TToken& last = tokens_.back();
      if (last.attribute == attribute &&
          static_cast<std::size_t>(last.start) + static_cast<std::size_t>(last.length) == start) {
        last.length += static_cast<int>(end - start);
        return;
      }
    }
    tokens_.push_back({static_cast<int>(start), static_cast<int>(end - start), attribute});
  }

 private:
  std::vector<TToken>& tokens_;
};

// Runs `next` until the range is used up: `next` scans one token from s.pos and returns its
// attribute. A step that consumes nothing is made to take one character, so no rule can stall.
template <class Next>
void RunLexer(TScanner& s, TTokenWriter& out, Next&& next) {
  while (!s.AtEnd()) {
    std::size_t start = s.pos;
    const THighlighterAttribute* attribute = next();
    if (s.pos <= start) {
      s.pos = start;
      s.AdvanceChar();
    }
    out.Add(start, s.pos, attribute);
  }
}

// Number literals of C-like languages.
struct TNumberSyntax {
  bool hexPrefix = true;      // 0x1F
  bool binaryPrefix = false;  // 0b101
  bool octalPrefix = false;   // 0o17
  char separator = 0;         // "_" or "'" between digits
  bool suffixes = true;       // letters after the number (10L, 1.5f, 10px) belong to it
};

// Decimal numbers only, nothing after them.
inline constexpr TNumberSyntax kDecimalNumbers{false, false, false, 0, false};

// Moves over the number at s.pos (see StartsNumber).
void ScanNumber(TScanner& s, const TNumberSyntax& syntax);

// Whether a number starts at s.pos, where the byte is `c`: a digit, or "." followed by a digit.
inline bool StartsNumber(const TScanner& s, unsigned char c) {
  return IsDigit(c) || (c == '.' && IsDigit(s.Peek(1)));
}

// The offset of code point `column` (counted from 1) in `line`; line.size() when the line is
// shorter.
std::size_t ByteOffsetOfColumn(std::string_view line, int column);

}  // namespace tervil
