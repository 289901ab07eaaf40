#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/NamedColors.h"

namespace tervil {
namespace {

using Lines = std::vector<std::string>;

TEST(NamedColors, NamesAndColourTexts) {
  TNamedColors names;
  Lines problems;
  names.LoadText("aliceblue|#F0F8FF\r\nred|#FF0000\nno bar\n|#000000\nblue|blue\n", problems);
  EXPECT_EQ(names.Count(), 2u);
  EXPECT_EQ(problems.size(), 3u);
  EXPECT_EQ(names.ColorOf("AliceBlue"), 0xFFF8F0u);
  EXPECT_EQ(names.ColorOf(" red "), 0x0000FFu);
  EXPECT_EQ(names.ColorOf("#00FF00"), 0x00FF00u);
  EXPECT_EQ(names.ColorOf("#fff"), 0xFFFFFFu);
  EXPECT_EQ(names.ColorOf("rgb(0, 0, 255)"), 0xFF0000u);
  EXPECT_EQ(names.ColorOf("var(--x)"), clNone);
  EXPECT_EQ(names.ColorOf(""), clNone);
  EXPECT_EQ(names.ColorOf("#12"), clNone);
}

TEST(NamedColors, ShippedListHoldsTheCssNamedColours) {
  TNamedColors names;
  Lines problems;
  ASSERT_TRUE(names.LoadFile(std::string(TERVIL_SOURCE_DIR) + "/data/colorlist.tvd", problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(names.Count(), 148u);
  EXPECT_EQ(names.ColorOf("rebeccapurple"), 0x993366u);
  EXPECT_FALSE(names.LoadFile("/nonexistent/colorlist.tvd", problems));
  EXPECT_EQ(names.Count(), 0u);
}

TEST(NamedColors, EntriesKeepTheFileOrderAndSpelling) {
  TNamedColors names;
  Lines problems;
  names.LoadText("Red|#FF0000\nteal|#0aa\nno bar\nred|#000000\n", problems);
  ASSERT_EQ(names.Entries().size(), 3u);
  EXPECT_EQ(names.Entries()[0].name, "Red");
  EXPECT_EQ(names.Entries()[1].text, "#0aa");
  EXPECT_EQ(names.Entries()[1].color, 0xAAAA00u);
  EXPECT_EQ(names.Count(), 2u);
  EXPECT_EQ(names.ColorOf("red"), 0x0000FFu);  // the first line of a name counts
}

}  // namespace
}  // namespace tervil
