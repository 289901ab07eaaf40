#include <gtest/gtest.h>

#include "core/generators/ColorList.h"

namespace tervil {
namespace {

constexpr const char* kFile = "black|#000000\nwhite|#FFFFFF\r\naliceblue|#F0F8FF\n\nno bar\n";

TEST(ColorListModelTest, LoadsNamesWithTheCustomEntryFirst) {
  TColorListModel list;
  list.LoadColors(kFile);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Name(0), "Custom...");
  EXPECT_EQ(list.Item(0), "#000000");
  EXPECT_EQ(list.Name(3), "Aliceblue");
  EXPECT_EQ(list.Item(2), "#FFFFFF");
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list.GetSelected(), "#000000");
}

TEST(ColorListModelTest, SelectColorByNameValueOrAsCustom) {
  const struct {
    std::string preselect;
    std::string selected;
    std::string customName;
  } cases[] = {
      {"black", "black", "Custom..."},           {"WHITE", "white", "Custom..."},
      {"#f0f8ff", "aliceblue", "Custom..."},     {"#ABCDEF", "#ABCDEF", "Custom... (#ABCDEF)"},
      {"abc", "#AABBCC", "Custom... (#AABBCC)"},
  };
  for (const auto& c : cases) {
    TColorListModel list;
    list.LoadColors(kFile);
    list.SelectColor(c.preselect);
    EXPECT_EQ(list.GetSelected(), c.selected) << c.preselect;
    EXPECT_EQ(list.Name(0), c.customName);
  }
}

TEST(ColorListModelTest, ColorOfNameOrText) {
  TColorListModel list;
  list.LoadColors(kFile);
  EXPECT_EQ(list.GetColorFromString("White"), 0xFFFFFFu);
  EXPECT_EQ(list.GetColorFromString("#0000FF"), MakeColor(0, 0, 255));
}

TEST(ScreenPickerHintTest, PlaceholdersIgnoringCase) {
  EXPECT_EQ(ScreenPickerHint(kScreenPickerHint, MakeColor(255, 128, 0)),
            "RGB(255, 128, 0)\rHex: FF8000");
  EXPECT_EQ(ScreenPickerHint("%R/%G/%B %H %x 100%", MakeColor(1, 2, 3)), "1/2/3 010203 %x 100%");
}

TEST(FontPickEntriesTest, GenericFamiliesThenABlankThenInstalled) {
  const auto entries = FontPickEntries({"DejaVu Sans"});
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[0], "serif");
  EXPECT_EQ(entries[4], "monospace");
  EXPECT_EQ(entries[5], "");
  EXPECT_EQ(entries[6], "DejaVu Sans");
}

}  // namespace
}  // namespace tervil
