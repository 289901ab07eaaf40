#include "core/highlighters/SchemePattern.h"

#include <cstring>
#include <stdexcept>

#include "core/highlighters/LexerTools.h"

namespace tervil {

namespace {

bool IsMeta(char c) {
  return std::strchr(".[]()^$*+?{}|", c) != nullptr && c != 0;
}
bool IsQuantifier(char c) {
  return c == '*' || c == '?' || c == '{' || c == '+';
}

// Whether a "|" outside brackets and groups splits the whole expression.
bool HasTopLevelAlternation(std::string_view p) {
  int depth = 0;
  bool inClass = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    char c = p[i];
    if (c == '\\') {
      ++i;
    } else if (inClass) {
      inClass = c != ']';
    } else if (c == '[') {
      inClass = true;
      if (i + 1 < p.size() && p[i + 1] == ']') ++i;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == '|' && depth == 0) {
      return true;
    }
  }
  return false;
}

// The ASCII characters every match starts with; `whole` tells whether they are the whole
// expression.
std::string FindLiteralPrefix(std::string_view p, bool& whole) {
  std::string prefix;
  whole = false;
  if (HasTopLevelAlternation(p)) return prefix;
  std::size_t i = 0;
  while (i < p.size()) {
    char c = p[i];
    char literal = c;
    std::size_t length = 1;
    if (c == '\\') {
      if (i + 1 >= p.size()) return prefix;
      literal = p[i + 1];
      if (IsLetter(static_cast<unsigned char>(literal)) ||
          IsDigit(static_cast<unsigned char>(literal)) ||
          static_cast<unsigned char>(literal) >= 0x80)
        return prefix;
      length = 2;
    } else if (IsMeta(c) || static_cast<unsigned char>(c) >= 0x80) {
      return prefix;
    }
    std::size_t next = i + length;
    if (next < p.size() && IsQuantifier(p[next])) {
      if (p[next] == '+') prefix += literal;
      return prefix;
    }
    prefix += literal;
    i = next;
  }
  whole = true;
  return prefix;
}

}  // namespace

TSchemePattern::TSchemePattern(std::string_view expression, bool caseSensitive)
    : caseSensitive_(caseSensitive) {
  TPcre2Regex::TOptions options;
  options.caseless = !caseSensitive;
  options.notEmpty = true;
  Compile(code_, expression, options);
  // Matches tried at every candidate position must not each search the rest of the line for
  // a character the expression needs (the ">" of a start tag): that made long lines quadratic.
  options.anchored = true;
  options.noStartOptimize = true;
  Compile(anchored_, expression, options);
  prefix_ = FindLiteralPrefix(expression, wholeLiteral_);
  WorkOutFirstBytes();
}

void TSchemePattern::Compile(TPcre2Regex& regex, std::string_view expression,
                             const TPcre2Regex::TOptions& options) {
  if (auto error = regex.Compile(expression, options, {kMatchLimit, kMatchLimit, 0})) {
    throw std::invalid_argument("Invalid expression \"" + std::string(expression) +
                                "\" at offset " + std::to_string(error->offset) + ": " +
                                error->message);
  }
}

std::optional<TPatternMatch> TSchemePattern::Match(TPcre2Regex& regex, std::string_view line,
                                                   std::size_t at, std::size_t end) {
  if (regex.Match(line.data(), end, at) != TPcre2Regex::TOutcome::Match) return std::nullopt;
  std::size_t start = 0, stop = 0;
  regex.Group(0, start, stop);
  if (stop <= start || stop > end) return std::nullopt;
  return TPatternMatch{start, stop};
}

void TSchemePattern::WorkOutFirstBytes() {
  auto addByte = [this](std::uint32_t unit) {
    if (unit >= 0x80 && !caseSensitive_) return false;
    firstBytes_.set(unit & 0xFF);
    if (!caseSensitive_ && IsLetter(static_cast<unsigned char>(unit)))
      firstBytes_.set(static_cast<unsigned char>(unit) ^ 0x20);
    return true;
  };
  if (!prefix_.empty()) {
    hasFirstBytes_ = addByte(static_cast<unsigned char>(prefix_[0]));
    return;
  }
  if (const std::optional<std::uint32_t> unit = code_.FirstCodeUnit()) {
    hasFirstBytes_ = addByte(*unit);
    if (!hasFirstBytes_) firstBytes_.reset();
    return;
  }
  if (const std::uint8_t* bitmap = code_.FirstByteBitmap()) {
    for (int b = 0; b < 256; ++b) {
      if (bitmap[b / 8] & (1u << (b % 8))) firstBytes_.set(b);
    }
    hasFirstBytes_ = true;
  }
}

bool TSchemePattern::PrefixMatches(std::string_view line, std::size_t at, std::size_t end) const {
  if (prefix_.size() > end - at) return false;
  std::string_view text = line.substr(at, prefix_.size());
  return caseSensitive_ ? text == prefix_ : EqualsNoCase(text, prefix_);
}

std::optional<TPatternMatch> TSchemePattern::MatchAt(std::string_view line, std::size_t at,
                                                     std::size_t end) const {
  if (end > line.size()) end = line.size();
  if (at >= end) return std::nullopt;
  if (!prefix_.empty()) {
    if (!PrefixMatches(line, at, end)) return std::nullopt;
    if (wholeLiteral_) return TPatternMatch{at, at + prefix_.size()};
  }
  return Match(anchored_, line, at, end);
}

std::optional<TPatternMatch> TSchemePattern::Find(std::string_view line, std::size_t from,
                                                  std::size_t end) const {
  if (end > line.size()) end = line.size();
  if (from >= end) return std::nullopt;
  if (!hasFirstBytes_) return Match(code_, line, from, end);
  for (std::size_t at = from; at < end; ++at) {
    if (!firstBytes_.test(static_cast<unsigned char>(line[at]))) continue;
    if (auto match = MatchAt(line, at, end)) return match;
  }
  return std::nullopt;
}

}  // namespace tervil
