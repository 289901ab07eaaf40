#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/editcomponent/CharStartBits.h"
#include "core/editcomponent/LineBreakBits.h"

namespace tervil {
namespace {

// Text of `size` bytes where each byte is a break with the given chance (in percent).
std::string RandomLines(std::size_t size, unsigned percent, unsigned seed) {
  std::mt19937 rng(seed);
  std::string text(size, 'x');
  for (char& c : text) c = rng() % 100 < percent ? '\n' : 'x';
  return text;
}

struct BitsCase {
  const char* name;
  std::string text;
};
void PrintTo(const BitsCase& c, std::ostream* os) {
  *os << c.name;
}

class LineBreakBitsAnswers : public ::testing::TestWithParam<BitsCase> {};

// Every answer equals a plain walk over the text, at every offset, across word (64-byte) and
// block (256-byte) borders.
TEST_P(LineBreakBitsAnswers, EqualAPlainWalk) {
  const std::string& text = GetParam().text;
  TLineBreakBits bits;
  const TLineBreakBits::TFacts facts = bits.Build(text);
  EXPECT_EQ(facts.chars, text.size());
  EXPECT_TRUE(facts.ascii);
  EXPECT_FALSE(facts.carriageReturn);

  std::vector<std::size_t> breaks;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') breaks.push_back(i);
  ASSERT_EQ(bits.Count(), breaks.size());
  for (std::size_t k = 0; k < breaks.size(); ++k) ASSERT_EQ(bits.Select(k), breaks[k]) << k;

  std::size_t rank = 0;
  std::size_t previous = TLineBreakBits::npos;
  for (std::size_t offset = 0; offset <= text.size(); ++offset) {
    ASSERT_EQ(bits.Rank(offset), rank) << offset;
    ASSERT_EQ(bits.Prev(offset), previous) << offset;
    const std::size_t next = rank < breaks.size() ? breaks[rank] : TLineBreakBits::npos;
    ASSERT_EQ(bits.Next(offset), next) << offset;
    // A break takes two units: both of them lead back to the break itself.
    const std::size_t units = offset + rank;
    ASSERT_EQ(bits.OffsetOfAsciiUnits(units, text.size()), offset) << offset;
    if (next == offset) {
      ASSERT_EQ(bits.OffsetOfAsciiUnits(units + 1, text.size()), offset);
    }
    if (offset < text.size() && text[offset] == '\n') {
      previous = offset;
      ++rank;
    }
  }
  EXPECT_EQ(bits.OffsetOfAsciiUnits(text.size() + rank + 50, text.size()), text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineBreakBitsAnswers,
    ::testing::Values(BitsCase{"Empty", ""}, BitsCase{"OneBreak", "\n"},
                      BitsCase{"NoBreak", std::string(700, 'x')},
                      BitsCase{"BreakAtWordEnds",
                               std::string(63, 'x') + "\n" + std::string(63, 'x') + "\n\n"},
                      BitsCase{"OnlyBreaks", std::string(1000, '\n')},
                      BitsCase{"OneCharacterLines", RandomLines(4096, 50, 1)},
                      BitsCase{"Sparse", RandomLines(8192, 2, 2)},
                      BitsCase{"BlockBorder", RandomLines(257, 30, 3)},
                      BitsCase{"Dense", RandomLines(5000, 90, 4)}),
    [](const ::testing::TestParamInfo<BitsCase>& info) { return info.param.name; });

TEST(LineBreakBits, BuildReportsCharactersCarriageReturnsAndNonAscii) {
  TLineBreakBits bits;
  std::string text = "caf\xC3\xA9\r\n" + std::string(100, 'a') + "\xE2\x82\xAC";
  const TLineBreakBits::TFacts facts = bits.Build(text);
  EXPECT_EQ(facts.chars, text.size() - 1 - 2);
  EXPECT_FALSE(facts.ascii);
  EXPECT_TRUE(facts.carriageReturn);
  EXPECT_EQ(bits.Count(), 1u);
  EXPECT_EQ(bits.Select(0), 6u);
}

// Text of `size` bytes or a little more mixing ASCII, two-, three- and four-byte characters and
// line breaks; `breakPercent` of the characters are breaks.
std::string RandomUtf8(std::size_t size, unsigned breakPercent, unsigned seed) {
  static const char* const kPieces[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  std::mt19937 rng(seed);
  std::string text;
  while (text.size() < size) text += rng() % 100 < breakPercent ? "\n" : kPieces[rng() % 4];
  return text;
}

class CharStartBitsAnswers : public ::testing::TestWithParam<BitsCase> {};

// Character index, character start and character offset (a break counting two) equal a plain
// walk at every byte, across word and block borders, in pieces up to the largest chunk.
TEST_P(CharStartBitsAnswers, EqualAPlainWalk) {
  const std::string& text = GetParam().text;
  TLineBreakBits breaks;
  std::vector<std::uint64_t> words(TLineBreakBits::WordsFor(text.size()));
  const TLineBreakBits::TFacts facts = breaks.Build(text, nullptr, words.data());
  TCharStartBits starts;
  starts.Assign(words.data(), words.size());

  std::vector<std::size_t> charStart;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) charStart.push_back(i);
  ASSERT_EQ(facts.chars, charStart.size());
  for (std::size_t k = 0; k < charStart.size(); ++k) ASSERT_EQ(starts.Select(k), charStart[k]);
  EXPECT_EQ(starts.Select(charStart.size()), TCharStartBits::npos);

  std::size_t chars = 0, lines = 0;
  for (std::size_t offset = 0; offset <= text.size(); ++offset) {
    ASSERT_EQ(starts.Rank(offset), chars) << offset;
    const bool boundary =
        offset == text.size() || (chars < charStart.size() && charStart[chars] == offset);
    if (boundary) {
      const std::size_t units = chars + lines;
      ASSERT_EQ(starts.OffsetOfUnits(units, text.size(), breaks), offset) << offset;
      // Between the two units of a break: the break itself.
      if (offset < text.size() && text[offset] == '\n') {
        ASSERT_EQ(starts.OffsetOfUnits(units + 1, text.size(), breaks), offset) << offset;
      }
    }
    if (offset < text.size()) {
      if (boundary) ++chars;
      if (text[offset] == '\n') ++lines;
    }
  }
  EXPECT_EQ(starts.OffsetOfUnits(chars + lines + 50, text.size(), breaks), text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CharStartBitsAnswers,
    ::testing::Values(BitsCase{"OneCharacter", "\xC3\xA9"},
                      BitsCase{"NoBreak", RandomUtf8(700, 0, 5)},
                      BitsCase{"SomeBreaks", RandomUtf8(3000, 5, 6)},
                      BitsCase{"FullChunk", RandomUtf8(8180, 20, 7)},
                      BitsCase{"BreakAfterLongCharacterAtWordEnd",
                               std::string(60, 'a') + "\xF0\x9F\x98\x80\n\xC3\xA9"}),
    [](const ::testing::TestParamInfo<BitsCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tervil
