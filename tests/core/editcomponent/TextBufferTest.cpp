#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/common/Utf8.h"
#include "core/editcomponent/TextBuffer.h"

namespace tervil {
namespace {

struct AssignCase {
  std::string input;
  std::string lfText;
  std::size_t lines;
};

class TextBufferAssign : public ::testing::TestWithParam<AssignCase> {};

TEST_P(TextBufferAssign, SplitsAtEveryLineBreakKind) {
  TTextBuffer buffer;
  buffer.Assign(GetParam().input);
  EXPECT_EQ(buffer.Text("\n"), GetParam().lfText);
  EXPECT_EQ(buffer.LineCount(), GetParam().lines);
  EXPECT_TRUE(buffer.CheckIntegrity());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBufferAssign,
    ::testing::Values(AssignCase{"", "", 1}, AssignCase{"a", "a", 1},
                      AssignCase{"a\r\nb\nc\rd", "a\nb\nc\nd", 4}, AssignCase{"a\r\n", "a\n", 2},
                      AssignCase{"\r\r\n\n", "\n\n\n", 4}, AssignCase{"x\r", "x\n", 2},
                      AssignCase{std::string("a\0b", 3), std::string("a\0b", 3), 1},
                      // Bytes that are not UTF-8 become the Latin-1 characters of their value.
                      AssignCase{"caf\xE9", "caf\xC3\xA9", 1},
                      AssignCase{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80", 1},
                      AssignCase{"\xE2\x82\xAC ok", "\xE2\x82\xAC ok", 1}));

TEST(TextBuffer, TextJoinsLinesWithCrLfAndKeepsAFinalBreak) {
  TTextBuffer buffer;
  buffer.Assign("one\ntwo\n");
  EXPECT_EQ(buffer.Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(buffer.LineCount(), 3u);
  EXPECT_EQ(buffer.Line(2), "");
}

TEST(TextBuffer, OffsetsCountEachLineBreakTwice) {
  TTextBuffer buffer;
  buffer.Assign("ab\n\xC3\xA9z\n");  // "ab", "éz", ""
  EXPECT_EQ(buffer.OffsetCount(), 2u + 2u + 2u + 2u);
  EXPECT_EQ(buffer.OffsetOfByte(3), 4u);  // start of line 2
  EXPECT_EQ(buffer.OffsetOfByte(5), 5u);  // after é
  EXPECT_EQ(buffer.ByteOfOffset(3), 2u);  // between CR and LF: end of line 1
  EXPECT_EQ(buffer.ByteOfOffset(5), 5u);
  EXPECT_EQ(buffer.ByteOfOffset(100), buffer.ByteCount());
}

TEST(TextBuffer, LoadCutsNeitherSequencesNorCrLfAcrossPieces) {
  std::string text;
  while (text.size() < 50000) text += "\xE2\x82\xAC\r\n\xF0\x9F\x98\x80x\r";
  TTextBuffer buffer;
  buffer.Assign(text);
  std::string expected;
  utf8::NormalizeAppend(text, expected);
  EXPECT_EQ(buffer.Text("\n"), expected);
  EXPECT_TRUE(buffer.CheckIntegrity());
}

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// The text a random edit run starts from: empty, or loaded in one piece (its chunks then share
// the loaded text until they are edited), with dense and sparse lines and multi-byte characters.
struct RandomEditStart {
  const char* name;
  std::string text;
};
void PrintTo(const RandomEditStart& start, std::ostream* os) {
  *os << start.name;
}

class TextBufferRandomEdits : public ::testing::TestWithParam<RandomEditStart> {};

// Compares every index of the buffer with a plain string after random edits, across chunk
// boundaries, with runs of one-character lines and with multi-byte characters.
TEST_P(TextBufferRandomEdits, MatchAPlainString) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"a",
                                "bc\n",
                                "\n",
                                "\xC3\xA9",
                                "\xE2\x82\xAC\n",
                                "xyz",
                                "\r\n",
                                std::string(3000, 'q'),
                                "\xF0\x9F\x98\x80",
                                std::string(300, '\n'),
                                Repeat("a\n", 700),
                                Repeat("\xC3\xA9\n", 90)};
  TTextBuffer buffer;
  buffer.AssignOwned(std::string(GetParam().text));
  std::string model;
  utf8::NormalizeAppend(GetParam().text, model);
  ASSERT_EQ(buffer.Text("\n"), model);
  ASSERT_TRUE(buffer.CheckIntegrity());
  auto boundary = [&](std::size_t b) {
    while (b > 0 && b < model.size() && utf8::IsContinuation(model[b])) --b;
    return std::min(b, model.size());
  };
  for (int step = 0; step < 3000; ++step) {
    std::size_t at = boundary(rng() % (model.size() + 1));
    if (rng() % 3 != 0 || model.empty()) {
      std::string piece = pieces[rng() % std::size(pieces)];
      if (rng() % 50 == 0) piece = std::string(20000, 'L') + "\n";
      buffer.Insert(at, piece);
      std::string normalized;
      utf8::NormalizeAppend(piece, normalized);
      model.insert(at, normalized);
    } else {
      std::size_t len = boundary(at + rng() % (rng() % 10 == 0 ? 20000 : 8)) - at;
      buffer.Erase(at, len);
      model.erase(at, len);
    }
    if (step % 100 != 0) continue;
    ASSERT_EQ(buffer.Text("\n"), model);
    ASSERT_TRUE(buffer.CheckIntegrity());
    // Walk the model once, checking every index at a sample of positions.
    std::vector<std::size_t> lineStarts{0}, lineStartChars{0};
    std::size_t line = 0, chars = 0;
    for (std::size_t b = 0; b <= model.size(); ++b) {
      bool atBoundary = b == model.size() || !utf8::IsContinuation(model[b]);
      if (b % 61 == 0 || b == model.size()) {
        // Inside a character, the line and column are those of the character's first byte.
        const TTextBuffer::TLineColumn at = buffer.LineColumnOfByte(b);
        ASSERT_EQ(at.line, line);
        ASSERT_EQ(at.column, chars - lineStartChars.back() - (atBoundary ? 0 : 1));
      }
      if (atBoundary && (b % 61 == 0 || b == model.size())) {
        ASSERT_EQ(buffer.LineOfByte(b), line);
        ASSERT_EQ(buffer.CharIndex(b), chars);
        ASSERT_EQ(buffer.ByteOfChar(chars), b);
        ASSERT_EQ(buffer.OffsetOfByte(b), chars + line);
        ASSERT_EQ(buffer.ByteOfOffset(chars + line), b);
        const TTextBuffer::TLineColumn at = buffer.LineColumnOfOffset(chars + line);
        ASSERT_EQ(at.line, line);
        ASSERT_EQ(at.column, chars - lineStartChars.back());
        if (b < model.size() && model[b] == '\n') {
          // Between the CR and the LF of a break: the end of the line.
          const TTextBuffer::TLineColumn inBreak = buffer.LineColumnOfOffset(chars + line + 1);
          ASSERT_EQ(inBreak.line, line);
          ASSERT_EQ(inBreak.column, at.column);
        }
      }
      if (b == model.size()) break;
      if (atBoundary) ++chars;
      if (model[b] == '\n') {
        ++line;
        lineStarts.push_back(b + 1);
        lineStartChars.push_back(chars);
      }
    }
    // Ranges read in increasing order through one cursor, with gaps and across chunks.
    TTextBuffer::TReadCursor cursor;
    std::string pieced, expected;
    for (std::size_t at = rng() % 5; at < model.size(); at += 1 + rng() % 9000) {
      const std::size_t length = rng() % 7 == 0 ? rng() % 20000 : rng() % 12;
      buffer.AppendRange(at, length, pieced, cursor);
      expected += model.substr(at, length);
      at += std::min(length, model.size() - at);
    }
    ASSERT_EQ(pieced, expected);
    ASSERT_EQ(buffer.LineCount(), lineStarts.size());
    for (std::size_t l = 0; l < lineStarts.size(); l += 1 + rng() % 13) {
      std::size_t e = l + 1 < lineStarts.size() ? lineStarts[l + 1] - 1 : model.size();
      ASSERT_EQ(buffer.LineStart(l), lineStarts[l]);
      ASSERT_EQ(buffer.LineEnd(l), e);
      ASSERT_EQ(buffer.Line(l), model.substr(lineStarts[l], e - lineStarts[l]));
      const std::size_t endChars = l + 1 < lineStarts.size() ? lineStartChars[l + 1] - 1 : chars;
      const TTextBuffer::TCharSpan span = buffer.LineCharSpan(l);
      ASSERT_EQ(span.start, lineStartChars[l]);
      ASSERT_EQ(span.end, endChars);
      for (std::size_t column : {std::size_t{0}, std::size_t{1}, std::size_t{5},
                                 endChars - lineStartChars[l], std::size_t{1} << 40})
        ASSERT_EQ(buffer.ByteInLine(l, column),
                  std::min(buffer.ByteOfChar(lineStartChars[l] + std::min(column, endChars)), e));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, TextBufferRandomEdits,
    ::testing::Values(RandomEditStart{"Empty", ""},
                      RandomEditStart{"Loaded", Repeat("a\n", 9000) +
                                                    Repeat("line \xC3\xA9\xE2\x82\xAC\n", 2000) +
                                                    std::string(10000, 'z') + Repeat("\n", 5000)},
                      RandomEditStart{"LoadedWithCrLf", Repeat("x\r\n\xC3\xA9\r", 6000)}),
    [](const ::testing::TestParamInfo<RandomEditStart>& info) { return info.param.name; });

}  // namespace
}  // namespace tervil
