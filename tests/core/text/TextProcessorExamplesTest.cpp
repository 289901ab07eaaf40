// The documented examples and edge cases of the text processor, one row each.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/text/TextProcessor.h"

namespace tervil {
namespace {

using TP = TTextProcessor;

// The item count, then the items separated by "|".
std::string Joined(const TStringList& items) {
  return std::to_string(items.size()) + ":" + JoinLines(items, "|");
}

std::string Broken(TStringList lines, int width) {
  TP::BreakLines(lines, width);
  return Joined(lines);
}

std::string Split(char32_t delimiter, const std::string& text) {
  TStringList items{"stale"};
  SplitByChar(delimiter, text, items);
  return Joined(items);
}

std::string Detected(const std::string& text, std::string requested) {
  const std::string converted = TP::DetectCharsetAndConvert(text, requested);
  return requested + "|" + converted;
}

std::string Hex(TColor color) {
  return ColorToHtml(color);
}

struct TExample {
  const char* what;
  std::function<std::string()> actual;
  std::string expected;
};

const std::string kMeta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\xC3\xA4";

TEST(TextProcessorExamples, BehaveAsDocumented) {
  const TExample examples[] = {
      {"ReplaceOccurrences count 2", [] { return ReplaceOccurrences("-", "+", 2, "a-b-c-d"); },
       "a+b+c-d"},
      {"ReplaceOccurrences all", [] { return ReplaceOccurrences("-", "+", -1, "a-b-c-d"); },
       "a+b+c+d"},
      {"ReplaceOccurrences count 0", [] { return ReplaceOccurrences("-", "+", 0, "a-b"); }, "a-b"},
      {"ReplaceOccurrences empty replacement deletes",
       [] { return ReplaceOccurrences("ab", "", -1, "xabyab"); }, "xy"},
      {"ReplaceOccurrences never rescans", [] { return ReplaceOccurrences("a", "aa", -1, "aa"); },
       "aaaa"},
      {"TextToHtml two lines", [] { return TP::TextToHtml("a<b\r\nc"); }, "a&lt;b<br />\r\nc"},
      {"TextToHtml a-umlaut", [] { return TP::TextToHtml("\xC3\xA4"); }, "&auml;"},
      {"TextToHtml euro, dagger, Scaron",
       [] { return TP::TextToHtml("\xE2\x82\xAC\xE2\x80\xA0\xC5\xA0"); }, "&euro;&dagger;&Scaron;"},
      {"TextToHtml leaves nbsp, A-grave, a-grave",
       [] { return TP::TextToHtml("\xC2\xA0\xC3\x80\xC3\xA0"); }, "\xC2\xA0\xC3\x80\xC3\xA0"},
      {"TextToHtml quotes and ampersand", [] { return TP::TextToHtml("\"&>"); }, "&quot;&amp;&gt;"},
      {"EscapeQuotes", [] { return TP::EscapeQuotes("\"$'\\x"); }, "\\\"\\$\\'\\\\x"},
      {"UnformatTags keeps a, strips td",
       [] { return TP::UnformatTags("<TD ALIGN=left><a href=\"x\">y</a></TD>"); },
       "<TD><a href=\"x\">y</a></TD>"},
      {"UnformatTags removes font", [] { return TP::UnformatTags("<font color=\"red\">z</font>"); },
       "z"},
      {"UnformatTags p class", [] { return TP::UnformatTags("<p class=\"x\">"); }, "<p>"},
      {"UnformatTags self-closing", [] { return TP::UnformatTags("<br style=\"a\" />"); },
       "<br />"},
      {"UnformatTags keeps FONT in capitals", [] { return TP::UnformatTags("<FONT size=2>"); },
       "<FONT>"},
      {"LowerCaseTags", [] { return TP::LowerCaseTags("<DIV CLASS=\"Big\">Text</DIV>"); },
       "<div class=\"big\">Text</div>"},
      {"UpperCaseTags", [] { return TP::UpperCaseTags("<div class=\"big\">Text</div>"); },
       "<DIV CLASS=\"BIG\">Text</DIV>"},
      {"BreakLines at spaces", [] { return Broken({"aaaa bbbb cccc dddd"}, 10); },
       "2:aaaa bbbb |cccc dddd"},
      {"BreakLines 11 characters stay whole", [] { return Broken({"aaaaaaaaaaa"}, 10); },
       "1:aaaaaaaaaaa"},
      {"BreakLines 25 characters stay whole",
       [] { return Broken({"aaaaaaaaaaaaaaaaaaaaaaaaa"}, 10); }, "1:aaaaaaaaaaaaaaaaaaaaaaaaa"},
      {"BreakLines empty line", [] { return Broken({""}, 10); }, "1:"},
      {"DetectCharsetAndConvert detects utf-8", [] { return Detected(kMeta, "-"); },
       "utf-8|" + kMeta},
      {"DetectCharsetAndConvert empty request", [] { return Detected(kMeta, ""); }, "|" + kMeta},
      {"DetectCharsetAndConvert forced windows-1250",
       [] { return Detected("<?xml encoding=\"utf-8\"?>\x9A", "windows-1250"); },
       "windows-1250|<?xml encoding=\"utf-8\"?>\xC5\xA1"},
      {"ConvertToCharset unknown name",
       [] { return TP::ConvertToCharset("\xC3\xA4", 0, "koi8-r").text; }, "\xC3\xA4"},
      {"HtmlToColor #f00", [] { return Hex(HtmlToColor("#f00")); }, "#FF0000"},
      {"HtmlToColor ff0000", [] { return Hex(HtmlToColor("ff0000")); }, "#FF0000"},
      {"HtmlToColor Red", [] { return Hex(HtmlToColor("Red")); }, "#FF0000"},
      {"HtmlToColor rgb()", [] { return Hex(HtmlToColor("rgb(255, 0, 0)")); }, "#FF0000"},
      {"HtmlToColor rgb() low 8 bits", [] { return Hex(HtmlToColor("rgb(300,0,0)")); }, "#2C0000"},
      {"HtmlToColor #12345 is black", [] { return Hex(HtmlToColor("#12345")); }, "#000000"},
      {"ColorToHtml", [] { return ColorToHtml(MakeColor(0xFF, 0x80, 0x00)); }, "#FF8000"},
      {"GetAttributeValue", [] { return GetAttributeValue("width", "<td width = '50' >", false); },
       "50"},
      {"GetAttributeValue wrapped",
       [] { return GetAttributeValue("width", "<td width = '50' >", true); }, " = '50'"},
      {"GetAttributeValue unquoted at the end",
       [] { return GetAttributeValue("width", "<td width=50", false); }, ""},
      {"SplitByChar", [] { return Split(',', "a,,b,"); }, "4:a||b|"},
      {"SplitByChar empty text", [] { return Split(',', ""); }, "1:"},
      {"CompactWhitespace", [] { return TP::CompactWhitespace("a  b\r\nc"); }, "a bc"},
      {"RemoveSpaces", [] { return TP::RemoveSpaces("a b\tc\r\n d"); }, "ab\tc\r\nd"},
      {"JoinLines",
       [] {
         return JoinLines({"a", "b", "c"}, ", ");
       },
       "a, b, c"},
      {"JoinLines empty", [] { return JoinLines({}, ", "); }, ""},
      {"LastPos", [] { return std::to_string(LastPos("ab", "abxab")); }, "4"},
      {"LastPos missing", [] { return std::to_string(LastPos("q", "abxab")); }, "0"},
      {"LastNonBlankChar", [] { return std::to_string(int(LastNonBlankChar("ab  ", 4))); }, "98"},
      {"LastNonBlankChar none", [] { return std::to_string(int(LastNonBlankChar("  x", 2))); },
       "0"},
      {"WrapLinesInTag", [] { return TP::WrapLinesInTag("  a\r\n\r\n b \r\n", "li"); },
       "  <li>a</li>\r <li>b </li>\r"},
  };
  for (const auto& example : examples) {
    EXPECT_EQ(example.actual(), example.expected) << example.what;
  }
}

}  // namespace
}  // namespace tervil
