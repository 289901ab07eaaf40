#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/Utf8.h"

namespace tervil {
namespace {

using namespace std::string_literals;

struct TSequenceCase {
  std::string bytes;
  std::size_t length;  // of the sequence at bytes[0], 0 when it is not valid
  const char* what;
};

TEST(Utf8, SequenceLengthAcceptsOnlyStrictUtf8) {
  const std::vector<TSequenceCase> cases = {
      {"a", 1, "ASCII"},
      {"\0"s, 1, "NUL"},
      {"\xC3\xA4", 2, "two bytes"},
      {"\xE2\x82\xAC", 3, "three bytes"},
      {"\xF0\x9F\x98\x80", 4, "four bytes"},
      {"\xF4\x8F\xBF\xBF", 4, "U+10FFFF"},
      {"", 0, "nothing"},
      {"\x80", 0, "stray continuation byte"},
      {"\xC0\x80", 0, "overlong two bytes"},
      {"\xE0\x80\x80", 0, "overlong three bytes"},
      {"\xF0\x80\x80\x80", 0, "overlong four bytes"},
      {"\xED\xA0\x80", 0, "surrogate"},
      {"\xF4\x90\x80\x80", 0, "beyond U+10FFFF"},
      {"\xF5\x80\x80\x80", 0, "no such lead byte"},
      {"\xE2\x82", 0, "cut off"},
      {"\xE2\x82x", 0, "continuation missing"},
  };
  for (const TSequenceCase& c : cases) {
    EXPECT_EQ(utf8::SequenceLength(c.bytes.data(), c.bytes.size()), c.length) << c.what;
    std::size_t i = 0;
    char32_t cp = 0;
    const bool valid = !c.bytes.empty() && utf8::NextChar(c.bytes, i, cp);
    EXPECT_EQ(valid, c.length != 0) << c.what;
    if (!c.bytes.empty() && c.length == 0) {
      EXPECT_EQ(i, 1u) << c.what << ": a damaged byte is read alone";
      EXPECT_EQ(cp, static_cast<unsigned char>(c.bytes[0])) << c.what;
    }
  }
}

TEST(Utf8, EncodeAndDecodeRoundTrip) {
  for (char32_t cp : {U'\0', U'A', U'\x7F', U'\x80', U'\xE4', U'\x7FF', U'\x800', U'\x20AC',
                      U'\xFFFD', U'\xFFFF', U'\x10000', U'\x1F600', U'\x10FFFF'}) {
    const std::string bytes = utf8::Encode(cp);
    std::size_t length = 0;
    EXPECT_EQ(utf8::Decode(bytes.data(), bytes.size(), length), cp);
    EXPECT_EQ(length, bytes.size());
    EXPECT_EQ(utf8::DecodeBefore(bytes.data(), bytes.size(), length), cp);
    EXPECT_EQ(length, bytes.size());
  }
}

TEST(Utf8, EncodeWritesNoSurrogatesOrValuesBeyondUnicode) {
  EXPECT_EQ(utf8::Encode(0xD800), "\xEF\xBF\xBD");
  EXPECT_EQ(utf8::Encode(0xDFFF), "\xEF\xBF\xBD");
  EXPECT_EQ(utf8::Encode(0x110000), "\xEF\xBF\xBD");
}

TEST(Utf8, DecodeBeforeTakesADamagedEndByteAlone) {
  const std::string text = "\xC3\xA4\x80";
  std::size_t length = 0;
  EXPECT_EQ(utf8::DecodeBefore(text.data(), text.size(), length), 0x80u);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(utf8::DecodeBefore(text.data(), 2, length), U'\xE4');
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(utf8::DecodeBefore(text.data(), 0, length), 0u);
  EXPECT_EQ(length, 0u);
}

// Text longer than one sixteen-byte block, with characters across block boundaries.
std::string MixedText() {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "ab\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z";
  return text;
}

TEST(Utf8, ValidityIsFoundAfterLongAsciiRuns) {
  const std::string text = MixedText();
  EXPECT_TRUE(utf8::IsValid(text));
  EXPECT_TRUE(utf8::IsValid(""));
  const std::string damaged = std::string(40, 'x') + "\xE2\x82" + text;
  EXPECT_FALSE(utf8::IsValid(damaged));
  EXPECT_EQ(utf8::ValidPrefix(damaged.data(), damaged.size()), 40u);
  EXPECT_EQ(utf8::AsciiPrefix(damaged.data(), damaged.size()), 40u);
  EXPECT_EQ(utf8::AsciiPrefix("abc", 3), 3u);
}

TEST(Utf8, CountsAndOffsetsOfValidTextAgreeWithDecoding) {
  const std::string text = MixedText();
  std::vector<std::size_t> starts;  // byte offset of every character
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    char32_t cp;
    utf8::NextChar(text, i, cp);
  }
  EXPECT_EQ(utf8::CountChars(text), starts.size());
  EXPECT_EQ(utf8::CountCharsTolerant(text), starts.size());
  for (std::size_t k = 0; k <= starts.size() + 1; ++k) {
    const std::size_t expected = k < starts.size() ? starts[k] : text.size();
    std::size_t skipped = 0;
    EXPECT_EQ(utf8::AdvanceChars(text.data(), text.size(), k, &skipped), expected) << k;
    EXPECT_EQ(skipped, std::min(k, starts.size())) << k;
    EXPECT_EQ(utf8::AdvanceCharsTolerant(text, k), expected) << k;
  }
}

TEST(Utf8, TolerantCountsTakeEveryDamagedByteAsACharacter) {
  const std::string text =
      "a\x80\x80\xC3\xA4"
      "bc\xE2\x82";  // a, 80, 80, ä, b, c, E2, 82
  EXPECT_EQ(utf8::CountCharsTolerant(text), 8u);
  EXPECT_EQ(utf8::AdvanceCharsTolerant(text, 3), 3u);
  EXPECT_EQ(utf8::AdvanceCharsTolerant(text, 4), 5u);
  EXPECT_EQ(utf8::AdvanceCharsTolerant(text, 7), 8u);
  EXPECT_EQ(utf8::AdvanceCharsTolerant(text, 20), text.size());
}

TEST(Utf8, NormalizingMakesLfLineBreaksAndReadsDamagedBytesAsLatin1) {
  struct TCase {
    std::string in, out;
    bool ascii;
  };
  const std::vector<TCase> cases = {
      {"", "", true},
      {"a\r\nb\rc\n", "a\nb\nc\n", true},
      {"K\xF6ln\r", "K\xC3\xB6ln\n", false},
      {"\xC3\xA4", "\xC3\xA4", false},
      {"x\xE2\x82", "x\xC3\xA2\xC2\x82", false},
  };
  for (const TCase& c : cases) {
    std::string out = "=";
    EXPECT_EQ(utf8::NormalizeAppend(c.in, out), c.ascii) << c.in;
    EXPECT_EQ(out, "=" + c.out) << c.in;
    EXPECT_EQ(utf8::IsNormalized(c.in), c.in == c.out) << c.in;
    EXPECT_TRUE(utf8::IsNormalized(c.out)) << c.in;
  }
}

TEST(Utf8, CaseMappingCoversLettersBeyondAscii) {
  EXPECT_EQ(utf8::ToLower(U'A'), U'a');
  EXPECT_EQ(utf8::ToUpper(U'z'), U'Z');
  EXPECT_EQ(utf8::ToLower(U'1'), U'1');
  EXPECT_EQ(utf8::ToLower(U'\x416'), U'\x436');  // Cyrillic Zhe
  EXPECT_EQ(utf8::ToUpper(U'\xE4'), U'\xC4');
  EXPECT_EQ(utf8::LowerCase("Gr\xC3\x9C\xC3\x9F \xD0\x96!"), "gr\xC3\xBC\xC3\x9F \xD0\xB6!");
  EXPECT_EQ(utf8::UpperCase("stra\xC3\x9F"
                            "e"),
            "STRA\xC3\x9F"
            "E")
      << "no one-to-many mapping";
  EXPECT_EQ(utf8::UpperCase("a\xE4z"), "A\xE4Z") << "damaged bytes are kept";
}

TEST(Utf8, WordCharactersAreLettersDigitsAndUnderscore) {
  for (char32_t cp : {U'a', U'Z', U'0', U'_', U'\xE4', U'\x416', U'\x4E2D'})
    EXPECT_TRUE(utf8::IsWordChar(cp)) << static_cast<unsigned>(cp);
  for (char32_t cp : {U' ', U'-', U'.', U'\xA0', U'\x20AC'})
    EXPECT_FALSE(utf8::IsWordChar(cp)) << static_cast<unsigned>(cp);
  EXPECT_TRUE(utf8::IsSpace(U'\t'));
  EXPECT_TRUE(utf8::IsSpace(U'\x2003'));
  EXPECT_FALSE(utf8::IsSpace(U'x'));
}

}  // namespace
}  // namespace tervil
