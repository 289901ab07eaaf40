#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/phpcss/CssAttributes.h"

namespace tervil {
namespace {

using Lines = std::vector<std::string>;

TEST(CssAttributes, ReadsEveryQuotingOfTheAttributes) {
  TCssAttributeTable table;
  Lines problems;
  table.LoadText(
      " name=\"text-align\" style=\"espicklist\" values=\"left| right |center\" "
      "uservalue=\"false\"\r\n"
      "\n"
      " name='color' style = 'esellipsis' values='' kind='color'\n"
      " name=width style=essimple\n"
      " name=\"text-align\" style=\"essimple\"\n",
      problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(table.Attributes().size(), 4u);
  const TCssAttr* align = table.Find("text-align");
  ASSERT_NE(align, nullptr);
  EXPECT_EQ(align->EditStyle(), TCssEditStyle::kPickList);
  EXPECT_EQ(align->PickList(), (Lines{"left", "right", "center"}));
  EXPECT_FALSE(align->UserMayType());
  const TCssAttr* color = table.Find("color");
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(color->EditStyle(), TCssEditStyle::kEllipsis);
  EXPECT_TRUE(color->UserMayType()) << "a missing uservalue allows typing";
  EXPECT_EQ(color->kind, "color");
  const TCssAttr* width = table.Find("width");
  ASSERT_NE(width, nullptr) << "an unquoted value at the end of the line";
  EXPECT_EQ(width->EditStyle(), TCssEditStyle::kSimple);
  EXPECT_TRUE(width->PickList().empty());
  EXPECT_EQ(table.Find("Text-Align"), nullptr) << "lookup is exact";
  EXPECT_EQ(table.SortedNames(), (Lines{"color", "text-align", "width"}));
}

TEST(CssAttributes, MalformedLinesAreSkippedAndNamed) {
  TCssAttributeTable table;
  Lines problems;
  std::string text = " name=\"a\"\ngarbage without a name\n";
  for (int i = 0; i < 10; ++i) text += std::string("\x01\x02\0\xff", 4) + "\n";
  table.LoadText(text, problems);
  EXPECT_EQ(table.Attributes().size(), 1u);
  ASSERT_EQ(problems.size(), 6u);
  EXPECT_NE(problems[0].find("line 2"), std::string::npos);
  EXPECT_NE(problems[5].find("6 more"), std::string::npos);
}

TEST(CssAttributes, MissingFileLeavesAnEmptyTable) {
  TCssAttributeTable table;
  Lines problems;
  table.LoadText(" name=\"a\"", problems);
  EXPECT_FALSE(table.LoadFile("/nonexistent/data/css.tvd", problems));
  EXPECT_TRUE(table.Attributes().empty());
  EXPECT_EQ(table.Find("a"), nullptr);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("/nonexistent/data/css.tvd"), std::string::npos);
}

// The shipped list offers the properties browsers know today.
TEST(CssAttributes, ShippedListIsCurrent) {
  TCssAttributeTable table;
  Lines problems;
  ASSERT_TRUE(table.LoadFile(std::string(TERVIL_SOURCE_DIR) + "/data/css.tvd", problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_GT(table.Attributes().size(), 500u);
  for (const char* name : {"grid-template-columns", "gap", "flex-direction", "margin-inline-start",
                           "inset-block", "aspect-ratio", "container-type", "color", "cursor"})
    EXPECT_NE(table.Find(name), nullptr) << name;
  EXPECT_EQ(table.Find("color")->EditStyle(), TCssEditStyle::kEllipsis);
  const Lines direction = table.Find("flex-direction")->PickList();
  EXPECT_NE(std::find(direction.begin(), direction.end(), "row-reverse"), direction.end());
  EXPECT_FALSE(table.Find("flex-direction")->UserMayType());
  EXPECT_TRUE(table.Find("width")->UserMayType());
}

}  // namespace
}  // namespace tervil
