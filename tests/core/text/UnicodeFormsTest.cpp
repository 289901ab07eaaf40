#include <gtest/gtest.h>

#include "core/documents/DocumentFiles.h"
#include "core/text/TextProcessor.h"
#include "core/text/UnicodeForms.h"

namespace tervil {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// "a" CR LF "\u00e9" in each form, with and without a byte-order mark.
struct TFormCase {
  const char* name;
  std::string mark;
  std::string body;
};

std::vector<TFormCase> FormCases() {
  return {
      {"utf-16le", Bytes({0xFF, 0xFE}), Bytes({'a', 0, 0x0D, 0, 0x0A, 0, 0xE9, 0})},
      {"utf-16be", Bytes({0xFE, 0xFF}), Bytes({0, 'a', 0, 0x0D, 0, 0x0A, 0, 0xE9})},
      {"utf-32le", Bytes({0xFF, 0xFE, 0, 0}),
       Bytes({'a', 0, 0, 0, 0x0D, 0, 0, 0, 0x0A, 0, 0, 0, 0xE9, 0, 0, 0})},
      {"utf-32be", Bytes({0, 0, 0xFE, 0xFF}),
       Bytes({0, 0, 0, 'a', 0, 0, 0, 0x0D, 0, 0, 0, 0x0A, 0, 0, 0, 0xE9})},
  };
}

TEST(UnicodeForms, RecognisedByMarkAndByNulPatternAndWrittenBackAlike) {
  for (const auto& c : FormCases()) {
    for (bool withMark : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (withMark ? " with mark" : " without mark"));
      const std::string bytes = (withMark ? c.mark : "") + c.body;
      for (const char* start : {"-", "utf-8", "windows-1252"}) {
        std::string charset = start;
        bool byFallback = true;
        const std::string text =
            TTextProcessor::DetectCharsetAndConvert(bytes, charset, byFallback);
        EXPECT_EQ(charset, c.name);
        EXPECT_FALSE(byFallback);
        EXPECT_EQ(text, (withMark ? "\xEF\xBB\xBF" : "") + std::string("a\r\n\xC3\xA9"));
        const TEncodedDocument out = EncodeDocumentText(text, charset, TWriteSettings{});
        EXPECT_TRUE(out.unwritable.empty());
        EXPECT_EQ(out.bytes, bytes);
      }
    }
  }
}

TEST(UnicodeForms, SurrogatePairsAndInvalidUnits) {
  const TUnicodeForm& le = *FindUnicodeForm("utf-16le");
  std::string utf8;
  ASSERT_TRUE(DecodeUnicodeForm(le, Bytes({0x3D, 0xD8, 0x00, 0xDE}), utf8));
  EXPECT_EQ(utf8, "\xF0\x9F\x98\x80");  // U+1F600
  std::string bytes;
  ASSERT_TRUE(EncodeUnicodeForm(le, utf8, bytes));
  EXPECT_EQ(bytes, Bytes({0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_FALSE(DecodeUnicodeForm(le, Bytes({0x3D, 0xD8, 'a', 0}), utf8));  // lone high surrogate
  EXPECT_FALSE(DecodeUnicodeForm(le, Bytes({'a', 0, 'b'}), utf8));         // cut unit
  EXPECT_FALSE(DecodeUnicodeForm(*FindUnicodeForm("utf-32le"), Bytes({0, 0, 0x11, 0}), utf8));
}

TEST(UnicodeForms, OrdinaryTextIsNotTakenForThem) {
  for (const std::string& bytes :
       {std::string("plain ascii\r\n"), std::string("caf\xE9\r\n"), std::string("a\0b", 3),
        Bytes({0xFF, 0xFE, 'a'}),  // a mark with a cut unit after it
        std::string(64, '\0')}) {
    EXPECT_EQ(DetectUnicodeForm(bytes), nullptr) << bytes;
  }
}

}  // namespace
}  // namespace tervil
