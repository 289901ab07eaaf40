#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "TestGrid.h"
#include "core/tags/TagEngine.h"
#include "core/tags/TagsEditor.h"

namespace tervil {
namespace {

const std::string kLink = "<a href=\"x.html\" title='t'>link</a>";

struct TagCase {
  std::string line;
  int pos;
  std::string text;
  int start;
  std::string name;  // GetTagNameBefore
  HtmlTag tag;       // GetTagAt
};

class TagAtPosition : public testing::TestWithParam<TagCase> {};

TEST_P(TagAtPosition, FindsTheTagBeforeTheCaret) {
  const TagCase& c = GetParam();
  THtmlTagsEditor tags;
  EXPECT_EQ(tags.GetTagText(c.line, c.pos), c.text);
  EXPECT_EQ(tags.GetTagStart(c.line, c.pos), c.start);
  EXPECT_EQ(tags.GetTagNameBefore(c.line, c.pos), c.name);
  EXPECT_EQ(tags.GetTagAt(c.line, c.pos), c.tag);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagAtPosition,
    testing::Values(
        // Caret on "href".
        TagCase{kLink, 5, "<a href=\"x.html\" title='t'>", 1, "a", {"a", 54}},
        // Right after the ">": the scan starts on it.
        TagCase{kLink, 28, "", 0, "", {}},
        // Inside the closing tag, and beyond the end of the line.
        TagCase{kLink, 34, "</a>", 32, "/a", {}}, TagCase{kLink, 100, "</a>", 32, "/a", {}},
        TagCase{kLink, 1, "", 0, "", {}}, TagCase{kLink, 0, "", 0, "", {}},
        TagCase{kLink, -4, "", 0, "", {}}, TagCase{"", 1, "", 0, "", {}},
        TagCase{"a > b", 5, "", 0, "", {}},
        // A caret beyond the end counts as being on the last character, so a tag that ends the
        // line is found from just after its ">".
        TagCase{"x <br>", 7, "<br>", 3, "br", {"br", 56}},
        // The ">" is on the next line.
        TagCase{"<table><tr><td width=\"1\"", 25, "<td width=\"1\"", 12, "td", {"td", 44}},
        // Spaces after "<" are skipped, but only up to the caret.
        TagCase{"< a href=\"x\">", 5, "< a href=\"x\">", 1, "a", {"a", 54}},
        TagCase{"<  a>", 2, "<  a>", 1, "", {}}, TagCase{"<  a>", 4, "<  a>", 1, "a", {"a", 54}},
        // Name ends.
        TagCase{"<DIV class=\"x\">", 3, "<DIV class=\"x\">", 1, "DIV", {"DIV", 74}},
        TagCase{"<br>x y", 3, "<br>", 1, "br", {"br", 56}},
        TagCase{"<p<b>", 3, "<p<b>", 1, "p", {"p", 50}},
        TagCase{"<img", 4, "<img", 1, "img", {"img", 29}},
        TagCase{"<xyz a=\"1\">", 3, "<xyz a=\"1\">", 1, "xyz", {}},
        TagCase{"<!DOCTYPE html>", 3, "<!DOCTYPE html>", 1, "!DOCTYPE", {"!DOCTYPE", 96}},
        // Columns count characters, not bytes.
        TagCase{"ää<b>", 5, "<b>", 3, "b", {"b", 55}},
        TagCase{"<a title=\"äöü\" href=\"x\">",
                17,
                "<a title=\"äöü\" href=\"x\">",
                1,
                "a",
                {"a", 54}}));

TEST(TagEngine, HasAttributeAndGetAttribute) {
  const std::string tag = "<a href=\"x.html\" title='t'>";
  EXPECT_TRUE(THtmlTagsEditor::HasAttribute("href", tag));
  EXPECT_TRUE(THtmlTagsEditor::HasAttribute("tit", tag));  // any text after a space
  EXPECT_FALSE(THtmlTagsEditor::HasAttribute("HREF", tag));
  EXPECT_FALSE(THtmlTagsEditor::HasAttribute("ref", tag));
  EXPECT_EQ(THtmlTagsEditor::GetAttribute("title", tag), "t");
  EXPECT_EQ(THtmlTagsEditor::GetAttribute("title", tag, true), "='t'");
  EXPECT_EQ(THtmlTagsEditor::GetAttribute("alt", tag), "");
}

struct SetCase {
  std::string line;
  int pos;
  std::string name;
  std::string value;
  std::optional<std::string> result;
};

class SetAttribute : public testing::TestWithParam<SetCase> {};

TEST_P(SetAttribute, RewritesTheTagInTheLine) {
  const SetCase& c = GetParam();
  EXPECT_EQ(SetAttributeInLine(c.line, c.pos, c.name, c.value), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetAttribute,
    testing::Values(
        // Double quotes of the value become single quotes; the tag's quote style stays.
        SetCase{kLink, 5, "title", "it's \"big\"",
                "<a href=\"x.html\" title='it's 'big''>link</a>"},
        SetCase{"<td>", 2, "width", "100", "<td width=\"100\">"},
        SetCase{"<td width=\"100\">", 2, "width", "", "<td>"},
        SetCase{"<a href=\"x\" title=\"t\">", 3, "href", "", "<a title=\"t\">"},
        SetCase{"<a href=\"x\">", 3, "href", "y", "<a href=\"y\">"},
        SetCase{"<a href='x'>", 3, "href", "a\"b", "<a href='a'b'>"},
        SetCase{"<td width = '50' >", 2, "width", "70", "<td width = '70' >"},
        SetCase{"echo \"<a href=\\\"x\\\">\";", 9, "href", "y", "echo \"<a href=\\\"y\\\">\";"},
        SetCase{"<td><td width=\"1\">", 7, "width", "2", "<td><td width=\"2\">"},
        SetCase{"<br />", 2, "class", "c", "<br class=\"c\" />"},
        SetCase{"<xyz>", 2, "a", "1", "<xyz a=\"1\">"},
        SetCase{"ä<td>", 4, "width", "1", "ä<td width=\"1\">"},
        SetCase{"< td>", 4, "width", "1", "< td width=\"1\">"},
        SetCase{"<table><tr><td", 15, "width", "1", "<table><tr><td width=\"1\""},
        // A value-less attribute gets a value; an empty one equals its empty value.
        SetCase{"<input disabled>", 3, "disabled", "disabled", "<input disabled=\"disabled\">"},
        SetCase{"<input disabled>", 3, "disabled", "", std::nullopt},
        // Nothing to do.
        SetCase{"<a href=\"x\">", 3, "href", "x", std::nullopt},
        SetCase{"<td>", 2, "width", "", std::nullopt}, SetCase{"<td>", 2, "", "1", std::nullopt},
        SetCase{"plain text", 3, "a", "1", std::nullopt},
        SetCase{kLink, 28, "href", "y", std::nullopt}, SetCase{"<>", 2, "a", "1", std::nullopt},
        // Not fooled by a longer name, by the name inside a value, or by the value's text in
        // the quoting.
        SetCase{"<a titlex=\"1\">", 3, "title", "t", "<a title=\"t\" titlex=\"1\">"},
        SetCase{"<a title=\"see href\" href=\"x\">", 3, "href", "y",
                "<a title=\"see href\" href=\"y\">"},
        SetCase{"<a title=\"=\">", 3, "title", "x", "<a title=\"x\">"},
        // An unquoted value at the end of the tag reads as empty and is replaced whole.
        SetCase{"<td width=100>", 2, "width", "50", "<td width=\"50\">"},
        SetCase{"<td width=100 height=2>", 2, "width", "50", "<td width=50 height=2>"},
        // A name inside another attribute's value is not the attribute.
        SetCase{"<img alt=\"a width\" src=\"x\">", 3, "width", "100",
                "<img width=\"100\" alt=\"a width\" src=\"x\">"},
        SetCase{"<td title=\"a style=b\">", 3, "style", "c",
                "<td style=\"c\" title=\"a style=b\">"},
        SetCase{"<td title='x width=\"1\"' width=\"2\">", 3, "width", "3",
                "<td title='x width=\"1\"' width=\"3\">"},
        SetCase{"<td title=\"a style=b\">", 3, "style", "", std::nullopt},
        // Removing an attribute keeps its neighbours apart.
        SetCase{"<td width=50 height=2>", 2, "width", "", "<td height=2>"},
        SetCase{"<td height=2 width=50 align=left>", 2, "width", "", "<td height=2 align=left>"},
        SetCase{"<td width=50>", 2, "width", "", "<td>"},
        // A new attribute goes before the "/" that closes the tag.
        SetCase{"<br/>", 2, "class", "c", "<br class=\"c\"/>"},
        SetCase{"<img src=\"x\"/>", 2, "alt", "a", "<img alt=\"a\" src=\"x\"/>"},
        // An unquoted value that would no longer end at the blank gets quotes; an unclosed
        // quote is closed.
        SetCase{"<td align=left width=1>", 2, "align", "a b", "<td align=\"a b\" width=1>"},
        SetCase{"<td title=\"abc", 2, "title", "x", "<td title=\"x\""}));

TEST(TagEngine, GetAttributeReadsOutsideQuotedValues) {
  const struct {
    std::string tag;
    std::string name;
    std::string value;
    std::string wrapped;
  } cases[] = {
      {"<td title=\"a style=b c\" style=\"d\">", "style", "d", "=\"d\""},
      {"<td title=\"a style=b c\">", "style", "", ""},
      {"<td width=100>", "width", "100", "=100"},
      {"<td width = '50' >", "width", "50", " = '50'"},
      {"<a href=\\\"x\\\">", "href", "x", "=\\\"x\\\""},
      {"<input disabled>", "disabled", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(THtmlTagsEditor::GetAttribute(c.name, c.tag), c.value) << c.tag;
    EXPECT_EQ(THtmlTagsEditor::GetAttribute(c.name, c.tag, true), c.wrapped) << c.tag;
  }
}

// ---- ShowTagAttributes

const char* const kDatabase =
    "<tag name=\"a\" double=\"double\">\n"
    "<property name=\"href\" values=\"\" uservalue=\"true\" style=\"esellipsis\" info=\"\">\n"
    "<property name=\"target\" values=\"_blank|_top\" uservalue=\"false\" style=\"espicklist\">\n"
    "<property name=\"title\" values=\"\" uservalue=\"true\" style=\"esnone\" info=\"\">\n"
    "</tag>\n"
    "<tag name=\"td\" double=\"double\">\n"
    "<property name=\"width\" values=\"\" uservalue=\"true\" style=\"\" info=\"\">\n"
    "</tag>\n";

class ShowTagAttributes : public testing::Test {
 protected:
  void SetUp() override { tags.LoadText(kDatabase); }
  THtmlTagsEditor tags;
  TTestGrid grid;
};

TEST_F(ShowTagAttributes, BuildsOneRowPerAttributeOfANewTag) {
  tags.ShowTagAttributes({"a", 54}, "<a href=\"x.html\" target=\"_top\">", grid);
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.rows[0], (TTestGrid::Row{"href", "x.html", esEllipsis, false, {}}));
  EXPECT_EQ(grid.rows[1],
            (TTestGrid::Row{"target", "_top", esPickList, true, {"", "_blank", "_top"}}));
  EXPECT_EQ(grid.rows[2], (TTestGrid::Row{"title", "", esNone, false, {}}));
  EXPECT_EQ(tags.CurrentTag(), (HtmlTag{"a", 54}));
  EXPECT_EQ(grid.changesWhileNotifying, 0);
  EXPECT_TRUE(grid.ChangeNotification());
}

TEST_F(ShowTagAttributes, OnlyRefreshesTheValuesOfTheSameTag) {
  tags.ShowTagAttributes({"a", 54}, "<a href=\"x.html\" target=\"_top\">", grid);
  grid.clears = grid.setValues = 0;
  tags.ShowTagAttributes({"A", 54}, "<A href=\"y.html\" target=\"_top\" title='t'>", grid);
  EXPECT_EQ(grid.clears, 0);
  EXPECT_EQ(grid.setValues, 2);
  EXPECT_EQ(grid.rows[0].value, "y.html");
  EXPECT_EQ(grid.rows[1].value, "_top");
  EXPECT_EQ(grid.rows[2].value, "t");
  EXPECT_EQ(tags.CurrentTag(), (HtmlTag{"a", 54}));
  EXPECT_EQ(grid.changesWhileNotifying, 0);
}

TEST_F(ShowTagAttributes, RebuildsForAnotherTag) {
  tags.ShowTagAttributes({"a", 54}, "<a href=\"x.html\">", grid);
  tags.ShowTagAttributes({"td", 44}, "<td width=\"5\">", grid);
  ASSERT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.rows[0], (TTestGrid::Row{"width", "5", esNone, false, {}}));
  EXPECT_EQ(tags.CurrentTag(), (HtmlTag{"td", 44}));

  tags.ShowTagAttributes({}, "", grid);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(tags.CurrentTag(), HtmlTag{});
}

TEST_F(ShowTagAttributes, LeavesASwitchedOffNotificationOff) {
  grid.SetChangeNotification(false);
  tags.ShowTagAttributes({"td", 44}, "<td width=\"5\">", grid);
  EXPECT_FALSE(grid.ChangeNotification());
}

TEST_F(ShowTagAttributes, DescribedTagWithoutAttributesShowsNoRows) {
  tags.ShowTagAttributes({"b", 55}, "<b>", grid);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(tags.CurrentTag(), (HtmlTag{"b", 55}));
}

}  // namespace
}  // namespace tervil
