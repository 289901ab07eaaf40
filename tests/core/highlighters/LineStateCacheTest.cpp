// The per-line state cache: edits re-tokenize only what changed, and the states always equal
// those of tokenizing the whole text from the first line.

#include <gtest/gtest.h>

#include "HighlighterTestSupport.h"
#include "core/highlighters/HighlighterSet.h"
#include "core/highlighters/LineStateCache.h"

namespace tervil {
namespace {

using testing::TRandom;

class LineStateCacheTest : public ::testing::Test {
 protected:
  TLineStateCache MakeCache(THighlighter* highlighter) {
    return TLineStateCache([this](int line) { return std::string_view(lines_[line]); }, highlighter,
                           static_cast<int>(lines_.size()));
  }

  // The states of tokenizing every line from the first.
  std::vector<THighlighterState> FullEnds(THighlighter& highlighter) {
    std::vector<THighlighterState> ends;
    THighlighterState state = 0;
    std::vector<TToken> tokens;
    for (const std::string& line : lines_) {
      tokens.clear();
      state = highlighter.TokenizeLine(line, state, tokens);
      ends.push_back(state);
    }
    return ends;
  }

  void Replace(TLineStateCache& cache, int first, int removed, std::vector<std::string> added) {
    lines_.erase(lines_.begin() + first, lines_.begin() + first + removed);
    lines_.insert(lines_.begin() + first, added.begin(), added.end());
    cache.LinesReplaced(first, removed, static_cast<int>(added.size()));
  }

  THighlighterSet set_;
  std::vector<std::string> lines_;
};

TEST_F(LineStateCacheTest, OneCharacterEditTokenizesOneLine) {
  for (int i = 0; i < 1000; ++i) lines_.push_back("int x" + std::to_string(i) + " = 1; /* c */");
  TLineStateCache cache = MakeCache(&set_.Cpp());
  cache.EndState(999);
  EXPECT_EQ(cache.TokenizedLines(), 1000u);
  lines_[500] = "int y = 2; /* c */";
  EXPECT_EQ(cache.LinesReplaced(500, 1, 1), 501);
  EXPECT_EQ(cache.TokenizedLines(), 1001u);
  EXPECT_EQ(cache.ValidLines(), 1000);
}

TEST_F(LineStateCacheTest, OpeningACommentGoesOnLazily) {
  for (int i = 0; i < 1000; ++i) lines_.push_back("x = 1;");
  TLineStateCache cache = MakeCache(&set_.Cpp());
  cache.SetEagerLimit(10);
  cache.EndState(999);
  lines_[100] = "x = 1; /* open";
  EXPECT_EQ(cache.LinesReplaced(100, 1, 1), 1000);
  EXPECT_EQ(cache.ValidLines(), 111);
  EXPECT_EQ(cache.TokenizedLines(), 1011u);

  // Closing it again re-tokenizes the lines the comment had reached, then the old states of
  // the lines below hold again.
  lines_[100] = "x = 1; /* closed */";
  EXPECT_EQ(cache.LinesReplaced(100, 1, 1), 111);
  EXPECT_EQ(cache.TokenizedLines(), 1022u);
  EXPECT_EQ(cache.ValidLines(), 1000);
  std::vector<TToken> tokens;
  cache.TokenizeLine(900, tokens);
  EXPECT_EQ(tokens.front().attribute->name, "Identifier");

  // Lines far below are re-tokenized when asked for.
  lines_[100] = "x = 1; /* open";
  cache.LinesReplaced(100, 1, 1);
  cache.TokenizeLine(900, tokens);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].attribute->name, "Comment");
  EXPECT_EQ(cache.ValidLines(), 901);
}

TEST_F(LineStateCacheTest, TokenAtColumnCountsCodePoints) {
  lines_ = {"<?php", "$é = \"ü\"; // x"};
  TLineStateCache cache = MakeCache(&set_.Php());
  EXPECT_EQ(cache.TokenAt(1, 1).attribute->name, "Variable");
  EXPECT_EQ(cache.TokenAt(1, 2).attribute->name, "Variable");
  EXPECT_EQ(cache.TokenAt(1, 3).attribute->name, "Space");
  EXPECT_EQ(cache.TokenAt(1, 6).attribute->name, "String");
  EXPECT_EQ(cache.TokenAt(1, 8).attribute->name, "String");
  EXPECT_EQ(cache.TokenAt(1, 9).attribute->name, "Symbol");
  EXPECT_EQ(cache.TokenAt(1, 14).attribute->name, "Comment");
  EXPECT_FALSE(cache.TokenAt(1, 15).found);
  EXPECT_FALSE(cache.TokenAt(1, 0).found);
  EXPECT_FALSE(cache.TokenAt(2, 1).found);
  TTokenAt at = cache.TokenAt(1, 6);
  EXPECT_TRUE(at.found);
  EXPECT_EQ(at.start, 6);
  EXPECT_EQ(at.length, 4);
}

TEST_F(LineStateCacheTest, WithoutHighlighterEverythingIsStateZero) {
  lines_ = {"/*", "a"};
  TLineStateCache cache = MakeCache(nullptr);
  EXPECT_EQ(cache.StartState(1), 0u);
  EXPECT_FALSE(cache.TokenAt(0, 1).found);
  cache.SetHighlighter(&set_.Cpp());
  EXPECT_NE(cache.StartState(1), 0u);
}

TEST_F(LineStateCacheTest, StatesPerLineStayWithinEightBytes) {
  lines_.assign(100000, "a");
  TLineStateCache cache = MakeCache(&set_.General());
  EXPECT_LE(cache.MemoryBytes(), 8u * lines_.size());
  for (int i = 0; i < 2000; ++i) Replace(cache, 50000 + i, 0, {"b", "c"});
  EXPECT_EQ(cache.LineCount(), static_cast<int>(lines_.size()));
  EXPECT_LE(cache.MemoryBytes(), 8u * lines_.size());
}

// Random edits of a small document, with random queries between them.
TEST_F(LineStateCacheTest, StatesMatchAFullRunAfterRandomEdits) {
  const std::vector<std::string> vocabulary = {
      "x;",         "/* a",     "b */", "\"s",      "#define X \\", "R\"q(",     ")q\"",
      "",           "<?php $a", "?>",   "<script>", "</script>",    "/* c */ d", "<style> p {",
      "} </style>", "`t ${",    "}`"};
  for (THighlighter* highlighter :
       std::vector<THighlighter*>{&set_.Cpp(), &set_.Multi(), &set_.JavaScript()}) {
    TRandom random(42);
    lines_.clear();
    for (int i = 0; i < 60; ++i) lines_.push_back(vocabulary[random.Below(vocabulary.size())]);
    TLineStateCache cache = MakeCache(highlighter);
    cache.SetEagerLimit(static_cast<int>(random.Below(5)));
    for (int step = 0; step < 400; ++step) {
      int count = static_cast<int>(lines_.size());
      int first = static_cast<int>(random.Below(static_cast<std::uint32_t>(count + 1)));
      int removed = static_cast<int>(
          random.Below(static_cast<std::uint32_t>(std::min(count - first, 3) + 1)));
      std::vector<std::string> added(random.Below(4));
      for (auto& line : added) line = vocabulary[random.Below(vocabulary.size())];
      Replace(cache, first, removed, added);
      if (random.Below(3) == 0 && !lines_.empty())
        cache.StartState(static_cast<int>(random.Below(static_cast<std::uint32_t>(lines_.size()))));
      if (step % 20 == 0) {
        std::vector<THighlighterState> expected = FullEnds(*highlighter);
        ASSERT_EQ(cache.LineCount(), static_cast<int>(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i)
          ASSERT_EQ(cache.EndState(static_cast<int>(i)), expected[i])
              << highlighter->LanguageName() << " step " << step << " line " << i;
      }
    }
  }
}

TEST(GapVector, InsertsAndErasesAnywhere) {
  TGapVector<int> gap;
  std::vector<int> plain;
  gap.Assign(5, 1);
  plain.assign(5, 1);
  TRandom random(9);
  for (int step = 0; step < 2000; ++step) {
    std::size_t at = random.Below(static_cast<std::uint32_t>(plain.size() + 1));
    if (random.Below(2) == 0) {
      std::size_t count = random.Below(300);
      int value = static_cast<int>(random.Below(100));
      gap.Insert(at, count, value);
      plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(at), count, value);
    } else {
      std::size_t count = random.Below(static_cast<std::uint32_t>(plain.size() - at + 1));
      gap.Erase(at, count);
      plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(at),
                  plain.begin() + static_cast<std::ptrdiff_t>(at + count));
    }
    ASSERT_EQ(gap.size(), plain.size());
  }
  for (std::size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(gap[i], plain[i]);
}

}  // namespace
}  // namespace tervil
