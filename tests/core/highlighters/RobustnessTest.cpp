// Bad input: unterminated constructs, random bytes, foreign states and ranges of a line.

#include <gtest/gtest.h>

#include "HighlighterTestSupport.h"
#include "core/highlighters/HighlighterSet.h"

namespace tervil {
namespace {

using testing::ExpectWellFormed;
using testing::TRandom;

std::vector<TSyntaxHighlighter*> AllHighlighters(THighlighterSet& set, TUriHighlighter& uri) {
  std::vector<TSyntaxHighlighter*> all;
  for (THighlighter* highlighter : set.Components())
    all.push_back(static_cast<TSyntaxHighlighter*>(highlighter));
  all.push_back(&uri);
  return all;
}

// Bytes chosen to hit the constructs of every language, with some random ones.
std::string RandomLine(TRandom& random, std::size_t length) {
  static const std::string pieces[] = {"<?php",
                                       "?>",
                                       "<script>",
                                       "</script>",
                                       "<style>",
                                       "</style>",
                                       "<!--",
                                       "-->",
                                       "/*",
                                       "*/",
                                       "//",
                                       "\"",
                                       "'",
                                       "`",
                                       "${",
                                       "}",
                                       "{",
                                       "\\",
                                       "<<<EOT",
                                       "EOT",
                                       "<<\"X\"",
                                       "X",
                                       "#",
                                       "=pod",
                                       "=cut",
                                       "s{",
                                       "qw(",
                                       "R\"d(",
                                       ")d\"",
                                       "@\"",
                                       "\"\"\"",
                                       "(*",
                                       "*)",
                                       "{$",
                                       "asm",
                                       "end",
                                       "<![CDATA[",
                                       "]]>",
                                       "&amp;",
                                       "http://",
                                       "é",
                                       "€",
                                       "\xF0\x9F\x98\x80",
                                       " ",
                                       "\t",
                                       "/",
                                       "$x",
                                       "@a",
                                       "%h",
                                       "0x1F",
                                       "1.5e3",
                                       "url(",
                                       ":",
                                       ";",
                                       "=",
                                       "<",
                                       ">",
                                       "[",
                                       "]"};
  std::string line;
  while (line.size() < length) {
    if (random.Below(4) == 0) {
      line += static_cast<char>(random.Below(256));
    } else {
      line += pieces[random.Below(std::size(pieces))];
    }
  }
  return line;
}

TEST(Robustness, RandomLinesGiveWellFormedTokensAndStayDeterministic) {
  THighlighterSet set;
  TUriHighlighter uri;
  TRandom random(7);
  for (TSyntaxHighlighter* highlighter : AllHighlighters(set, uri)) {
    SCOPED_TRACE(highlighter->LanguageName());
    THighlighterState state = 0;
    for (int i = 0; i < 300; ++i) {
      std::string line = RandomLine(random, random.Below(80));
      std::vector<TToken> first;
      std::vector<TToken> second;
      THighlighterState end = highlighter->TokenizeLine(line, state, first);
      ASSERT_NO_FATAL_FAILURE(ExpectWellFormed(line, first));
      EXPECT_EQ(highlighter->TokenizeLine(line, state, second), end);
      ASSERT_EQ(first.size(), second.size());
      state = end;
    }
  }
}

TEST(Robustness, ForeignStatesAreAccepted) {
  THighlighterSet set;
  TUriHighlighter uri;
  TRandom random(11);
  const std::string line = "a <b c=\"d\"> /* e */ 'f' $g {h} # i";
  for (TSyntaxHighlighter* highlighter : AllHighlighters(set, uri)) {
    for (int i = 0; i < 200; ++i) {
      std::vector<TToken> tokens;
      highlighter->TokenizeLine(line, random.Next() ^ (random.Next() << 16), tokens);
      ASSERT_NO_FATAL_FAILURE(ExpectWellFormed(line, tokens)) << highlighter->LanguageName();
    }
  }
}

TEST(Robustness, NothingOutsideTheRangeIsRead) {
  THighlighterSet set;
  TUriHighlighter uri;
  TRandom random(3);
  for (TSyntaxHighlighter* highlighter : AllHighlighters(set, uri)) {
    THighlighterState state = 0;  // a state met before, as a multi highlighter knows only those
    for (int i = 0; i < 200; ++i) {
      std::string line = RandomLine(random, 10 + random.Below(60));
      std::size_t begin = random.Below(static_cast<std::uint32_t>(line.size()));
      std::size_t end = begin + random.Below(static_cast<std::uint32_t>(line.size() - begin + 1));
      std::string other = line;
      for (std::size_t j = 0; j < other.size(); ++j) {
        if (j < begin || j >= end) other[j] = static_cast<char>(random.Below(256));
      }
      std::vector<TToken> a;
      std::vector<TToken> b;
      THighlighterState endA = highlighter->TokenizeRange(line, begin, end, false, state, a);
      THighlighterState endB = highlighter->TokenizeRange(other, begin, end, false, state, b);
      ASSERT_EQ(endA, endB) << highlighter->LanguageName() << ": " << line;
      state = endA;
      ASSERT_EQ(a.size(), b.size()) << highlighter->LanguageName() << ": " << line;
      for (std::size_t t = 0; t < a.size(); ++t) {
        EXPECT_EQ(a[t].start, b[t].start);
        EXPECT_EQ(a[t].length, b[t].length);
        EXPECT_GE(static_cast<std::size_t>(a[t].start), begin);
        EXPECT_LE(static_cast<std::size_t>(a[t].start + a[t].length), end);
      }
    }
  }
}

TEST(Robustness, TokensNeverSplitACharacter) {
  THighlighterSet set;
  TUriHighlighter uri;
  TRandom random(5);
  const std::string alphabet[] = {"é", "€",  "\xF0\x9F\x98\x80",
                                  "a", " ",  "<",
                                  ">", "\"", "'",
                                  "/", "*",  "$",
                                  "#", "{",  "}",
                                  "=", ";",  "-",
                                  "(", "."};
  for (TSyntaxHighlighter* highlighter : AllHighlighters(set, uri)) {
    THighlighterState state = 0;
    for (int i = 0; i < 100; ++i) {
      std::string line;
      for (int c = 0; c < 40; ++c) line += alphabet[random.Below(std::size(alphabet))];
      std::vector<TToken> tokens;
      state = highlighter->TokenizeLine(line, state, tokens);
      for (const TToken& token : tokens) {
        auto boundary = static_cast<std::size_t>(token.start);
        ASSERT_NE(static_cast<unsigned char>(line[boundary]) & 0xC0, 0x80)
            << highlighter->LanguageName() << ": " << line;
      }
    }
  }
}

TEST(Robustness, UnterminatedConstructsEndWithTheirLineOrCarryOn) {
  THighlighterSet set;
  const char* snippets[] = {"/* never closed",
                            "\"open string",
                            "'open",
                            "`template ${",
                            "<!-- comment",
                            "<div class=\"x",
                            "<<<EOT",
                            "<<'END'",
                            "q{ a { b",
                            "R\"delim( raw",
                            "@\"verbatim",
                            "\"\"\" block",
                            "{ brace",
                            "(* paren",
                            "<![CDATA[ data",
                            "<?xml",
                            "<!DOCTYPE x [",
                            "url(",
                            "#define X \\",
                            "asm {",
                            "=pod",
                            "s/a/",
                            "tr{a}",
                            "/[/"};
  for (THighlighter* highlighter : set.Components()) {
    for (const char* snippet : snippets) {
      std::vector<std::string> lines = {snippet, "next line \" ' */ --> } *) ]]> ?> EOT END", ""};
      ASSERT_NO_FATAL_FAILURE(testing::TokenizeAll(*highlighter, lines))
          << highlighter->LanguageName() << ": " << snippet;
    }
  }
}

TEST(Robustness, PathologicalSchemeInputEnds) {
  THighlighterSet set;
  std::string line = "<script" + std::string(20000, ' ') + "=\"" + std::string(2000, 'a');
  line += "<style" + std::string(20000, '\t');
  std::vector<TToken> tokens;
  set.Multi().TokenizeLine(line, 0, tokens);
  ExpectWellFormed(line, tokens);
}

}  // namespace
}  // namespace tervil
