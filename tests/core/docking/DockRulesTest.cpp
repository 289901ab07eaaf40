#include <gtest/gtest.h>

#include "core/docking/DockRules.h"

namespace tervil {
namespace {

TEST(DockRulesTest, AreaNamesGiveTheirTargets) {
  EXPECT_EQ(DockTargetOfName("DockPanelLeft"), TDockTarget::Left);
  EXPECT_EQ(DockTargetOfName("unset"), TDockTarget::Left);
  EXPECT_EQ(DockTargetOfName("DockPanelRight"), TDockTarget::Right);
  EXPECT_EQ(DockTargetOfName("DockPanelBottom"), TDockTarget::Bottom);
  EXPECT_EQ(DockTargetOfName(""), TDockTarget::Float);
  EXPECT_EQ(DockTargetOfName("dockpanelleft"), TDockTarget::Nothing);
  EXPECT_EQ(DockTargetOfName("Top"), TDockTarget::Nothing);
  for (TDockArea area : {TDockArea::Left, TDockArea::Right, TDockArea::Bottom})
    EXPECT_NE(DockTargetOfName(DockAreaName(area)), TDockTarget::Nothing);
}

TEST(DockRulesTest, ShadingRoundsEachChannelUpFromTheStart) {
  // RGB (205, 199, 188) to (238, 238, 238) in 14 steps.
  EXPECT_EQ(ShadeStep(kStripShadeStart, kStripShadeEnd, 0, 14), kStripShadeStart);
  // red 205 + ceil(33 * 1 / 14) = 208, green 199 + ceil(39 / 14) = 202, blue 188 + ceil(50/14) =
  // 192
  EXPECT_EQ(ShadeStep(kStripShadeStart, kStripShadeEnd, 1, 14), 0xC0CAD0u);
  EXPECT_EQ(ShadeStep(kStripShadeStart, kStripShadeEnd, 14, 14), kStripShadeEnd);
  // A falling channel: 10 + ceil(-5 / 2) = 10 - 2.
  EXPECT_EQ(ShadeStep(10, 5, 1, 2), 8u);
  EXPECT_EQ(ShadeStep(kStripShadeStart, kStripShadeEnd, 3, 0), kStripShadeStart);
}

TEST(DockRulesTest, FloatingWindowComesBackWholeOnTheScreen) {
  const TRect screen{0, 0, 1024, 768};
  struct Case {
    TRect stored, expected;
  } cases[] = {
      {{100, 100, 200, 300}, {100, 100, 200, 300}},    // on screen: unchanged
      {{3000, 2000, 200, 300}, {824, 468, 200, 300}},  // off to the right and below
      {{-500, -40, 200, 300}, {0, 0, 200, 300}},       // off to the left and above
      {{10, 10, 2000, 1500}, {0, 0, 1024, 768}},       // larger than a smaller screen
      {{10, 10, 20, 30}, {10, 10, 100, 100}},          // below the window's minimum
  };
  for (const Case& c : cases) EXPECT_EQ(FitOnScreen(c.stored, screen, 100, 100), c.expected);
  // A screen that is not at the origin.
  EXPECT_EQ(FitOnScreen({0, 0, 200, 200}, {1024, 0, 800, 600}, 0, 0), (TRect{1024, 0, 200, 200}));
}

TEST(DockRulesTest, RestoredAreaSizeReachesTheFarthestVisibleWindow) {
  const std::vector<TStoredToolWindow> stored = {
      {"DockPanelRight", true, 0, 0, 180, 300},
      {"DockPanelRight", true, 20, 300, 150, 200},  // reaches 170
      {"DockPanelRight", false, 0, 0, 250, 100},    // hidden: does not count
      {"DockPanelBottom", true, 0, 10, 500, 120},
      {"", true, 0, 0, 280, 100},       // floating
      {"unset", true, 0, 0, 900, 100},  // "unset" is the left area
  };
  EXPECT_EQ(RestoredAreaSize(TDockArea::Right, stored), 180);
  EXPECT_EQ(RestoredAreaSize(TDockArea::Bottom, stored), 130);
  EXPECT_EQ(RestoredAreaSize(TDockArea::Left, stored), kDockAreaMaxSize);
  EXPECT_EQ(RestoredAreaSize(TDockArea::Left, {}), 0);
}

TEST(DockRulesTest, FittedAreaStaysWithinTheAreaAndWindowLimits) {
  EXPECT_EQ(FittedAreaSize(200, {}, 100, 400), 200);
  EXPECT_EQ(FittedAreaSize(150, {120, 240}, 100, 400), 240);
  EXPECT_EQ(FittedAreaSize(500, {}, 100, 400), kDockAreaMaxSize);  // the area's limit
  EXPECT_EQ(FittedAreaSize(500, {}, 100, 250), 250);               // the window's limit
  EXPECT_EQ(FittedAreaSize(0, {}, 100, 400), 100);                 // the window's minimum
}

}  // namespace
}  // namespace tervil
