#include <gtest/gtest.h>

#include <string>

#include "core/editcomponent/EditorModel.h"
#include "core/tags/AttributeWindow.h"
#include "core/tags/TagsEditor.h"

namespace tervil {
namespace {

struct CaretCase {
  std::string text;
  TBufferPos caret;
  std::string name;  // the built-in tag found, or empty
  std::string tagText;
  bool complete = true;
  bool beyondLimit = false;  // the engine on the whole line finds more
};

class TagAtCaretTest : public testing::TestWithParam<CaretCase> {};

// The bounded look finds what the engine finds on the whole line.
TEST_P(TagAtCaretTest, FindsTheTagAroundTheCaret) {
  const CaretCase& c = GetParam();
  THtmlTagsEditor tags;
  TEditorModel editor;
  editor.SetText(c.text);
  editor.SetCaretPos(c.caret);
  const TCaretTag found = TagAtCaret(tags, editor, 64);
  EXPECT_EQ(found.tag.Name, c.name);
  EXPECT_EQ(found.text, c.tagText);
  EXPECT_EQ(found.complete, c.complete);
  if (!c.beyondLimit) {
    const std::string line = editor.LineText();
    EXPECT_EQ(found.tag, tags.GetTagAt(line, editor.CaretX()));
    EXPECT_EQ(found.text, tags.GetTagText(line, editor.CaretX()));
  }
}

const std::string kLink = "x <a href=\"x\" title='y'>link</a>";
const std::string kLong(100, 'v');

INSTANTIATE_TEST_SUITE_P(
    Cases, TagAtCaretTest,
    testing::Values(CaretCase{kLink, {6, 1}, "a", "<a href=\"x\" title='y'>"},
                    CaretCase{kLink, {2, 1}, "", ""},                         // outside any tag
                    CaretCase{kLink, {25, 1}, "", ""},                        // right after the ">"
                    CaretCase{kLink, {27, 1}, "", ""},                        // in the link text
                    CaretCase{kLink, {31, 1}, "", "</a>"},                    // in the closing tag
                    CaretCase{kLink, {200, 1}, "", "</a>"},                   // past the line's end
                    CaretCase{"<p>\n<b class=x", {5, 2}, "b", "<b class=x"},  // no ">" on the line
                    CaretCase{"<div\n id=\"x\">", {3, 2}, "", ""},  // a tag spanning lines
                    CaretCase{"<blink color=red>", {4, 1}, "", "<blink color=red>"},  // unknown tag
                    CaretCase{"é <img src=\"ü.gif\">", {6, 1}, "img", "<img src=\"ü.gif\">"},
                    CaretCase{"", {1, 1}, "", ""},
                    // A tag beyond the look: the "<" too far back, or the ">" too far on.
                    CaretCase{"<a title=\"" + kLong + "\">", {90, 1}, "", "", true, true},
                    CaretCase{"<a title=\"" + kLong + kLong + "\">",
                              {4, 1},
                              "a",
                              ("<a title=\"" + kLong + kLong).substr(0, 3 + 64),
                              false,
                              true}));

TEST(AttributeWindowTest, HugeAttributeValueIsFoundWithTheDefaultLimit) {
  THtmlTagsEditor tags;
  TEditorModel editor;
  const std::string value(1 << 20, 'x');
  editor.SetText("<p>\n<img alt=\"" + value + "\" src='a.gif'>");
  editor.SetCaretPos({3, 2});
  const TCaretTag found = TagAtCaret(tags, editor);
  EXPECT_EQ(found.tag.Name, "img");
  EXPECT_TRUE(found.complete);
  EXPECT_EQ(THtmlTagsEditor::GetAttribute("src", found.text), "a.gif");
  EXPECT_EQ(THtmlTagsEditor::GetAttribute("alt", found.text).size(), value.size());
}

TEST(AttributeWindowTest, RowColoursFollowDeprecationEventsAndStyles) {
  const struct {
    bool deprecated;
    const char* info;
    const char* name;
    TColor color;
  } cases[] = {
      {false, "", "href", clNone},
      {true, "", "href", clRed},
      {false, "deprecated", "align", clRed},
      {false, "Deprecated", "align", clNone},  // the info is compared exactly
      {false, "", "onclick", clGreen},
      {true, "deprecated", "onclick", clGreen},  // a later rule wins
      {false, "", "on", clNone},                 // too short for an event
      {false, "", "style", clBlue},
      {true, "", "class", clBlue},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AttributeTextColor(c.deprecated, c.info, c.name), c.color) << c.name;
  EXPECT_EQ(clRed, 0x0000FFu);  // RGB #FF0000
}

TEST(AttributeWindowTest, InsertedTagsCloseWhenTheDatabaseSaysSo) {
  const TTagInsertion table = TagInsertion("table", true);
  EXPECT_EQ(table.text, "<table></table>");
  EXPECT_EQ(table.caretBack, 8);
  const TTagInsertion br = TagInsertion("br", false);
  EXPECT_EQ(br.text, "<br />");
  EXPECT_EQ(br.caretBack, 0);
}

TEST(AttributeWindowTest, ChosenFilesArePathsRelativeToThePage) {
  const struct {
    const char* page;
    const char* file;
    const char* path;
  } cases[] = {
      {"/site/index.html", "/site/a.gif", "a.gif"},
      {"/site/index.html", "/site/img/a.gif", "img/a.gif"},
      {"/site/sub/index.html", "/site/img/a.gif", "../img/a.gif"},
      {"/site/index.html", "/other/site/a.gif", "../other/site/a.gif"},
      {"/site/index.html", "/Site/a.gif", "../Site/a.gif"},  // folders differ in case
      {"Unnamed 1", "/site/img/a.gif", "a.gif"},             // a page without a file
  };
  for (const auto& c : cases) EXPECT_EQ(PagePathOf(c.page, c.file), c.path) << c.file;
}

}  // namespace
}  // namespace tervil
