#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/Utf8.h"
#include "core/common/Utf8Kernels.h"

namespace tervil {
namespace {

using namespace std::string_literals;
namespace kernels = utf8::kernels;

struct TBytesCase {
  std::string bytes;
  std::size_t validPrefix;  // how many of the bytes are valid UTF-8
  const char* what;
};

const std::vector<TBytesCase>& Cases() {
  static const std::vector<TBytesCase> cases = {
      {"\xC2\x80", 2, "lowest two-byte character"},
      {"\xDF\xBF", 2, "highest two-byte character"},
      {"\xE0\xA0\x80", 3, "lowest three-byte character"},
      {"\xED\x9F\xBF", 3, "last character before the surrogates"},
      {"\xEE\x80\x80", 3, "first character after the surrogates"},
      {"\xEF\xBF\xBF", 3, "U+FFFF"},
      {"\xF0\x90\x80\x80", 4, "lowest four-byte character"},
      {"\xF4\x8F\xBF\xBF", 4, "U+10FFFF"},
      {"\0"s, 1, "NUL"},
      {"\xC0\x80", 0, "overlong NUL"},
      {"\xC1\xBF", 0, "overlong two bytes"},
      {"\xE0\x80\x80", 0, "overlong three bytes"},
      {"\xE0\x9F\xBF", 0, "overlong three bytes, highest"},
      {"\xF0\x80\x80\x80", 0, "overlong four bytes"},
      {"\xF0\x8F\xBF\xBF", 0, "overlong four bytes, highest"},
      {"\xED\xA0\x80", 0, "first surrogate"},
      {"\xED\xBF\xBF", 0, "last surrogate"},
      {"\xF4\x90\x80\x80", 0, "beyond U+10FFFF"},
      {"\xF5\x80\x80\x80", 0, "lead byte F5"},
      {"\xFF", 0, "byte FF"},
      {"\x80", 0, "stray continuation byte"},
      {"\xC3\xA4\xA4", 2, "continuation byte too many"},
      {"\xC3", 0, "two-byte character cut off"},
      {"\xE2\x82", 0, "three-byte character cut off"},
      {"\xF0\x9F\x98", 0, "four-byte character cut off"},
      {"\xE2x\xAC", 0, "ASCII inside a sequence"},
      {"\xF0\x9F\x98\x80\x80", 4, "five bytes"},
  };
  return cases;
}

// Texts with the case's bytes at every byte offset up to beyond two 64-byte blocks, after ASCII or
// after characters of every length, at the very end or followed by more text with a CR.
std::vector<std::string> Placements(const std::string& bytes) {
  std::vector<std::string> texts;
  for (const std::string& filler : {"a"s, "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z"s}) {
    std::string before;
    std::size_t at = 0;  // the next character of the filler
    while (before.size() < 140) {
      texts.push_back(before + bytes);
      texts.push_back(before + bytes + "\r\n" + filler + filler);
      const std::size_t length = utf8::SequenceLength(filler.data() + at, filler.size() - at);
      before.append(filler, at, length);
      at = (at + length) % filler.size();
    }
  }
  return texts;
}

TEST(Utf8Kernels, PlainValidationFindsTheFirstFault) {
  for (const TBytesCase& c : Cases()) {
    for (std::size_t at : {0, 70}) {
      const std::string text = std::string(at, 'a') + c.bytes + "a";
      EXPECT_EQ(kernels::ValidPrefixPlain(text.data(), text.size(), false),
                c.validPrefix == c.bytes.size() ? text.size() : at + c.validPrefix)
          << c.what << " at " << at;
    }
  }
  const std::string withCr = std::string(100, 'a') + "\r\n";
  EXPECT_EQ(kernels::ValidPrefixPlain(withCr.data(), withCr.size(), true), 100u);
  EXPECT_EQ(kernels::ValidPrefixPlain(withCr.data(), withCr.size(), false), withCr.size());
}

TEST(Utf8Kernels, Avx2FormAgreesWithThePlainOneAtEveryBlockBorder) {
  if (!kernels::HasAvx2()) GTEST_SKIP() << "the processor has no AVX2";
  for (const TBytesCase& c : Cases()) {
    for (const std::string& text : Placements(c.bytes)) {
      for (bool stopAtCr : {false, true}) {
        EXPECT_EQ(kernels::ValidPrefixAvx2(text.data(), text.size(), stopAtCr),
                  kernels::ValidPrefixPlain(text.data(), text.size(), stopAtCr))
            << c.what << ", " << text.size() << " bytes, stop at CR " << stopAtCr;
      }
      EXPECT_EQ(kernels::CountLeadsAvx2(text.data(), text.size()),
                kernels::CountLeadsPlain(text.data(), text.size()))
          << c.what << ", " << text.size() << " bytes";
    }
  }
}

TEST(Utf8Kernels, Avx2CountsBeyondItsByteCounters) {
  if (!kernels::HasAvx2()) GTEST_SKIP() << "the processor has no AVX2";
  // More than 255 blocks of 32 bytes, all lead bytes: the byte counters must be summed in time.
  std::string text;
  while (text.size() < 40000)
    text +=
        "\xE2\x82\xAC"
        "abcde\xC3\xA4";
  EXPECT_EQ(kernels::CountLeadsAvx2(text.data(), text.size()),
            kernels::CountLeadsPlain(text.data(), text.size()));
  EXPECT_EQ(kernels::ValidPrefixAvx2(text.data(), text.size(), true), text.size());
}

TEST(Utf8Kernels, NormalizingLongTextStopsAtEveryCrAndDamagedByte) {
  std::string text;
  std::string expected;
  for (int i = 0; i < 50; ++i) {
    text += std::string(static_cast<std::size_t>(i), 'x') + "\xC3\xA4\r\n\xE9" + "y\r";
    expected += std::string(static_cast<std::size_t>(i), 'x') + "\xC3\xA4\n\xC3\xA9" + "y\n";
  }
  std::string out;
  EXPECT_FALSE(utf8::NormalizeAppend(text, out));
  EXPECT_EQ(out, expected);
  EXPECT_FALSE(utf8::IsNormalized(text));
  EXPECT_TRUE(utf8::IsNormalized(out));
  std::string ascii;
  EXPECT_TRUE(utf8::NormalizeAppend(std::string(200, 'a') + "\r\n", ascii));
}

}  // namespace
}  // namespace tervil
