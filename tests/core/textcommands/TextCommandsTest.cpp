#include <gtest/gtest.h>

#include <string>

#include "core/textcommands/TextCommands.h"

namespace tervil {
namespace {

struct TTagCase {
  int tag;
  std::string selection;
  TCaretSide side;
  std::string text;
  std::size_t caret;
};

constexpr std::size_t kAfter = TTextInsertion::kAfterText;

class HtmlTagInsertionTest : public ::testing::TestWithParam<TTagCase> {};

TEST_P(HtmlTagInsertionTest, GivesTextAndCaret) {
  const TTagCase& c = GetParam();
  const TTextInsertion got = HtmlTagInsertion(c.tag, c.selection, c.side);
  EXPECT_EQ(got.text, c.text);
  EXPECT_EQ(got.caret, c.caret);
}

constexpr auto kStart = TCaretSide::Start;
constexpr auto kEnd = TCaretSide::End;

INSTANTIATE_TEST_SUITE_P(
    Rows, HtmlTagInsertionTest,
    ::testing::Values(
        TTagCase{0, "", kEnd, "<b></b>", 3}, TTagCase{0, "word", kEnd, "<b>word</b>", 7},
        TTagCase{0, "word", kStart, "<b>word</b>", 3}, TTagCase{1, "x", kEnd, "<u>x</u>", 4},
        TTagCase{2, "", kEnd, "<i></i>", 3}, TTagCase{3, "", kEnd, "<br />", 6},
        TTagCase{3, "a", kEnd, "<br />a", 7}, TTagCase{4, "", kEnd, "<hr />", 6},
        TTagCase{5, "", kEnd, "<table>\r</table>", 7},
        TTagCase{5, "x", kEnd, "<table>\rx</table>", 10}, TTagCase{6, "", kEnd, "<tr></tr>", 4},
        TTagCase{7, "", kEnd, "<td></td>", 4}, TTagCase{8, "", kEnd, "<p></p>", 3},
        TTagCase{9, "", kEnd, "<div></div>", 5},
        TTagCase{10, "", kEnd, "<blockquote></blockquote>", 12},
        TTagCase{11, "", kEnd, "<pre></pre>", 5},
        TTagCase{12, "one\r\n\r\ntwo", kEnd, "<ol><li>one</li>\r<li>two</li></ol>", kAfter},
        TTagCase{13, "one\r\n\r\ntwo", kEnd, "<ul><li>one</li>\r<li>two</li></ul>", kAfter},
        TTagCase{13, "", kEnd, "<ul></ul>", kAfter},
        TTagCase{14, "index.html", kEnd, "<a href=\"index.html\">index.html</a>", 31},
        TTagCase{14, "ab", kEnd, "<a>ab</a>", 5}, TTagCase{14, "", kEnd, "<a></a>", 3},
        TTagCase{15, "a.png", kEnd, "<img src=\"a.png\" />", 15},
        TTagCase{15, "", kEnd, "<img />", 7}, TTagCase{15, "abc", kEnd, "<img />abc", 10},
        TTagCase{16, "", kEnd, "<!--  -->", 4}, TTagCase{17, "", kEnd, "<h1></h1>", 4},
        TTagCase{18, "", kEnd, "<span></span>", 6}, TTagCase{19, "T", kEnd, "<h1>T</h1>", 5},
        TTagCase{24, "", kEnd, "<h6></h6>", 4}, TTagCase{25, "", kEnd, "&lt;", kAfter},
        TTagCase{25, "x", kEnd, "&lt;x", kAfter}, TTagCase{26, "", kEnd, "&gt;", kAfter},
        TTagCase{27, "", kEnd, "&nbsp;", kAfter}, TTagCase{28, "", kEnd, "&quot;", kAfter},
        TTagCase{28, "x", kEnd, "&quot;x&quot;", kAfter}, TTagCase{29, "", kEnd, "<![CDATA[]]>", 9},
        // Characters count as the editor counts them: a letter beyond ASCII once, CR LF twice.
        TTagCase{0, "\xC3\xA4\r\nb", kEnd, "<b>\xC3\xA4\r\nb</b>", 7},
        TTagCase{99, "keep", kEnd, "keep", kAfter}));

TEST(HtmlInsertRowsTest, ThirtyRowsWithCaptionsShortcutsAndHints) {
  const auto rows = HtmlInsertRows();
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(rows[0].action, "htmlBold");
  EXPECT_EQ(rows[0].shortcut, "Ctrl+B");
  EXPECT_EQ(rows[0].hint, "Bold|<b></b>");
  EXPECT_EQ(rows[3].hint, "Break Line|<br />");
  EXPECT_EQ(rows[15].hint, "Image|<img></img>");
  EXPECT_EQ(rows[25].shortcut, "Ctrl+,");
  EXPECT_EQ(rows[28].shortcut, "Ctrl+'");
  EXPECT_EQ(rows[29].hint, "CDATA|CDATA");
  for (const THtmlInsertRow& row : rows) {
    EXPECT_FALSE(row.caption.empty());
    EXPECT_NE(row.hint.find('|'), std::string_view::npos) << row.action;
    EXPECT_FALSE(row.icon.empty());
  }
}

TEST(CommentTest, CommentOutAndRemoveAreInverse) {
  const struct {
    std::string plain;
    std::string commented;
  } cases[] = {
      {"", "// "},
      {"a\r\nb", "// a\r\n// b"},
      {"    indented\r\nx", "//     indented\r\n// x"},
      // A selection that ends with a line break leaves the next line alone.
      {"a\r\nb\r\n", "// a\r\n// b\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommentOutLines(c.plain), c.commented);
    EXPECT_EQ(RemoveLineComments(c.commented), c.plain);
  }
}

TEST(CommentTest, RemoveOnlyTakesCommentsOfTheLineStart) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"// x", "x"},           {"//", ""},
      {"//x", "//x"},          {" // x", " x"},
      {"  //x", "  //x"},      {"x // y", "x // y"},
      {"//\r\n// b", "\r\nb"}, {"   // deep", "   // deep"},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoveLineComments(c.in), c.out) << c.in;
}

TEST(ConvertTextTest, EachConversionOnTypicalText) {
  const struct {
    TTextConversion conversion;
    std::string in;
    std::string out;
  } cases[] = {
      {TTextConversion::ToHtml, "a < b & \"c\"", "a &lt; b &amp; &quot;c&quot;"},
      {TTextConversion::ToHtml, "", ""},
      {TTextConversion::EscapeQuotes, "say \"hi\" $x", "say \\\"hi\\\" \\$x"},
      {TTextConversion::LowerCase, "AbC \xC3\x84", "abc \xC3\x84"},
      {TTextConversion::UpperCase, std::string("ab\0cd", 5), std::string("AB\0CD", 5)},
      {TTextConversion::TagsLowerCase, "<P CLASS=X>TEXT</P>", "<p class=x>TEXT</p>"},
      {TTextConversion::TagsUpperCase, "<b>x</b>", "<B>x</B>"},
      {TTextConversion::Unformat, "<p class=\"x\">a<font>b</font></p>", "<p>ab</p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(ConvertText(c.conversion, c.in), c.out) << c.in;
}

TEST(ConvertTextTest, BytesThatAreNotUtf8PassThrough) {
  const std::string binary("\xFF\xFE\x00\x01<\x80", 6);
  EXPECT_EQ(ConvertText(TTextConversion::LowerCase, binary), binary);
  const std::string html = ConvertText(TTextConversion::ToHtml, binary);
  EXPECT_NE(html.find("&lt;"), std::string::npos);
}

TEST(ConvertTextTest, BigTextInSlicesEqualsOneCallAndReportsProgress) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line <" + std::to_string(i) + "> & \"q\"\r\n";
  int calls = 0;
  int last = -1;
  const std::string sliced = ConvertText(TTextConversion::ToHtml, text, [&](int percent) {
    ++calls;
    EXPECT_GT(percent, last);
    last = percent;
  });
  EXPECT_EQ(sliced, TTextProcessor::TextToHtml(text));
  EXPECT_GT(calls, 3);
  EXPECT_EQ(last, 100);
}

TEST(BreakTextLinesTest, BreaksAtTheRightEdge) {
  EXPECT_EQ(BreakTextLines("aaaa bbbb cccc dddd", 10), "aaaa bbbb \r\ncccc dddd");
  EXPECT_EQ(BreakTextLines("short\r\naaaa bbbb cccc", 10), "short\r\naaaa bbbb \r\ncccc");
  EXPECT_EQ(BreakTextLines("", 10), "");
}

TEST(PhpServerVariablesTest, ThirtyFourInMenuOrder) {
  const auto names = PhpServerVariables();
  ASSERT_EQ(names.size(), 34u);
  EXPECT_EQ(names.front(), "PHP_SELF");
  EXPECT_EQ(names[7], "REQUEST_TIME");
  EXPECT_EQ(names.back(), "HTTP_X_REQUESTED_WITH");
  EXPECT_EQ(PhpServerVariableText("PHP_SELF"), "$_SERVER['PHP_SELF']");
}

}  // namespace
}  // namespace tervil
