#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace tervil
