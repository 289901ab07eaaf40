// Start and end expressions of multi highlighter schemes, and the shared lexing helpers.

#include <gtest/gtest.h>

#include "core/highlighters/LexerTools.h"
#include "core/highlighters/SchemePattern.h"

namespace tervil {
namespace {

TEST(SchemePattern, LiteralPrefixAndFirstBytes) {
  struct TRow {
    const char* expression;
    bool caseSensitive;
    const char* prefix;
    const char* firstBytes;  // every byte a match may start with
  };
  const TRow rows[] = {
      {R"(<\?php)", false, "<?php", "<"},
      {R"(<style(\s*type)*\s*>)", false, "<style", "<"},
      {"ab*c", true, "a", "a"},
      {"ab+c", true, "ab", "a"},
      {"x|y", true, "", "xy"},
      {"Tag", false, "Tag", "Tt"},
      {R"(\d+)", true, "", "0123456789"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.expression);
    TSchemePattern pattern(row.expression, row.caseSensitive);
    EXPECT_EQ(pattern.LiteralPrefix(), row.prefix);
    ASSERT_TRUE(pattern.HasFirstBytes());
    EXPECT_EQ(pattern.FirstBytes().count(), std::string_view(row.firstBytes).size());
    for (char c : std::string_view(row.firstBytes))
      EXPECT_TRUE(pattern.FirstBytes().test(static_cast<unsigned char>(c))) << c;
  }
}

TEST(SchemePattern, MatchesInsideTheGivenEndOnly) {
  TSchemePattern pattern("</style>", false);
  std::string line = "a </STYLE> b </style>";
  auto match = pattern.Find(line, 0, line.size());
  ASSERT_TRUE(match);
  EXPECT_EQ(match->start, 2u);
  EXPECT_EQ(match->end, 10u);
  EXPECT_TRUE(pattern.Find(line, 3, line.size()));
  EXPECT_FALSE(pattern.Find(line, 0, 9));
  EXPECT_FALSE(pattern.MatchAt(line, 0, line.size()));
  EXPECT_TRUE(pattern.MatchAt(line, 2, line.size()));
}

TEST(SchemePattern, RegularExpressionsWithCaseAndUtf8) {
  TSchemePattern script(R"(<script(\s*[a-zA-Z]*\s*=\s*"[^"]*")*\s*>)", false);
  std::string line = "x <SCRIPT type=\"text/javascript\" src=\"é.js\" > y";
  auto match = script.Find(line, 0, line.size());
  ASSERT_TRUE(match);
  EXPECT_EQ(line.substr(match->start, match->end - match->start),
            "<SCRIPT type=\"text/javascript\" src=\"é.js\" >");
  EXPECT_FALSE(script.Find("<script type='x'>", 0, 17));

  TSchemePattern sensitive("<B>", true);
  EXPECT_FALSE(sensitive.Find("<b>", 0, 3));
}

TEST(SchemePattern, InvalidUtf8AndEmptyMatchesNeverMatch) {
  TSchemePattern anything(R"(\w*)", true);
  std::string bytes = "\xFF\xFE";
  EXPECT_FALSE(anything.Find(bytes, 0, bytes.size()));
  TSchemePattern word(R"(\w+)", true);
  std::string mixed =
      "\xFF"
      "abc";
  auto match = word.Find(mixed, 0, mixed.size());
  ASSERT_TRUE(match);
  EXPECT_EQ(match->start, 1u);
}

TEST(SchemePattern, BadExpressionsAreReported) {
  EXPECT_THROW(TSchemePattern("a(b", true), std::invalid_argument);
  EXPECT_THROW(TSchemePattern("[z-a]", true), std::invalid_argument);
}

TEST(LexerTools, KeywordSetsWithAndWithoutCase) {
  TKeywordSet exact({"if", "else", "Map"}, false);
  TKeywordSet anyCase({"select", "from"}, true);
  EXPECT_TRUE(exact.Contains("if"));
  EXPECT_FALSE(exact.Contains("IF"));
  EXPECT_FALSE(exact.Contains("map"));
  EXPECT_FALSE(exact.Contains(""));
  EXPECT_TRUE(anyCase.Contains("SeLeCt"));
  EXPECT_FALSE(anyCase.Contains("selec"));
}

TEST(LexerTools, NumbersOfEachSyntax) {
  struct TRow {
    const char* text;
    TNumberSyntax syntax;
    std::size_t length;
  };
  const TRow rows[] = {
      {"0x1Fz", {true, false, false, 0, false}, 4},
      {"0b1012", {true, true, false, 0, false}, 5},
      {"1_000_", {true, false, false, '_', false}, 5},
      {"1'000", {true, false, false, '\'', false}, 5},
      {"1.5e-3f;", {true, false, false, 0, true}, 7},
      {"1..2", {true, false, false, 0, false}, 1},
      {"10px", {false, false, false, 0, true}, 4},
      {"0o17", {true, false, true, 0, false}, 4},
      {"7e", {true, false, false, 0, false}, 1},
  };
  for (const TRow& row : rows) {
    std::string_view text = row.text;
    TScanner s(text, 0, text.size());
    ScanNumber(s, row.syntax);
    EXPECT_EQ(s.pos, row.length) << row.text;
  }
}

TEST(LexerTools, ScannerStaysInsideItsRange) {
  std::string_view line = "ab\"cd\\\"ef\"gh";
  TScanner s(line, 3, 8);  // cd\"e
  EXPECT_EQ(s.Prev(), 0);
  EXPECT_FALSE(s.SkipQuoted('"', '\\'));
  EXPECT_EQ(s.pos, 8u);
  EXPECT_EQ(s.Peek(), 0);
  TScanner t(line, 5, 100);
  EXPECT_EQ(t.End(), line.size());
  EXPECT_TRUE(t.SkipQuoted('"', '\\'));
  EXPECT_EQ(t.pos, 10u);
}

TEST(LexerTools, ColumnsCountCodePoints) {
  std::string_view line = "aé€😀b";
  EXPECT_EQ(ByteOffsetOfColumn(line, 1), 0u);
  EXPECT_EQ(ByteOffsetOfColumn(line, 2), 1u);
  EXPECT_EQ(ByteOffsetOfColumn(line, 3), 3u);
  EXPECT_EQ(ByteOffsetOfColumn(line, 4), 6u);
  EXPECT_EQ(ByteOffsetOfColumn(line, 5), 10u);
  EXPECT_EQ(ByteOffsetOfColumn(line, 6), line.size());
}

}  // namespace
}  // namespace tervil
