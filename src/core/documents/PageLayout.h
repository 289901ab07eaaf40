#pragma once

#include <string>

#include "core/common/Color.h"

namespace tervil {

// Geometry rules of the two page controls and their tabs.

// The caption a tab shows: the first 20 characters and "..." when it is longer than 23.
std::string ShortTabCaption(const std::string& caption);

// Heights of the upper and lower page controls for a panel of `panelHeight` pixels and the
// split position `ratio` (0 to 100, 100 = only the upper control).
struct TSplitHeights {
  int upper;
  int lower;
};
TSplitHeights ArrangeEditorHeights(int panelHeight, int ratio);

// The split position for the bar dragged to `y` pixels below the panel's top.
int SplitRatioAt(int y, int panelHeight);

// The split position after the Split View command is switched on or off.
int ToggleSplitRatio(int ratio, bool on);
// The Split View command shows as checked exactly while both controls are visible.
inline bool IsSplitViewChecked(int ratio) {
  return ratio > 0 && ratio < 100;
}

// Colour of pixel row `row` of a tab `height` rows high: a gradient from white to 0xACB7BD
// (tabs on top), the reverse for tabs at the bottom.
TColor TabGradientColor(int row, int height, bool tabsOnTop);

// The tab width needed for a caption `captionWidth` pixels wide (measured in bold).
int TabWidthFor(int captionWidth, bool editorTab, bool closeButtons);

}  // namespace tervil
