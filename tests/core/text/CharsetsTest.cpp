// Character-set detection and conversion: lossless reading, reported writing, bad input.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/text/Charsets.h"
#include "core/text/TextProcessor.h"

namespace tervil {
namespace {

using TP = TTextProcessor;
using namespace std::string_literals;

std::string Decode(const std::string& bytes, std::string& charset) {
  return TP::DetectCharsetAndConvert(bytes, charset);
}

TEST(CharsetTable, HoldsTheSupportedSetsInMenuOrder) {
  ASSERT_EQ(CharsetTable.size(), 25u);
  EXPECT_EQ(CharsetTable[0].codePage, 0);
  EXPECT_EQ(CharsetTable[0].name, "");
  EXPECT_EQ(CharsetTable[10].name, "cp1025");
  EXPECT_EQ(CharsetTable[24].codePage, 65001);
  std::set<std::string_view> names;
  for (const auto& row : CharsetTable) names.insert(row.name);
  EXPECT_EQ(names.size(), CharsetTable.size());
  EXPECT_EQ(FindCharsetByName("koi8-u")->codePage, 21866);
  EXPECT_EQ(FindCharsetByName("UTF-8"), nullptr) << "names are compared with case";
  EXPECT_EQ(FindCharsetByCodePage(28605)->name, "iso-8859-15");
}

// The bytes of a charset that stand for printable characters, found by decoding each alone.
std::string PrintableBytes(const TCharsetInfo& row) {
  std::string sample;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const TCharsetConversion decoded = TP::ConvertCodePage(byte, row.codePage, 0);
    if (decoded.sourceCodePage != row.codePage) continue;  // undefined in this charset
    const auto first = static_cast<unsigned char>(decoded.text[0]);
    const bool c1Control = first == 0xC2 && static_cast<unsigned char>(decoded.text[1]) < 0xA0;
    const bool control = first < 0x20 || first == 0x7F || c1Control;
    if (!control) sample += byte;
  }
  return sample;
}

std::string SampleFor(const TCharsetInfo& row) {
  const std::string unicodeText =
      "Hello <b>\"w\xC3\xB6rld\"</b> & \xE2\x82\xAC 5 + 3 = 8; \xD0\x96\xD1\x83\xD0\xBA "
      "\xCE\xB1\xCE\xB2 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 ~\\!";
  switch (row.codePage) {
    case 0:
    case 65001:
      return unicodeText;
    case 65000:
      return TP::ConvertToCharset(unicodeText, 0, row.name).text;
    default:
      return PrintableBytes(row);
  }
}

TEST(CharsetConversion, PrintableCharactersOfEveryCharsetRoundTrip) {
  for (const auto& row : CharsetTable) {
    const std::string sample = SampleFor(row);
    ASSERT_GT(sample.size(), 40u) << row.name;
    std::string charset(row.name);
    const std::string text = Decode(sample, charset);
    EXPECT_EQ(charset, row.name) << "every byte of the sample is valid in " << row.name;
    const TCharsetConversion encoded = TP::ConvertToCharset(text, 0, row.name);
    EXPECT_TRUE(encoded.Complete()) << row.name;
    EXPECT_EQ(encoded.text, sample) << row.name;
  }
}

TEST(CharsetConversion, DecodesIntoUnicode) {
  std::string charset = "windows-1251";
  EXPECT_EQ(Decode("\xC6\xE8", charset), "\xD0\x96\xD0\xB8");
  charset = "cp1025";  // EBCDIC: 0xC1 is "A", 0x40 a space
  EXPECT_EQ(Decode("\xC1\x40\xC1", charset), "A A");
  charset = "utf-7";
  EXPECT_EQ(Decode("A+ImIDkQ.", charset), "A\xE2\x89\xA2\xCE\x91.");
  EXPECT_EQ(charset, "utf-7");
  EXPECT_EQ(TP::ConvertCodePage("\xC6", 1251, 21866).text, "\xF6") << "1251 to koi8-u";
}

TEST(CharsetConversion, LatinTextWithoutDeclarationRoundTrips) {
  const std::string latin1 =
      "<p>Gr\xFC\xDF"
      "e aus K\xF6ln, \xA9 2024 \x80 10</p>\r\n";
  for (const std::string& requested : {"-"s, ""s}) {
    std::string charset = requested;
    const std::string text = Decode(latin1, charset);
    EXPECT_EQ(charset, "windows-1252");
    EXPECT_EQ(text,
              "<p>Gr\xC3\xBC\xC3\x9F"
              "e aus K\xC3\xB6ln, \xC2\xA9 2024 \xE2\x82\xAC 10</p>\r\n");
    EXPECT_EQ(TP::ConvertToCharset(text, 0, charset).text, latin1);
  }
  // 0x81 is not defined in windows-1252: every byte is kept as iso-8859-1.
  const std::string withC1 = "a\x81\xE9";
  std::string charset = "-";
  const std::string text = Decode(withC1, charset);
  EXPECT_EQ(charset, "iso-8859-1");
  EXPECT_EQ(TP::ConvertToCharset(text, 0, charset).text, withC1);
}

TEST(CharsetConversion, BytesInvalidInAForcedCharsetFallBack) {
  std::string charset = "iso-8859-7";  // 0xAE is undefined there
  const std::string text = Decode("\xE1\xAE", charset);
  EXPECT_EQ(charset, "windows-1252");
  EXPECT_EQ(TP::ConvertToCharset(text, 0, charset).text, "\xE1\xAE");
  const TCharsetConversion conversion = TP::ConvertCodePage("\xE1\xAE", 28597, 0);
  EXPECT_EQ(conversion.sourceCodePage, 1252);
}

TEST(CharsetConversion, Utf7ReadsStrictlyAndWritesAsciiDirectly) {
  struct TCase {
    std::string utf7, utf8;
  };
  const TCase cases[] = {
      {"Hi Mom -+Jjo--!", "Hi Mom -\xE2\x98\xBA-!"},
      {"+ZeVnLIqe-", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
      {"a+-b = c; 50% \"q\" {x} [y] <z>?\r\n", "a+b = c; 50% \"q\" {x} [y] <z>?\r\n"},
      {"+2D3eAA-", "\xF0\x9F\x98\x80"},
      {"+AFwAfg-", "\\~"},
  };
  for (const auto& c : cases) {
    std::string charset = "utf-7";
    EXPECT_EQ(Decode(c.utf7, charset), c.utf8) << c.utf7;
    EXPECT_EQ(charset, "utf-7");
    EXPECT_EQ(TP::ConvertToCharset(c.utf8, 0, "utf-7").text, c.utf7);
  }
  for (const std::string& invalid : {"a\\b"s, "a~"s, "a+"s, "a+!"s, "+2D0-"s, "+AOR-"s, "\xE4"s}) {
    std::string charset = "utf-7";
    const std::string text = Decode(invalid, charset);
    EXPECT_NE(charset, "utf-7") << invalid;
    EXPECT_EQ(TP::ConvertToCharset(text, 0, charset).text, invalid);
  }
}

// An unmodified UTF-7 file saves byte for byte: each base64 run ends with or without "-" as it
// did. Other spellings of the same text (a run split in two, a character that could stand for
// itself put into base64, one text ending both ways) are read as the fallback charset, which
// also gives the same bytes back.
TEST(CharsetConversion, Utf7FilesSaveAsTheyWereRead) {
  const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
  struct TCase {
    std::string bytes, text;
  };
  const TCase kept[] = {
      {"+ZeVnLA.", nihon + "."},       {"a +ZeVnLA b", "a " + nihon + " b"},
      {"end +ZeVnLA", "end " + nihon}, {"+ZeVnLA-.", nihon + "."},
      {"+ZeVnLA-x", nihon + "x"},      {"+JgM. +ZeVnLA-!", "\xE2\x98\x83. " + nihon + "!"},
  };
  for (const TCase& c : kept) {
    std::string charset = "utf-7";
    EXPECT_EQ(Decode(c.bytes, charset), c.text) << c.bytes;
    EXPECT_EQ(charset, "utf-7") << c.bytes;
    EXPECT_EQ(TP::ConvertToCharset(c.text, 0, "utf-7").text, c.bytes);
  }
  for (const std::string& other : {"+ZeVnLA. +ZeVnLA-."s, "+ZeU-+Zyw-"s, "Hi+ACE-"s}) {
    std::string charset = "utf-7";
    const std::string text = Decode(other, charset);
    EXPECT_NE(charset, "utf-7") << other;
    EXPECT_EQ(TP::ConvertToCharset(text, 0, charset).text, other);
  }
}

// Whatever the bytes and whichever charset is asked for, reading them and writing them back in
// the charset that was reported gives the same bytes.
TEST(CharsetConversion, ReadingNeverLosesBytes) {
  std::mt19937 random(20240611);
  std::vector<std::string> samples = {""s, "\0"s, "\xFF\xFE"s,
                                      "\xEF\xBB\xBF"
                                      "bom"s};
  for (int n = 0; n < 40; ++n) {
    std::string bytes(random() % 300, '\0');
    const bool ascii = n % 4 == 0;
    for (char& c : bytes) c = static_cast<char>(ascii ? 32 + random() % 95 : random() % 256);
    samples.push_back(bytes);
  }
  for (const auto& row : CharsetTable) {
    if (row.codePage == kUtf7CodePage) continue;  // several spellings of the same text
    for (const auto& bytes : samples) {
      std::string charset(row.name);
      const std::string text = Decode(bytes, charset);
      const TCharsetConversion back = TP::ConvertToCharset(text, 0, charset);
      EXPECT_TRUE(back.Complete()) << row.name;
      EXPECT_EQ(back.text, bytes) << row.name << " read as " << charset;
    }
  }
}

TEST(CharsetConversion, UnwritableCharactersAreReportedNotHidden) {
  const std::string text =
      "a\xE2\x82\xAC"
      "b\xD0\x96"
      "c\xD0\x96";  // a€bЖcЖ
  const TCharsetConversion latin1 = TP::ConvertToCharset(text, 0, "iso-8859-1");
  EXPECT_FALSE(latin1.Complete());
  ASSERT_EQ(latin1.unwritable.size(), 2u);
  EXPECT_EQ(latin1.unwritable[0].codePoint, U'\u20AC');
  EXPECT_EQ(latin1.unwritable[0].position, 2u);
  EXPECT_EQ(latin1.unwritable[1].codePoint, U'\u0416');
  EXPECT_EQ(latin1.unwritable[1].position, 4u);
  EXPECT_EQ(latin1.unwritableCount, 3u);
  EXPECT_EQ(latin1.text, "a?b?c?");

  const TCharsetConversion cp1252 = TP::ConvertToCharset(text, 0, "windows-1252");
  ASSERT_EQ(cp1252.unwritable.size(), 1u);
  EXPECT_EQ(cp1252.unwritable[0].position, 4u);
  EXPECT_EQ(cp1252.text,
            "a\x80"
            "b?c?");

  EXPECT_TRUE(TP::ConvertToCharset(text, 0, "utf-8").Complete());
  EXPECT_TRUE(TP::ConvertToCharset(text, 0, "utf-7").Complete());
}

// windows-1258 and windows-1255 write a letter they have no byte for as a base letter and
// combining marks; reading those bytes gives the letter back as typed, so a search for it still
// matches after a save and a reopen. A base letter and mark that stand for a letter the code page
// has a byte for are kept apart on reading, so the file's bytes are written back unchanged.
TEST(CharsetConversion, LettersWithoutTheirOwnByteComeBackAsTyped) {
  struct TCase {
    std::string charset, typed, bytes;
  };
  const TCase cases[] = {
      {"windows-1258", "\xE1\xBA\xA0", "A\xF2"},           // A with dot below
      {"windows-1258", "\xE1\xBA\xBF", "\xEA\xEC"},        // e with circumflex and acute
      {"windows-1258", "\xE1\xBB\x9D", "\xF5\xCC"},        // o with horn and grave
      {"windows-1258", "Vi\xE1\xBB\x87t", "Vi\xEA\xF2t"},  // a word
      {"windows-1255", "\xEF\xAC\xAE", "\xE0\xC7"},        // alef with patah
      {"windows-1255", "\xEF\xAC\xAC", "\xF9\xCC\xD1"},    // shin with dagesh and shin dot
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.charset + " " + c.typed);
    const TCharsetConversion written = TP::ConvertToCharset(c.typed, 0, c.charset);
    EXPECT_TRUE(written.Complete());
    EXPECT_EQ(written.text, c.bytes);
    std::string charset = c.charset;
    EXPECT_EQ(Decode(written.text, charset), c.typed);
    EXPECT_EQ(charset, c.charset);
  }
  // "A" and a combining grave: the code page's own byte for the accented A would change the
  // file, so they are read as two characters and written back as two bytes.
  std::string charset = "windows-1258";
  EXPECT_EQ(Decode("A\xCC", charset), "A\xCC\x80");
  EXPECT_EQ(TP::ConvertToCharset("A\xCC\x80", 0, charset).text, "A\xCC");
  EXPECT_EQ(TP::ConvertToCharset("\xC3\x80", 0, charset).text, "\xC0");
}

// Every row of the table: its name and code page, and every pair of bytes it defines read and
// written back unchanged in that charset (for the Unicode rows, a text of every kind of
// character).
TEST(CharsetTable, EveryRowReadsAndWritesItsBytesUnchanged) {
  const TCharsetInfo expected[] = {
      {0, ""},
      {1250, "windows-1250"},
      {1251, "windows-1251"},
      {1252, "windows-1252"},
      {1253, "windows-1253"},
      {1254, "windows-1254"},
      {1255, "windows-1255"},
      {1256, "windows-1256"},
      {1257, "windows-1257"},
      {1258, "windows-1258"},
      {21025, "cp1025"},
      {21866, "koi8-u"},
      {28591, "iso-8859-1"},
      {28592, "iso-8859-2"},
      {28593, "iso-8859-3"},
      {28594, "iso-8859-4"},
      {28595, "iso-8859-5"},
      {28596, "iso-8859-6"},
      {28597, "iso-8859-7"},
      {28598, "iso-8859-8"},
      {28599, "iso-8859-9"},
      {28603, "iso-8859-13"},
      {28605, "iso-8859-15"},
      {65000, "utf-7"},
      {65001, "utf-8"},
  };
  ASSERT_EQ(CharsetTable.size(), std::size(expected));
  for (std::size_t i = 0; i < CharsetTable.size(); ++i) {
    const TCharsetInfo& row = CharsetTable[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.codePage, expected[i].codePage);
    EXPECT_EQ(row.name, expected[i].name);
    std::string bytes;
    if (row.codePage == 0 || row.codePage == kUtf8CodePage || row.codePage == kUtf7CodePage) {
      bytes = SampleFor(row);
    } else {
      std::string defined;
      for (int b = 0; b < 256; ++b) {
        if (TP::ConvertCodePage(std::string(1, static_cast<char>(b)), row.codePage, 0)
                .sourceCodePage == row.codePage)
          defined += static_cast<char>(b);
      }
      for (char first : defined) {
        for (char second : defined) bytes.append({first, second});
      }
    }
    std::string charset(row.name);
    const std::string text = Decode(bytes, charset);
    EXPECT_EQ(charset, row.name);
    const TCharsetConversion back = TP::ConvertToCharset(text, 0, charset);
    EXPECT_TRUE(back.Complete());
    EXPECT_TRUE(back.text == bytes) << "the bytes change on writing";
  }
}

TEST(CharsetDetection, FollowsTheDeclarations) {
  struct TCase {
    std::string text;
    std::string expectedCharset;
  };
  const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  const TCase cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><a/>", "iso-8859-2"},
      {"<?XML ENCODING = \"windows-1251\" ?>", "windows-1251"},
      // Spaces count nowhere, not even inside a key, a marker or a name.
      {"< ? x M l en coding = \" iso - 8859 - 2 \" ?>", "iso-8859-2"},
      {"<META http - equiv = \"content-type\" content=\"text/html; CHAR SET = KOI8-U\">", "koi8-u"},
      {"encoding=\"windows-1251\" but no declaration", ""},
      {"<a encoding=\"koi8-u\"/><?xml?>", "koi8-u"},  // both tests look anywhere
      {meta + "iso-8859-1\">", "iso-8859-1"},
      {meta + "iso-8859-13\">", "iso-8859-13"},
      {meta + "utf-8>", ""},  // no closing quote right after the name
      {meta + "klingon\">", ""},
      {"<meta content=\"text/html; charset=utf-8\" http-equiv=\"Content-Type\">", ""},
      {"<meta charset=\"utf-8\">", ""},
      {"<?xml encoding=\"iso-8859-2\"?>" + meta + "windows-1250\">", "iso-8859-2"},
      {"<?xml encoding=\"windows-1250\"?>" + meta + "iso-8859-2\">", "iso-8859-2"},
      {"<?xml encoding=\"utf-8\"?>\0<?xml encoding=\"koi8-u\"?>"s, "utf-8"},  // ends at NUL
      {"\0<?xml encoding=\"koi8-u\"?>"s, ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    for (const std::string& requested : {"-"s, "unknown"s, "UTF-8"s}) {
      std::string charset = requested;
      const std::string text = Decode(c.text, charset);
      EXPECT_EQ(charset, c.expectedCharset) << c.text << " requested " << requested;
      EXPECT_EQ(text, c.text) << "ASCII reads the same in every one of these";
    }
  }
}

TEST(CharsetDetection, FindsDeclarationsAcrossTheScanWindows) {
  const std::string meta =
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">";
  for (std::size_t offset = 65536 - meta.size() - 3; offset < 65536 + 3; ++offset) {
    const std::string bytes = std::string(offset, 'x') + meta + "\xC6";
    std::string charset = "-";
    const std::string text = Decode(bytes, charset);
    EXPECT_EQ(charset, "windows-1251") << offset;
    EXPECT_TRUE(text.ends_with("\xD0\x96")) << offset;
  }
}

// Opening hands its bytes over: they are decoded as the copying form decodes them, and UTF-8 stays
// in the very same memory.
TEST(CharsetDetection, BytesHandedOverAreDecodedInPlace) {
  const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  const struct {
    std::string bytes;
    std::string requested;
    bool sameMemory;
  } cases[] = {
      {std::string(100, 'x') + "Gr\xC3\xBC\xC3\x9F"
                               "e \xE2\x82\xAC",
       "-", true},
      {"<?xml encoding=\"utf-8\"?>Gr\xC3\xBC\xC3\x9F"
       "e" +
           std::string(100, 'x'),
       "-", true},
      {"K\xC3\xB6ln" + std::string(100, 'x'), "utf-8", true},
      {meta + "windows-1251\">\xC6" + std::string(100, 'x'), "-", false},
      {"caf\xE9 cr\xE8me" + std::string(100, 'x'), "-", false},  // not UTF-8: the fallback
      {"\xFF\xFE" + std::string(200, '\0'), "-", false},         // UTF-16
      {"abc\xE2\x82" + std::string(100, 'x'), "utf-8", false},
  };
  for (const auto& c : cases) {
    std::string charset = c.requested;
    bool byFallback = false;
    const std::string copied = TP::DetectCharsetAndConvert(c.bytes, charset, byFallback);
    std::string bytes = c.bytes;
    const char* memory = bytes.data();
    std::string inPlaceCharset = c.requested;
    bool inPlaceByFallback = !byFallback;
    TP::DetectCharsetAndConvertInPlace(bytes, inPlaceCharset, inPlaceByFallback);
    EXPECT_EQ(bytes, copied) << c.bytes;
    EXPECT_EQ(inPlaceCharset, charset) << c.bytes;
    EXPECT_EQ(inPlaceByFallback, byFallback) << c.bytes;
    EXPECT_EQ(bytes.data() == memory, c.sameMemory) << c.bytes;
  }
}

TEST(CharsetDetection, BadInputGivesTheDocumentedResult) {
  std::string charset = "-";
  const std::string withNul = "a\0b\xC3\xA4"s;
  EXPECT_EQ(Decode(withNul, charset), withNul);
  EXPECT_EQ(charset, "");

  charset = "-";
  const std::string truncated = "abc\xE2\x82";  // the last character is cut short
  EXPECT_EQ(Decode(truncated, charset), "abc\xC3\xA2\xE2\x80\x9A");
  EXPECT_EQ(charset, "windows-1252");
  EXPECT_EQ(TP::ConvertToCharset(Decode(truncated, charset), 0, charset).text, truncated);

  charset = "utf-7";
  EXPECT_EQ(Decode("a+2D3", charset), "a+2D3");  // unfinished shift sequence
  EXPECT_EQ(charset, "windows-1252");

  for (const auto& row : CharsetTable) {
    charset = std::string(row.name);
    EXPECT_EQ(Decode("", charset), "") << row.name;
    EXPECT_EQ(charset, row.name);
    EXPECT_EQ(TP::ConvertToCharset("", 0, row.name).text, "") << row.name;
  }

  EXPECT_EQ(TP::ConvertCodePage("abc", 99999, 0).text, "abc") << "unknown code page";
  EXPECT_EQ(TP::ConvertToCharset("\xFF", 0, "utf-8").sourceCodePage, 1252);
}

class LineBreakStyle : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const char* tmp = std::getenv("TERVIL_TEST_TMP");
    const std::filesystem::path dir =
        std::filesystem::path(tmp ? tmp : std::filesystem::temp_directory_path().string()) /
        "linebreaks";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(LineBreakStyle, IsDecidedByTheFirstBreakCharacter) {
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("lf", "ab\ncd\r\n")), 1);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("crlf", "ab\r\ncd\n")), 2);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("cr", "ab\rcd")), 2);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("none", "abcd")), 0);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("empty", "")), 0);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("nul", "a\0b\nc"s)), 1);
  EXPECT_EQ(TP::DetectLineBreakStyle(Write("long", std::string(300000, 'x') + "\r")), 2);
  EXPECT_EQ(TP::DetectLineBreakStyle("/nonexistent/file"), 0);
}

}  // namespace
}  // namespace tervil
