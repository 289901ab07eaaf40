#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/HighlightStates.h"
#include "core/editview/LineGeometry.h"

namespace tervil {
namespace {

// Block comments "/*" ... "*/" spanning lines: the state is 1 inside a comment.
class CommentHighlighter : public THighlighter {
 public:
  THighlighterAttribute comment{"Comment"};
  int lines = 0;

  std::string LanguageName() const override { return "Test"; }
  std::string DefaultFilter() const override { return ""; }
  std::vector<THighlighterAttribute*> Attributes() override { return {&comment}; }
  THighlighterState TokenizeLine(std::string_view line, THighlighterState state,
                                 std::vector<TToken>& tokens) override {
    ++lines;
    int start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (state == 0 && line.substr(i, 2) == "/*") {
        state = 1;
        start = static_cast<int>(i);
        ++i;
      } else if (state == 1 && line.substr(i, 2) == "*/") {
        state = 0;
        tokens.push_back({start, static_cast<int>(i) + 2 - start, &comment});
        ++i;
      }
    }
    if (state == 1) tokens.push_back({start, static_cast<int>(line.size()) - start, &comment});
    return state;
  }
};

std::vector<THighlighterState> TrueStates(const TTextBuffer& buffer) {
  CommentHighlighter h;
  std::vector<THighlighterState> states(buffer.LineCount(), 0);
  std::vector<TToken> tokens;
  for (std::size_t i = 0; i + 1 < buffer.LineCount(); ++i) {
    states[i + 1] = h.TokenizeLine(buffer.Line(i), states[i], tokens);
  }
  return states;
}

// A text with its highlight states, kept with the comment highlighter.
struct THighlightedText {
  explicit THighlightedText(std::string_view text) {
    buffer.Assign(text);
    states.SetHighlighter(&h);
  }
  TTextBuffer buffer;
  CommentHighlighter h;
  THighlightStates states{buffer};
};

std::string Lines(int count, const std::string& text) {
  std::string all;
  for (int i = 0; i < count; ++i) all += text + "\n";
  return all;
}

TEST(HighlightStates, EditRetokenizesOnlyUntilStatesAgree) {
  THighlightedText text(Lines(1000, "code();"));
  auto& [buffer, h, states] = text;
  states.AdvanceLines(2000);
  ASSERT_TRUE(states.Complete());
  h.lines = 0;
  buffer.Insert(buffer.LineStart(500), "x = 1; ");
  states.LinesChanged(500, 1);
  EXPECT_EQ(states.StartState(900), 0u);
  EXPECT_LE(h.lines, 2);  // line 500 and nothing after it
  EXPECT_TRUE(states.IsExact(999));
}

TEST(HighlightStates, OpeningACommentReachesTheLinesBelow) {
  THighlightedText text(Lines(50, "code();"));
  auto& [buffer, h, states] = text;
  states.AdvanceLines(100);
  buffer.Insert(buffer.LineStart(10), "/*");
  states.LinesChanged(10, 1);
  EXPECT_EQ(states.StartState(40), 1u);
  buffer.Insert(buffer.LineStart(20), "*/");
  states.LinesChanged(20, 1);
  EXPECT_EQ(states.StartState(15), 1u);
  EXPECT_EQ(states.StartState(40), 0u);
}

TEST(HighlightStates, FarLinesAreGuessedWithoutTokenizingEverything) {
  THighlightedText text(Lines(100000, "code();"));
  auto& [buffer, h, states] = text;
  EXPECT_EQ(states.StartState(99990), 0u);
  EXPECT_FALSE(states.IsExact(99990));
  EXPECT_LE(h.lines, THighlightStates::kLookBackLines + 1);
  EXPECT_TRUE(states.Advance(std::chrono::microseconds(100)) || states.Complete());
}

// Random edits, each reported as the model reports them, then completing the states: they
// equal those of tokenizing the final text from the top.
TEST(HighlightStates, RandomEditsEndInTheTrueStates) {
  std::mt19937 random(11);
  const char* pieces[] = {"/*", "*/", "a", "\n", "b\nc", "/* x */"};
  for (int round = 0; round < 20; ++round) {
    THighlightedText text(Lines(200, "x /* y") + Lines(200, "z */ w"));
    auto& [buffer, h, states] = text;
    states.AdvanceLines(static_cast<int>(random() % 400));
    for (int step = 0; step < 30; ++step) {
      int line = static_cast<int>(random() % buffer.LineCount());
      if (random() % 3 == 0 && buffer.LineCount() > 2) {
        int count = std::min<int>(static_cast<int>(random() % 5) + 1,
                                  static_cast<int>(buffer.LineCount()) - line - 1);
        if (count <= 0) continue;
        std::size_t from = buffer.LineStart(line);
        buffer.Erase(from, buffer.LineStart(line + count) - from);
        states.LinesDeleted(line, count);
      } else {
        std::string piece = pieces[random() % 6];
        buffer.Insert(buffer.LineStart(line), piece);
        int breaks = static_cast<int>(std::count(piece.begin(), piece.end(), '\n'));
        states.LinesChanged(line, 1);
        if (breaks > 0) states.LinesInserted(line + 1, breaks);
      }
      if (random() % 4 == 0) states.StartState(static_cast<int>(random() % buffer.LineCount()));
    }
    states.AdvanceLines(1000000);
    std::vector<THighlighterState> expected = TrueStates(buffer);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(states.StartState(static_cast<int>(i)), expected[i])
          << "round " << round << " line " << i;
    }
  }
}

// The states are learnt reading the text forward piece by piece: lines that cross the pieces'
// borders, empty lines, and a line long enough to be tokenized by its tail only, all end in the
// states of tokenizing line by line.
TEST(HighlightStates, ReadingForwardAcrossPiecesGivesTheTrueStates) {
  std::mt19937 random(5);
  const char* marks[] = {"/*", "*/", "", "x"};
  std::string all;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t length = random() % 7 == 0 ? random() % 9000 : random() % 40;
    std::string line(length, 'c');
    if (length > 2) line.replace(random() % (length - 1), 2, marks[random() % 4]);
    all += line + "\n";
    if (i == 1500) all += std::string(40000, 'l') + "\n";
  }
  THighlightedText text(all);
  auto& [buffer, h, states] = text;
  while (states.Advance(std::chrono::microseconds(50))) {
  }
  const std::vector<THighlighterState> expected = TrueStates(buffer);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(states.IsExact(static_cast<int>(i)));
    ASSERT_EQ(states.StartState(static_cast<int>(i)), expected[i]) << "line " << i;
  }
}

TEST(HighlightStates, WindowsOfLongLinesAreTokenizedFromALookBack) {
  std::string line = "/*" + std::string(100000, 'c') + "*/ code";
  THighlightedText text(line + "\nnext");
  auto& [buffer, h, states] = text;
  TLineGeometry geometry(buffer);
  TLineSlice slice = geometry.SliceChars(0, 50000, 100);
  std::vector<TToken> tokens;
  THighlighterState end = states.Tokenize(0, 0, slice, tokens);
  EXPECT_EQ(end, 0u);  // the tail closes the comment
  // Without the opening "/*" in the look-back the window reads as plain code.
  EXPECT_TRUE(tokens.empty());
  slice = geometry.SliceChars(0, 0, 100);
  states.Tokenize(0, 0, slice, tokens);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].start, 0);
  EXPECT_EQ(tokens[0].length, 100);
}

TEST(HighlightStates, WithoutHighlighterEveryStateIsZero) {
  TTextBuffer buffer;
  buffer.Assign("/*\na\n");
  THighlightStates states(buffer);
  EXPECT_EQ(states.StartState(1), 0u);
  EXPECT_TRUE(states.Complete());
  CommentHighlighter h;
  states.SetHighlighter(&h);
  EXPECT_EQ(states.StartState(1), 1u);
}

TEST(HighlightStates, StatesPerLineStayWithinEightBytes) {
  THighlightedText text(Lines(100000, "a"));
  auto& [buffer, h, states] = text;
  EXPECT_LE(states.MemoryBytes(), 8 * buffer.LineCount());
  for (int i = 0; i < 2000; ++i) {
    buffer.Insert(buffer.LineStart(50000 + i), "b\nc\n");
    states.LinesInserted(50000 + i, 2);
  }
  EXPECT_LE(states.MemoryBytes(), 8 * buffer.LineCount());
}

}  // namespace
}  // namespace tervil
