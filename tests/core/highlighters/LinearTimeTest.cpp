// Hostile lines: every highlighter (the single ones, URI and both multi highlighters) takes time
// in proportion to the length of a line, whatever the line holds. Each case builds one line
// from a prefix and a repeated unit (runs of every ASCII punctuation character, deep nesting,
// unterminated constructs) at two lengths and compares the CPU time per byte. A tokenizer that
// rescans what it has read grows by about the length factor; a linear one stays level.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/highlighters/GeneralHighlighter.h"
#include "core/highlighters/HighlighterSet.h"
#include "support/GrowthTiming.h"

namespace tervil {
namespace {

using timing::kGrowthBound;
using timing::TimeGrowth;

constexpr std::size_t kShortLength = 2000;

struct TCase {
  std::string prefix;
  std::string unit;
};

std::string Line(const TCase& c, std::size_t length) {
  std::string line = c.prefix;
  while (line.size() < length) line += c.unit;
  return line;
}

std::vector<TCase> HostileCases() {
  std::vector<TCase> cases;
  // Runs of every punctuation character, alone and after the openers of the constructs that
  // could swallow them.
  const std::string prefixes[] = {"",  "a",   "\"", "'", "`",        "/*",     "<!--",
                                  "<", "<a ", "{",  "(", "<script>", "<?php ", "<?php \""};
  for (const std::string& prefix : prefixes) {
    for (char c = '!'; c <= '~'; ++c) {
      if (std::isalnum(static_cast<unsigned char>(c))) continue;
      cases.push_back({prefix, std::string(1, c)});
    }
  }
  // Deep nesting and repeated openers that are never closed.
  const char* units[] = {"${",
                         "{$",
                         "#{",
                         "`${",
                         "\"${",
                         "(*",
                         "{",
                         "[",
                         "<div>",
                         "<a href=\"",
                         "<?php ",
                         "<?",
                         "<script>",
                         "<style>",
                         "<!--",
                         "<![CDATA[",
                         "<!DOCTYPE",
                         "q{",
                         "s{",
                         "qw(",
                         "m/",
                         "s/a/",
                         "tr{",
                         "<<<EOT ",
                         "<<EOT ",
                         "<<\"X\" ",
                         "R\"d(",
                         "@\"",
                         "$\"",
                         "$@\"",
                         "\"\"\"",
                         "'''",
                         "\\\"",
                         "\\",
                         "=\"",
                         " a=",
                         "url(",
                         "@media ",
                         "a:",
                         "$a",
                         "@a",
                         "%a",
                         "$a->",
                         "$a[",
                         "$$",
                         "#define ",
                         "/ ",
                         "/[",
                         "0x",
                         "1.",
                         "1e",
                         "a ",
                         "&",
                         "&#",
                         "<a b=\"\" ",
                         "<script a=\"\" ",
                         "<style type=\"text/css\" "};
  for (const char* unit : units) cases.push_back({"", unit});
  return cases;
}

// Constructs whose start makes a tokenizer look ahead for their end: a look ahead that is done
// again at every repetition costs little per byte on short lines, so these are also measured on
// lines a hundred times longer.
std::vector<TCase> LookAheadCases() {
  return {{"", "${"},
          {"", "$a["},
          {"<?php \"", "$a["},
          {"", "/["},
          {"<script>", "/["},
          {"", "<style "},
          {"", "<script a=\"\""},
          {"", "<?php "},
          {"", "\"$"},
          {"", "#{"},
          {"", "<a "},
          {"", "&#"}};
}

std::vector<THighlighter*> AllHighlighters(THighlighterSet& set, TUriHighlighter& uri) {
  std::vector<THighlighter*> all = set.Components();
  all.push_back(&uri);
  return all;
}

// Expects every highlighter to take, per byte, at most `bound` times as long on each case's line
// grown `factor` times from `shortLength`. With `benign`, the growth is divided by that of a
// line of ordinary words of as many tokens per byte, so that what a longer line costs in
// memory caches alone does not count.
void ExpectLinear(const std::vector<TCase>& cases, std::size_t shortLength, std::size_t factor,
                  double bound, const TCase* benign = nullptr) {
  THighlighterSet set;
  TUriHighlighter uri;
  std::vector<TToken> tokens;
  for (THighlighter* highlighter : AllHighlighters(set, uri)) {
    const auto tokenize = [&](const std::string& line) {
      tokens.clear();
      highlighter->TokenizeLine(line, 0, tokens);
    };
    const auto growthOf = [&](const TCase& c) {
      return TimeGrowth(
          tokenize, [&c](std::size_t length) { return Line(c, length); }, shortLength, factor);
    };
    const double base = benign ? growthOf(*benign) : 1.0;
    for (const TCase& c : cases) {
      EXPECT_LE(growthOf(c) / base, bound) << highlighter->LanguageName() << ": prefix \""
                                           << c.prefix << "\", unit \"" << c.unit << "\"";
    }
  }
}

TEST(LinearTime, EveryHighlighterTakesTimeInProportionToTheLine) {
  ExpectLinear(HostileCases(), kShortLength, 10, kGrowthBound);
}

TEST(LinearTime, LongLinesOfConstructsThatLookAheadStayLinear) {
  // A tokenizer that looks ahead again at every repetition grows twenty to a hundred times
  // here; a linear one stays near 1.
  const TCase words{"", "a "};
  ExpectLinear(LookAheadCases(), kShortLength, 100, kGrowthBound, &words);
}

}  // namespace
}  // namespace tervil
