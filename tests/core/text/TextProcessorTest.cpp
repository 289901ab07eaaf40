// Behaviours of the text conversions and helpers beyond the documented examples: UTF-8 text,
// damaged text, the limits of each rule.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/TextProcessor.h"

namespace tervil {
namespace {

using TP = TTextProcessor;
using namespace std::string_literals;

TEST(TextToHtml, ReplacesTheWindows1252EntityCharacters) {
  const std::pair<unsigned char, const char*> table[] = {
      {0x22, "&quot;"},   {0x26, "&amp;"},    {0x3C, "&lt;"},     {0x3E, "&gt;"},
      {0x80, "&euro;"},   {0x86, "&dagger;"}, {0x87, "&Dagger;"}, {0x89, "&permil;"},
      {0x8A, "&Scaron;"}, {0x9A, "&scaron;"}, {0xA7, "&sect;"},   {0xA8, "&uml;"},
      {0xA9, "&copy;"},   {0xAB, "&laquo;"},  {0xAE, "&reg;"},    {0xB0, "&deg;"},
      {0xB4, "&acute;"},  {0xB5, "&micro;"},  {0xB7, "&middot;"}, {0xB8, "&cedil;"},
      {0xBB, "&raquo;"},  {0xC1, "&Aacute;"}, {0xC2, "&Acirc;"},  {0xC4, "&Auml;"},
      {0xC7, "&Ccedil;"}, {0xC9, "&Eacute;"}, {0xCB, "&Euml;"},   {0xCD, "&Iacute;"},
      {0xCE, "&Icirc;"},  {0xD4, "&Ocirc;"},  {0xD6, "&Ouml;"},   {0xD7, "&times;"},
      {0xDA, "&Uacute;"}, {0xDC, "&Uuml;"},   {0xDF, "&szlig;"},  {0xE1, "&aacute;"},
      {0xE2, "&acirc;"},  {0xE4, "&auml;"},   {0xE7, "&ccedil;"}, {0xE9, "&eacute;"},
      {0xEB, "&euml;"},   {0xED, "&iacute;"}, {0xEE, "&icirc;"},  {0xF4, "&ocirc;"},
      {0xF6, "&ouml;"},   {0xF7, "&divide;"}, {0xFA, "&uacute;"}, {0xFC, "&uuml;"},
      {0xFD, "&yacute;"},
  };
  std::string entities;
  for (int b = 0x20; b < 0x100; ++b) {
    const std::string character =
        TP::ConvertCodePage(std::string(1, static_cast<char>(b)), 1252, 0).text;
    const std::string html = TP::TextToHtml(character);
    if (html != character) entities += html;
  }
  std::string expected;
  for (const auto& [byte, entity] : table) expected += entity;
  EXPECT_EQ(entities, expected);
}

TEST(TextToHtml, KeepsDamagedTextAndNulBytes) {
  EXPECT_EQ(TP::TextToHtml("a\0<\xC3"s), "a\0&lt;\xC3"s);
  EXPECT_EQ(TP::TextToHtml("\xE2\x82"), "\xE2\x82");
  EXPECT_EQ(TP::TextToHtml("\xC5\xA2\xE2\x80\xA2"), "\xC5\xA2\xE2\x80\xA2");  // not in the table
  EXPECT_EQ(TP::TextToHtml("a\rb\n"), "a<br />\rb\n");
  EXPECT_EQ(TP::TextToHtml(""), "");
}

TEST(UnformatTags, StripsAttributesOnlyOfTagsWithoutContentAttributes) {
  struct TCase {
    std::string input, expected;
  };
  const TCase cases[] = {
      {"<img src=\"a.gif\"><INPUT type=text><Script src=x></script>",
       "<img src=\"a.gif\"><INPUT type=text><Script src=x></script>"},
      {"<area shape=rect><applet code=x><textarea rows=2><select size=1><param name=x>",
       "<area shape=rect><applet code=x><textarea rows=2><select size=1><param name=x>"},
      {"<link rel=x><form action=y><embed src=z><object id=o><option value=1><meta name=n>",
       "<link rel=x><form action=y><embed src=z><object id=o><option value=1><meta name=n>"},
      {"<style type=t><a href=\"#\">x</a><abbr title=t>y</abbr>",
       "<style type=t><a href=\"#\">x</a><abbr>y</abbr>"},
      {"<span\nclass=x>a</span>", "<span\nclass=x>a</span>"},  // only a space starts attributes
      {"<p >a</p>", "<p>a</p>"},
      {"<br />", "<br />"},
      {"<hr noshade/>", "<hr>"},
      {"<font face=\"Arial\"><b>bold</b></font><FONT>", "<b>bold</b><FONT>"},
      {"<td a=1><td b=2>", "<td><td>"},
      // Font tags are deleted in one pass: text that a deletion joins stays.
      {"<fo<font>nt>", "<font>"},
      {"</fo</font>nt>", "</font>"},
      {"<fo<font color=red>nt>x</font>", "<font>x"},
      {"<font><font></font>", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TP::UnformatTags(c.input), c.expected) << c.input;
}

TEST(UnformatTags, LeavesTextThatIsNoElementTag) {
  const std::string kept[] = {
      "<?php echo \"a b\"; if ($a > 1) {} ?>",
      "<!-- a comment with spaces -->",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0\">",
      "if a < b then c > d",
      "text ending in an unterminated <p class=\"x\" tag",
      "\xC3\xA4<\xC3\xA4 b>",
  };
  for (const auto& text : kept) EXPECT_EQ(TP::UnformatTags(text), text);
  const std::string huge(1 << 20, 'x');
  EXPECT_EQ(TP::UnformatTags("<p a" + huge), "<p a" + huge) << "no closing >";
}

TEST(UnformatTags, ReportsProgressFromZeroToHundred) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "<p class=\"c\">line</p>\r\n";
  std::vector<int> reports;
  const std::string result =
      TP::UnformatTags(text, [&](int percent) { reports.push_back(percent); });
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front(), 0);
  EXPECT_EQ(reports.back(), 100);
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_GE(reports.size(), 101u);
  EXPECT_EQ(result.find("class"), std::string::npos);
}

TEST(CaseTags, MapsUnicodeLettersInsideTagsOnly) {
  const std::string upper = "<DIV TITLE=\"\xC3\x84\xD0\x96\">\xC3\x84\xD0\x96</DIV>";
  const std::string lower = "<div title=\"\xC3\xA4\xD0\xB6\">\xC3\x84\xD0\x96</div>";
  EXPECT_EQ(TP::LowerCaseTags(upper), lower);
  EXPECT_EQ(TP::UpperCaseTags(lower), "<DIV TITLE=\"\xC3\x84\xD0\x96\">\xC3\x84\xD0\x96</DIV>");
  EXPECT_EQ(TP::LowerCaseTags("A<B\xFF<C>D>E"), "A<b\xFF<c>D>E") << "damaged byte kept";
  EXPECT_EQ(TP::UpperCaseTags("x <unterminated"), "x <UNTERMINATED");
  EXPECT_EQ(TP::UpperCaseTags("no tags at all"), "no tags at all");
}

TEST(WrapLinesInTag, HandlesLoneCarriageReturnsAndBlankLines) {
  EXPECT_EQ(TP::WrapLinesInTag("a\rb", "li"), "<li>a</li>\r<li>b</li>\r");
  EXPECT_EQ(TP::WrapLinesInTag("\t x \r\n\t\r\n", "p"), "\t <p>x </p>\r");
  EXPECT_EQ(TP::WrapLinesInTag("", "p"), "");
  EXPECT_EQ(TP::WrapLinesInTag("a\nb", "p"), "<p>a\nb</p>\r");
}

std::vector<std::string> Break(std::vector<std::string> lines, int width) {
  TP::BreakLines(lines, width);
  return lines;
}

TEST(BreakLines, CountsCharactersAndKeepsEveryCharacter) {
  using V = std::vector<std::string>;
  // Widths count characters: "ä" is two bytes but one character.
  EXPECT_EQ(Break({"\xC3\xA4\xC3\xA4 \xC3\xA4\xC3\xA4 \xC3\xA4\xC3\xA4"}, 5),
            (V{"\xC3\xA4\xC3\xA4 \xC3\xA4\xC3\xA4 ", "\xC3\xA4\xC3\xA4"}));
  EXPECT_EQ(Break({"ab cdefghijklmn op"}, 4), (V{"ab ", "cdefghijklmn ", "op"}));
  EXPECT_EQ(Break({"one two", "", "three four five"}, 5),
            (V{"one ", "two", "", "three ", "four ", "five"}));
  EXPECT_EQ(Break({"a b"}, 0), (V{"a ", "b"}));
  EXPECT_EQ(Break({" x"}, -3), (V{" ", "x"}));
  EXPECT_EQ(Break({}, 10), V{});
  const std::string longLine(1 << 20, 'y');
  EXPECT_EQ(Break({longLine}, 80), V{longLine});
  std::string spaced;
  for (int i = 0; i < 1000; ++i) spaced += "word ";
  const V chunks = Break({spaced}, 80);
  EXPECT_EQ(JoinLines(chunks, ""), spaced);
  for (const auto& chunk : chunks) EXPECT_LE(chunk.size(), 81u);
}

TEST(StringHelpers, WhitespaceAndBlankLines) {
  EXPECT_EQ(TP::CompactWhitespace("a \r\n b\a\bc   d\r"), "a bc d");
  EXPECT_EQ(TP::CompactWhitespace(""), "");
  EXPECT_EQ(TP::RemoveSpaces("   "), "");
  TStringList lines{"a", " ", "\t", "", " b ", "\x01"};
  RemoveBlankLines(lines);
  EXPECT_EQ(lines, (TStringList{"a", " b "}));
}

TEST(StringHelpers, SplitByCharSet) {
  TStringList items{"old"};
  SplitByCharSet(",;", "a;b,,c", items);
  EXPECT_EQ(items, (TStringList{"a", "b", "", "c"}));
  SplitByCharSet("\xC2\xB7",
                 "a\xC2\xB7"
                 "b\xC2"
                 "c",
                 items);  // "·" and a damaged byte
  EXPECT_EQ(items, (TStringList{"a",
                                "b\xC2"
                                "c"}));
  SplitByChar(U'\u00E4', "x\xC3\xA4y", items);
  EXPECT_EQ(items, (TStringList{"x", "y"}));
  SplitByChar(',', "abc", items);
  EXPECT_EQ(items, (TStringList{"abc"}));
}

TEST(StringHelpers, PositionsCountCharacters) {
  EXPECT_EQ(LastPos("b",
                    "\xC3\xA4"
                    "b\xC3\xA4"
                    "b"),
            4u);
  EXPECT_EQ(LastPos("", "abc"), 0u);
  EXPECT_EQ(LastPos("abcd", "abc"), 0u);
  EXPECT_EQ(LastNonBlankChar("a\xC3\xA4  ", 4), U'\u00E4');
  EXPECT_EQ(LastNonBlankChar("a\xC3\xA4  x", 100), U'x');
  EXPECT_EQ(LastNonBlankChar("ab", 1), U'a');
  EXPECT_EQ(LastNonBlankChar("ab", 0), 0u);
  EXPECT_EQ(LastNonBlankChar("", 3), 0u);
  EXPECT_EQ(LastNonBlankChar("a\t\r\n", 4), U'a');
}

TEST(GetAttributeValue, TriesTheQuotePatternsInOrder) {
  struct TCase {
    const char* name;
    const char* tag;
    const char* value;
    const char* wrapped;
  };
  const TCase cases[] = {
      {"class", "<p class=\"big red\">", "big red", "=\"big red\""},
      {"class", "<p class= \"x\">", "x", "= \"x\""},
      {"class", "<p class ='x'>", "x", " ='x'"},
      {"class", "echo \"<p class=\\\"x\\\">\";", "x", "=\\\"x\\\""},
      {"class", "echo '<p class = \\'x\\'>';", "x", " = \\'x\\'"},
      {"width", "<td width=50 height=2>", "50", "=50 "},
      {"width", "<td width=\"50>", "", "=\"\""},  // no closing quote
      {"Width", "<td width=\"50\">", "", ""},
      {"width", "<td height=\"50\">", "", ""},
      {"width", "<td\twidth=\"50\">", "", ""},
      {"style", "<p style=\"a\" class=\"b\" style2=\"c\">", "a", "=\"a\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetAttributeValue(c.name, c.tag, false), c.value) << c.tag;
    EXPECT_EQ(GetAttributeValue(c.name, c.tag, true), c.wrapped) << c.tag;
  }
}

TEST(Colors, ParseNamesHexAndRgb) {
  struct TCase {
    const char* text;
    TColor color;
  };
  const TCase cases[] = {
      {"", clBlack},
      {"ReD", clRed},
      {"moneygreen", MakeColor(0xC0, 0xDC, 0xC0)},
      {"SkyBlue", MakeColor(0xA6, 0xCA, 0xF0)},
      {"cream", MakeColor(0xFF, 0xFB, 0xF0)},
      {"MedGray", MakeColor(0xA0, 0xA0, 0xA4)},
      {"Purple", clPurple},
      {"BtnFace", clBtnFace},
      {"window", clWindow},
      {"None", clNone},
      {"Default", clDefault},
      {"#Red", clBlack},
      {"clRed", clBlack},
      {"abc", MakeColor(0xAA, 0xBB, 0xCC)},
      {"#A0b1C2", MakeColor(0xA0, 0xB1, 0xC2)},
      {"#-12345", clBlack},
      {"#0x1234", clBlack},
      {"rgb( 1 , 2 , 3 )", MakeColor(1, 2, 3)},
      {"#rgb(10,20,30)", MakeColor(10, 20, 30)},
      {"rgb(-1,0,256)", MakeColor(0xFF, 0, 0)},
      {"rgb(1,2)", clBlack},
      {"rgb(1,2,3,4)", clBlack},
      {"rgb(a,2,3)", clBlack},
      {"rgb(99999999999,2,3)", clBlack},
      {"RGB(1,2,3)", clBlack},
      {"nonsense", clBlack},
  };
  for (const auto& c : cases) EXPECT_EQ(HtmlToColor(c.text), c.color) << c.text;
  EXPECT_EQ(ColorIdentifiers().size(), 52u);
  EXPECT_EQ(ColorToHtml(clWhite), "#FFFFFF");
  EXPECT_EQ(ColorToHtml(MakeColor(1, 0xAB, 0x0C)), "#01AB0C");
}

}  // namespace
}  // namespace tervil
