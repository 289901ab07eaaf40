#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/Highlighter.h"

namespace tervil::testing {

// Splits `text` at "\n".
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\n', start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// Checks what every tokenizer promises: tokens in order, not empty, not overlapping, inside
// the line and, together, covering it.
inline void ExpectWellFormed(std::string_view line, const std::vector<TToken>& tokens) {
  std::size_t next = 0;
  for (const TToken& token : tokens) {
    ASSERT_GT(token.length, 0) << "in line: " << line;
    ASSERT_EQ(static_cast<std::size_t>(token.start), next) << "in line: " << line;
    next = static_cast<std::size_t>(token.start) + static_cast<std::size_t>(token.length);
    ASSERT_LE(next, line.size()) << "in line: " << line;
  }
  ASSERT_EQ(next, line.size()) << "in line: " << line;
}

// Tokenizes the lines one after the other, each from the state the previous one ended in.
inline std::vector<std::vector<TToken>> TokenizeAll(
    THighlighter& highlighter, const std::vector<std::string>& lines,
    std::vector<THighlighterState>* ends = nullptr) {
  std::vector<std::vector<TToken>> result;
  THighlighterState state = 0;
  for (const std::string& line : lines) {
    result.emplace_back();
    state = highlighter.TokenizeLine(line, state, result.back());
    ExpectWellFormed(line, result.back());
    if (ends) ends->push_back(state);
  }
  return result;
}

// One expectation of a token table: every byte of the `occurrence`-th `text` in line `line`
// has the attribute called `attribute`.
struct TSpan {
  int line;
  std::string text;
  std::string attribute;
  int occurrence = 0;
};

// Names an attribute for the table; the default is its own name.
using TAttributeNamer = std::string (*)(const THighlighterAttribute*);
inline std::string PlainName(const THighlighterAttribute* attribute) {
  return attribute ? attribute->name : std::string("(none)");
}

template <class Namer = TAttributeNamer>
void ExpectSpans(THighlighter& highlighter, std::string_view text, const std::vector<TSpan>& spans,
                 Namer namer = PlainName) {
  std::vector<std::string> lines = Lines(text);
  auto tokens = TokenizeAll(highlighter, lines);
  for (const TSpan& span : spans) {
    SCOPED_TRACE("line " + std::to_string(span.line) + " \"" + span.text + "\"");
    ASSERT_LT(static_cast<std::size_t>(span.line), lines.size());
    const std::string& line = lines[static_cast<std::size_t>(span.line)];
    std::size_t at = line.find(span.text);
    for (int i = 0; i < span.occurrence && at != std::string::npos; ++i)
      at = line.find(span.text, at + 1);
    ASSERT_NE(at, std::string::npos) << "not in line: " << line;
    for (std::size_t byte = at; byte < at + span.text.size(); ++byte) {
      std::string found = "(no token)";
      for (const TToken& token : tokens[static_cast<std::size_t>(span.line)]) {
        if (byte >= static_cast<std::size_t>(token.start) &&
            byte < static_cast<std::size_t>(token.start + token.length))
          found = namer(token.attribute);
      }
      ASSERT_EQ(found, span.attribute) << "at byte " << byte << " of: " << line;
    }
  }
}

// A tiny deterministic generator for robustness tests.
class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : state_(seed * 2862933555777941757ull + 3037000493ull) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 11);
  }
  std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }

 private:
  std::uint64_t state_;
};

}  // namespace tervil::testing
