#include <gtest/gtest.h>

#include "core/documents/PageLayout.h"

namespace tervil {
namespace {

std::string Umlauts(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += "\xC3\xA4";
  return s;
}

TEST(PageLayout, TabCaptionsLongerThan23CharactersAreShortened) {
  struct Case {
    std::string caption, shown;
  } cases[] = {
      {"index.php", "index.php"},
      {std::string(23, 'a'), std::string(23, 'a')},
      {"abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrst..."},
      {Umlauts(23), Umlauts(23)},  // characters count, not bytes
      {Umlauts(24), Umlauts(20) + "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortTabCaption(c.caption), c.shown);
}

TEST(PageLayout, SplitRules) {
  struct Case {
    int panel, ratio, upper, lower;
  } cases[] = {
      {600, 100, 598, -2},
      {600, 50, 298, 298},
      {600, 0, 30, 564},
      {100, 1, 30, 64},
  };
  for (const auto& c : cases) {
    auto h = ArrangeEditorHeights(c.panel, c.ratio);
    EXPECT_EQ(h.upper, c.upper) << c.panel << "/" << c.ratio;
    EXPECT_EQ(h.lower, c.lower) << c.panel << "/" << c.ratio;
  }
  EXPECT_EQ(ToggleSplitRatio(100, true), 50);
  EXPECT_EQ(ToggleSplitRatio(0, true), 50);
  EXPECT_EQ(ToggleSplitRatio(30, true), 30);
  EXPECT_EQ(ToggleSplitRatio(30, false), 100);
  EXPECT_EQ(SplitRatioAt(0, 600), 0);
  EXPECT_EQ(SplitRatioAt(-5, 600), 0);
  EXPECT_EQ(SplitRatioAt(300, 600), 50);
  EXPECT_FALSE(IsSplitViewChecked(0));
  EXPECT_FALSE(IsSplitViewChecked(100));
  EXPECT_TRUE(IsSplitViewChecked(50));
}

TEST(PageLayout, TabGradientRunsFromWhiteToGrey) {
  EXPECT_EQ(TabGradientColor(0, 24, true), 0xFFFFFFu);
  EXPECT_EQ(TabGradientColor(24, 24, true), 0xACB7BDu);
  EXPECT_EQ(TabGradientColor(0, 24, false), 0xACB7BDu);
  // Red channel 0xFF -> 0xBD over 24 rows at row 1: 0xFF + ceil(-66 / 24) = 0xFF - 2.
  EXPECT_EQ(RedOf(TabGradientColor(1, 24, true)), 0xFF - 2);
  EXPECT_EQ(TabWidthFor(100, true, true), 138);
  EXPECT_EQ(TabWidthFor(100, false, true), 116);
}

}  // namespace
}  // namespace tervil
