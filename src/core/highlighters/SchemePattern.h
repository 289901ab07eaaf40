#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/common/Pcre2Regex.h"

namespace tervil {

struct TPatternMatch {
  std::size_t start = 0;
  std::size_t end = 0;
};

// One start or end expression of a multi highlighter scheme: a PCRE2 expression in UTF mode
// (bytes that are not valid UTF-8 simply never match), optionally case-insensitive. Matches
// are never empty and never reach past the `end` they are given. The bytes a match can start
// with and a literal prefix are worked out once, so that a line is scanned cheaply and the
// expression only runs where a match is possible. Not thread-safe (it keeps its match data).
class TSchemePattern {
 public:
  // Throws std::invalid_argument with the compiler's message when the expression is wrong.
  TSchemePattern(std::string_view expression, bool caseSensitive);
  TSchemePattern(const TSchemePattern&) = delete;
  TSchemePattern& operator=(const TSchemePattern&) = delete;

  // The match starting exactly at `at`, looking at line[0, end) only.
  std::optional<TPatternMatch> MatchAt(std::string_view line, std::size_t at,
                                       std::size_t end) const;
  // The first match starting in [from, end).
  std::optional<TPatternMatch> Find(std::string_view line, std::size_t from, std::size_t end) const;

  // Whether FirstBytes() is known; otherwise a match may start with any byte.
  bool HasFirstBytes() const { return hasFirstBytes_; }
  const std::bitset<256>& FirstBytes() const { return firstBytes_; }
  const std::string& LiteralPrefix() const { return prefix_; }

  // Cap on the work of one match attempt, so that no line can make a scan hang.
  static constexpr unsigned kMatchLimit = 100000;

 private:
  static void Compile(TPcre2Regex& regex, std::string_view expression,
                      const TPcre2Regex::TOptions& options);
  // The match of `regex` at or after `at` in line[0, end).
  static std::optional<TPatternMatch> Match(TPcre2Regex& regex, std::string_view line,
                                            std::size_t at, std::size_t end);
  void WorkOutFirstBytes();
  bool PrefixMatches(std::string_view line, std::size_t at, std::size_t end) const;

  // The expression as written and anchored at the start of the search; they keep their match
  // data, which finding does not change in any way callers can see.
  mutable TPcre2Regex code_;
  mutable TPcre2Regex anchored_;
  bool caseSensitive_;
  std::string prefix_;
  bool wholeLiteral_ = false;
  bool hasFirstBytes_ = false;
  std::bitset<256> firstBytes_;
};

}  // namespace tervil
